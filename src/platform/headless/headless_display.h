// Test controls of the headless backend's display: a settable desktop and mode list, and the
// frames the program presented, kept in memory so that tests can read their pixels.
//
// The display needs the main window, as on a real desktop: platform::openDisplay fails while no
// window is open. Every presented frame is copied (one memory copy, like an upload to the screen),
// so the last frame stays readable after the program has drawn the next one.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"

namespace headless {

// Desktop 1280 × 800 at 24 bits, the mode list derived from it, display closed, no frame kept,
// system cursor shown, counters 0.
void resetDisplay();

// The desktop whose size heads the derived mode list (the display's modes are the common window
// sizes that fit it).
void setDesktop(int width, int height, int bitsPerPixel = 24);
// Replaces the derived list: platform::displayModes returns exactly these. An empty list goes back
// to the derived one.
void setModes(const std::vector<platform::DisplayMode>& modes);
// Makes the next platform::openDisplay calls fail.
void failDisplayOpen(bool fail);

bool displayOpen();
int displayWidth();   // pixels of the open display, 0 when closed
int displayHeight();
bool displayVsync();  // vertical sync asked for at openDisplay

int framesPresented();              // presentFrame calls since resetDisplay (or openDisplay)
const uint32_t* lastFrame();        // displayWidth() × displayHeight() pixels, null before a frame
uint32_t lastFramePixel(int x, int y);  // 0 outside or before a frame
bool systemCursorShown();

}  // namespace headless
