// Compiles the declarations of Ormlace's classes whose implementations are
// still to come, so that they stay valid meanwhile.
#include "support/ormlace/skin_html_ctrl.h"
