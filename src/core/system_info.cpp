// Storage of the machine description printed by the log header.
#include "core/system_info.h"

namespace app {

platform::SystemInfo systemInfo;

}  // namespace app
