// Input: the pointer poll of every main-loop pass and the main window's handling of keys,
// characters, mouse buttons and the wheel, turned into camera commands, display toggles and the
// input events on the event bus.
//
// Contract.
// - startInput() creates the program's twelve event types (256 to 259 and 512 to 519) on the
//   event bus, clears the button states, both keyboard-focus flags and the pointer-over flags,
//   and reads the pointer. It returns 1, or 0 when the bus could not take every event type.
//   stopInput() releases nothing.
// - pollInput() runs first in every main-loop pass: it reads the pointer into input::pointer,
//   records the motion since the previous poll, broadcasts event 257 (x, y) in every poll,
//   whether or not the pointer moved, and while the right button is held turns the camera by
//   (dy/120, −dx/120, 0).
// - windowMessage() is the main window's procedure for every message the window itself does not
//   answer. Keys act while neither the console nor an edit field has the keyboard (while the
//   console has it, F12 closes the console and nothing else acts), and event 258 follows the
//   program's own handling of the key, so an observer of Escape already sees the quit flag set.
//   Characters go to the console, else to the edit field, else out as event 259. Button
//   messages update input::pointer; every message other than keys, characters and the wheel
//   then goes to the in-scene GUI's routing (while the GUI is shown) and to the platform's
//   default handling.
// - Each wheel message calls move(±speed, 0, 0), forward when the wheel turns away from the
//   user (so a move covers `speed` times the mode's step); with the middle button held it
//   changes `speed` by 0.5 instead (away: faster) and asks for a sky rebuild.
// - Every key calls the operation of the layer that owns its target, the same operation the
//   console's words, the toolbar and the panels call.
// Main thread only; nothing here allocates.
#pragma once

#include <cstdint>

#include "base/input_state.h"
#include "platform/platform.h"

namespace input {

int startInput();
void pollInput();
void stopInput();

// The window procedure's part for keys, characters, buttons, the wheel and all other messages.
intptr_t windowMessage(const platform::Message& msg);

// One entry of the key table: a virtual-key code pressed without Ctrl, and what it does.
struct KeyAction {
    int vk;
    const char* action;  // what the key does, in the user's words
    void (*run)();       // null: the key does nothing yet
};
// The table, for the help text and the tests.
const KeyAction* keyTable(int& count);

}  // namespace input
