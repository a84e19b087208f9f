// The TinyXML classes, as ZavrelCom reaches them through Dravik: the
// open-source TinyXML library (with STL strings), unchanged. On Windows they
// live in Dravik.dll, so the process has one copy of them and of TinyXML's
// global white-space condensing setting; natively they come from the
// system's library.
#pragma once

#include <tinyxml.h>
