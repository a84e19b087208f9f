// Compiles the declarations of Dravik's contract with the library, so that
// they stay valid while their implementations are still to come.
#include "support/dravik/ini_file.h"
#include "support/dravik/ximage.h"
