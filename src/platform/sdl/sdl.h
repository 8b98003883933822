// The SDL backend: the real program's window, messages and display.
//
// Two environment variables steer it for testing and measuring:
// - VYREX_PRESENT = surface | texture | auto forces the present path (platform.h), over the
//   start-up settings' choice.
// - VYREX_EXIT_AFTER_FRAMES = n asks the window to close after n shown frames (the splash's
//   included), as if the user had closed it: the program then shuts down as usual. Measurements
//   of the real program use it to run a fixed number of frames.
#pragma once

namespace platform {

struct Backend;

namespace sdl {

// The backend table to hand to platform::useBackend.
const Backend* backend();

}  // namespace sdl
}  // namespace platform
