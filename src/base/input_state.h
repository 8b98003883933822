// The input state every layer may read: the pointer as the last poll saw it, the mouse buttons,
// who has the keyboard, and whether the pointer is over an in-scene window or the toolbar.
//
// Contract. The program's input step writes the pointer and buttons (the poll once per main-loop
// pass, the window procedure per message); the console and the in-scene windows set their
// keyboard flags; the in-scene windows and the toolbar set the pointer-over flags while they are
// shown. Everyone else reads. The scene takes a pending left click with takeLeftClick(), so a
// click selects at most one thing. Plain variables; one thread.
#pragma once

namespace input {

// Pointer and buttons. Positions are drawing-surface pixels.
struct PointerState {
    int x = 0, y = 0;    // position read by the last poll
    int dx = 0, dy = 0;  // motion since the poll before it
    int leftDown = 0, rightDown = 0, middleDown = 0;  // 1 while the button is held
    // After a release: 1 if the button had been down. After a press: its state before the press
    // (so 0 for an ordinary press).
    int leftClick = 0, rightClick = 0, middleClick = 0;
};
extern PointerState pointer;

// Keyboard focus: set by the console while it is open for typing, and by the in-scene window
// system while an edit field has the focus. Keys then do not reach the program's key handling.
extern int consoleHasKeyboard;
extern int editHasKeyboard;

// Set each frame by the in-scene windows and by the toolbar's pointer handling; read by the
// scene's picking so that a click on a window or on the toolbar never selects a star. Both stay
// 0 while those are not shown.
extern int pointerOverWindow;
extern int pointerOverToolbar;

// Back to no buttons, no clicks, nobody holding the keyboard, the pointer over nothing; the
// position is kept.
void resetInputState();
// Focus went to another program: buttons released there never reach us, so all are up now.
void releaseButtons();
// 1 and clears the pending left click, or 0 when there is none.
int takeLeftClick();

}  // namespace input
