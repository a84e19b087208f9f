// Compiled in Zavrel's utilities, it includes the configuration readers
// above them: the build must refuse it.
#include "zavrel/config/url_template.h"
