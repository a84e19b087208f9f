// IUnknownEx: the root interface of Zavrel's components (defined in the
// bottom layer, base/unknown_ex.h, which the socket module shares),
// with the identifiers of Zavrel's own interfaces.
#pragma once

#include "base/unknown_ex.h"
#include "zavrel/component/interface_ids.h"
