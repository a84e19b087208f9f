// The demo hall's browser mode (demo_hall --browser [MS]): the browser
// dialog on the hall's local page, page\notice.html beside the program.
#pragma once

#include <string>

#include "afx/afx_port.h"

// Shows the dialog for about showMs milliseconds, closes it in upload mode
// and reports each step; the process's exit status (0: every step went).
int RunBrowserPage(const std::string& dir, DWORD showMs);
