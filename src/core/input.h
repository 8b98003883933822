// Input: the pointer poll of every main-loop pass and the main window's handling of keys,
// characters, mouse buttons and the wheel, turned into camera commands, display toggles and the
// input events on the event bus.
//
// Contract.
// - startInput() creates the program's twelve event types (256 to 259 and 512 to 519) on the
//   event bus, clears the button states and both keyboard-focus flags, reads the pointer, and
//   makes the pointer drawing of the video layer and the scene's picking read this module's
//   state. It returns 1, or 0 when the bus could not take every event type. stopInput() hands
//   the pointer and the click back to their defaults and releases nothing else.
// - pollInput() runs first in every main-loop pass: it reads the pointer, records the motion
//   since the previous poll, broadcasts event 257 (x, y) in every poll, whether or not the
//   pointer moved, and while the right button is held turns the camera by (dy/120, −dx/120, 0).
// - windowMessage() is the main window's procedure for every message the window itself does not
//   answer. Keys act while neither the console nor an edit field has the keyboard (while the
//   console has it, F12 closes the console and nothing else acts), and event 258
//   follows the program's own handling of the key, so an observer of Escape already sees the
//   quit flag set. Characters go to the console, else to the edit field, else out as event 259.
//   Button messages update the states below; every message other than keys, characters and the
//   wheel then goes to the GUI routing hooks (while the GUI is shown) and to the platform's
//   default handling.
// - Each wheel message calls move(±speed, 0, 0), forward when the wheel turns away from the
//   user (so a move covers `speed` times the mode's step); with the middle button held it
//   changes `speed` by 0.5 instead (away: faster) and asks for a sky rebuild. A step that would take `speed` to 0 or below is not taken, so the
//   wheel never stops or reverses the camera.
// - Home never takes `zoom` below kMinZoom (the picture would shrink to a point and then turn
//   over) nor `zclip` below 0.
// - Hooks are filled in by the subsystems that own their targets; a null hook means the target
//   does not exist and the key, character or message simply does not reach it.
// Main thread only; nothing here allocates.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace input {

// Pointer and buttons. Positions are drawing-surface pixels.
struct PointerState {
    int x = 0, y = 0;    // position read by the last poll
    int dx = 0, dy = 0;  // motion since the poll before it
    int leftDown = 0, rightDown = 0, middleDown = 0;  // 1 while the button is held
    // After a release: 1 if the button had been down. After a press: its state before the press
    // (so 0 for an ordinary press). The scene takes the left click with takeLeftClick().
    int leftClick = 0, rightClick = 0, middleClick = 0;
};
extern PointerState pointer;

// Keyboard focus: set by the console while it is open for typing, and by the in-scene window
// system while an edit field has the focus. Keys then do not reach the program's key handling.
extern int consoleHasKeyboard;
extern int editHasKeyboard;

constexpr double kMinZoom = 0.1;  // Home stops here

int startInput();
void pollInput();
void stopInput();

// The window procedure's part for keys, characters, buttons, the wheel and all other messages.
intptr_t windowMessage(const platform::Message& msg);

// Focus went to another program: buttons released there never reach us, so all are up now.
void releaseButtons();

// The latest polled position (the video layer's pointer source and the scene's pick position).
void pointerPosition(int& x, int& y);
// 1 and clears the pending left click, or 0 when there is none.
int takeLeftClick();

// ---- Hooks of later subsystems ----------------------------------------------------------------

// Runs the macro bound to a Ctrl+key combination (the key's virtual-key code).
using MacroHook = void (*)(int virtualKey);
extern MacroHook macroHook;

// The console's F12: opens it (from the program's key handling) and closes it (while it has
// the keyboard, when it is the one key that acts).
using ConsoleKeyHook = void (*)();
extern ConsoleKeyHook consoleOpenHook;
extern ConsoleKeyHook consoleCloseHook;

// A typed character for the console (while consoleHasKeyboard) or the focused edit field (while
// editHasKeyboard): character code and the message's key data.
using CharacterHook = void (*)(int character, intptr_t keyData);
extern CharacterHook consoleCharacterHook;
extern CharacterHook editCharacterHook;

// GUI routing of one window message while the GUI is shown: the toolbar first, which returns 1
// when the pointer is over the toolbar, then the Z windows system, which is told that result.
using ToolbarRouteHook = int (*)(const platform::Message& msg);
using WindowsRouteHook = void (*)(const platform::Message& msg, int pointerOverToolbar);
extern ToolbarRouteHook toolbarRouteHook;
extern WindowsRouteHook windowsRouteHook;

}  // namespace input
