// Compiles the declarations of Ormlace's classes whose implementations are
// still to come, so that they stay valid meanwhile.
#include "support/ormlace/rgn_button.h"
#include "support/ormlace/rgn_dialog.h"
#include "support/ormlace/skin_html_ctrl.h"
#include "support/ormlace/skin_image_manager.h"
