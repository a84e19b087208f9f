// The framework's window layer, standing where MFC's <afxwin.h> does:
// the core (afx.h), message maps and run-time classes, CWnd, CDialog,
// CButton, the GDI objects and device contexts, CWinThread and CWinApp.
#pragma once

#include "afx/afx.h"
#include "afx/afx_rect.h"

#ifdef _WIN32
#include "afx/afx_button.h"
#include "afx/afx_cmd_target.h"
#include "afx/afx_ddx.h"
#include "afx/afx_dialog.h"
#include "afx/afx_gdi.h"
#include "afx/afx_thread.h"
#include "afx/afx_wnd.h"
#endif
