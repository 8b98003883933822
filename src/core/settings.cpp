// Stored settings of the application core and their defaults.
#include "core/settings.h"

namespace settings {

int VIDbckBuffSysMem = 0;
int VIDwVSync = 1;
int VIDdefault = -1;

}  // namespace settings
