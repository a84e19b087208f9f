// Identifiers of Ormlace's test resources.
#pragma once

#define IDD_RGN_TEST 200
#define IDC_RGN_CHILD 2001
