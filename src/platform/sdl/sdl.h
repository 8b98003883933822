// The SDL backend: the real program's window, messages and display.
#pragma once

namespace platform {

struct Backend;

namespace sdl {

// The backend table to hand to platform::useBackend.
const Backend* backend();

}  // namespace sdl
}  // namespace platform
