// The TinyXML classes, as ZavrelCom reaches them through Dravik: the
// open-source TinyXML library (with STL strings), unchanged.
#pragma once

#include <tinyxml.h>
