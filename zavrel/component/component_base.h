// IsValid and Release as every Zavrel component implements them
// (ComponentIsValid, ComponentRelease), written once in the bottom layer
// (base/component_base.h) for Zavrel and the socket module alike.
#pragma once

#include "base/component_base.h"
