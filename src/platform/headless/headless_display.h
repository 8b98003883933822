// Test controls of the headless backend's display: a settable desktop and mode list, a described
// renderer from which the present path is chosen as the SDL backend chooses it, a settable window
// size and refresh rate, and the frames the program presented, kept in memory so that tests can
// read their pixels.
//
// The display needs the main window, as on a real desktop: platform::openDisplay fails while no
// window is open. The frame target is the window's picture on the window-surface path (the
// window is the frame's size unless a test sets another, and a size set while the display is
// open takes effect at the next frame, as a resize does) and a frame-sized texture on the
// streaming-texture path. What the target holds when a frame is shown is what lastFrame gives.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/backend.h"
#include "platform/platform.h"

namespace headless {

// Desktop 1280 × 800 at 24 bits, the mode list derived from it, no renderer (so the window
// surface), no VYREX_PRESENT, unknown refresh rate, the window the frame's size, display closed,
// no frame kept, system cursor shown, counters 0.
void resetDisplay();

// The desktop whose size heads the derived mode list (the display's modes are the common window
// sizes that fit it).
void setDesktop(int width, int height, int bitsPerPixel = 24);
// Replaces the derived list: platform::displayModes returns exactly these. An empty list goes back
// to the derived one.
void setModes(const std::vector<platform::DisplayMode>& modes);
// Makes the next platform::openDisplay calls fail.
void failDisplayOpen(bool fail);

// The renderer the machine would give (RendererDescription{} : none), and whether it honours a
// request to wait for the retrace.
void setRenderer(const platform::RendererDescription& renderer, bool honoursVsync = true);
// What VYREX_PRESENT holds for the next openDisplay; null: unset.
void setPresentEnvironment(const char* value);
// The refresh rate the display reports; 0: unknown.
void setRefreshRate(int hz);
// The window's size in pixels; 0 × 0: the frame's size.
void setWindowSize(int width, int height);
// Makes the window surface unavailable (as when SDL offers none), so that it cannot be opened.
void failWindowSurface(bool fail);

bool displayOpen();
int displayWidth();   // pixels of the frames of the open display, 0 when closed
int displayHeight();
bool displayVsync();  // vertical sync asked for at openDisplay
platform::PresentPath presentPath();  // of the open display

int framesPresented();              // frames shown since resetDisplay (or openDisplay)
int targetWidth();                  // pixels of the target of the last shown frame
int targetHeight();
const uint32_t* lastFrame();        // targetWidth() × targetHeight() pixels, null before a frame
uint32_t lastFramePixel(int x, int y);  // 0 outside or before a frame
bool systemCursorShown();

}  // namespace headless
