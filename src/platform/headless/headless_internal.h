// Private meeting point of the headless backend's halves: the display half's functions, which
// the backend table in headless.cpp lists beside the window half's.
#pragma once

#include "platform/backend.h"

namespace headless::impl {

std::vector<platform::DisplayMode> displayModes();
void displayLibraryVersion(int v[4]);
bool openDisplay(const platform::DisplayRequest& request, platform::DisplayReport& report);
void closeDisplay();
bool beginFrame(platform::FrameTarget& target);
void showFrame();
void showSystemCursor(bool show);

extern const platform::Backend kBackend;

}  // namespace headless::impl
