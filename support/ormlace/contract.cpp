// Compiles the declarations of the skin and image libraries' contract with
// Ormlace, so that they stay valid while their implementations are still to
// come.
#include "support/brevio/ximage.h"
#include "support/ormlace/rgn_button.h"
#include "support/ormlace/rgn_dialog.h"
#include "support/ormlace/skin_html_ctrl.h"
#include "support/ormlace/skin_image_manager.h"
