// The framework layer's core header, standing where MFC's <afx.h> does.
#pragma once

#include "afx/afx_coll.h"
#include "afx/afx_port.h"
#include "afx/afx_string.h"

#ifdef _WIN32
#include "afx/afx_module.h"
#endif
