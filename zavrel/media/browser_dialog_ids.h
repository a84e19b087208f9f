// Resource identifiers of the browser dialog (Zavrel's resources).
#pragma once

// The dialog template (Chinese, simplified).
#define IDD_BROWSER_DIALOG 9009
// The page view's child identifier.
#define IDC_BROWSER_VIEW 31
