// Identifiers of the dialog test's resources.
#pragma once

#define IDD_TEST 100
#define IDC_OTHER 1001
#define IDC_OWNERDRAW 1002
#define IDC_PLAIN_OWNERDRAW 1003
#define IDD_DATA 101
#define IDC_NAME 1010
#define IDC_CHECK 1011
