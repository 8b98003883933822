// Private helpers of the POSIX platform part that the backends share.
#pragma once

#include <string>

#include "platform/platform.h"

namespace platform::posix {

// The mouse as the input devices describe it (/proc/bus/input/devices): present when a device
// has a mouse handler, its buttons counted from the left/right/middle/side/extra key bits, the
// wheel from the relative-wheel bit. Defaults (present, 3 buttons, wheel) when the list cannot be
// read or lists no device at all, as in containers, where a desktop session still has a pointer.
MouseInfo probeMouse();
MouseInfo parseInputDevices(const std::string& text);

// Processor fields of SystemInfo from the text of /proc/cpuinfo.
void parseCpuInfo(const std::string& text, SystemInfo& info);

// Keeps the reason of a failed file operation for fileErrorText (a static text).
void setFileError(const char* text);

// Case-insensitive wildcard match: '*' any run of characters, '?' any one character.
bool wildcardMatch(const char* pattern, const char* name);

}  // namespace platform::posix
