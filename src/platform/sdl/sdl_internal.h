// Private meeting point of the SDL backend's halves: the window and message half (sdl_window.cpp)
// owns the SDL window; the display half (sdl_display.cpp) presents into it and reports where the
// drawing surface lies inside the window, so that pointer positions can be mapped back.
#pragma once

#include "platform/platform.h"

struct SDL_Window;

namespace platform::sdl {

// The main window, or nullptr before createMainWindow / after destroyMainWindow. It stays valid
// after a close request (the window is only hidden then) until destroyMainWindow at shutdown, so
// the presentation never outlives its window.
SDL_Window* sdlMainWindow();

// The drawing surface (surfaceW × surfaceH pixels) is shown scaled in the window rectangle
// (viewX, viewY, viewW, viewH), in window pixels. Called by the display whenever the view
// changes; until the first call window pixels map 1:1 to surface pixels.
void sdlSetSurfaceMapping(int viewX, int viewY, int viewW, int viewH, int surfaceW, int surfaceH);

// Queues a message for the main loop as if the window system had sent it.
void sdlPostMessage(uint32_t message);

// The display half's entries of the backend table.
std::vector<DisplayMode> displayModes();
void displayLibraryVersion(int v[4]);
bool openDisplay(const DisplayRequest& request, DisplayReport& report);
void closeDisplay();
bool beginFrame(FrameTarget& target);
void showFrame();
void showSystemCursor(bool show);

}  // namespace platform::sdl
