// Compiled in the bottom layer, it includes the framework above it: the
// build must refuse it.
#include "afx/afx_string.h"
