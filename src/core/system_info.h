// The machine description gathered once at entry (before any log channel is open) and printed by
// the log header. Plain process-wide data, written by entry and read by the log.
#pragma once

#include "platform/platform.h"

namespace app {

extern platform::SystemInfo systemInfo;

}  // namespace app
