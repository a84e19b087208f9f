// Identifiers of the dialog test's resources.
#pragma once

#define IDD_TEST 100
#define IDC_OTHER 1001
#define IDC_OWNERDRAW 1002
#define IDC_PLAIN_OWNERDRAW 1003
