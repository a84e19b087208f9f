// The framework's window layer, standing where MFC's <afxwin.h> does:
// the core (afx.h), message maps, CWnd, CWinThread and CWinApp.
#pragma once

#include "afx/afx.h"

#ifdef _WIN32
#include "afx/afx_cmd_target.h"
#include "afx/afx_thread.h"
#include "afx/afx_wnd.h"
#endif
