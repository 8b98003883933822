// Private meeting point of the headless backend's halves: the display half's functions, which
// the backend table in headless.cpp lists beside the window half's.
#pragma once

#include "platform/backend.h"

namespace headless::impl {

std::vector<platform::DisplayMode> displayModes();
void displayLibraryVersion(int v[4]);
bool openDisplay(int width, int height, bool vsync);
void closeDisplay();
void presentFrame(const uint32_t* pixels, int width, int height, int pitch);
void showSystemCursor(bool show);

extern const platform::Backend kBackend;

}  // namespace headless::impl
