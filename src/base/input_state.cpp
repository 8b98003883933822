// The shared input state: pointer, buttons, keyboard focus and the pointer-over flags.
#include "base/input_state.h"

namespace input {

PointerState pointer;
int consoleHasKeyboard = 0;
int editHasKeyboard = 0;
int pointerOverWindow = 0;
int pointerOverToolbar = 0;

void resetInputState() {
    const int x = pointer.x, y = pointer.y;
    pointer = PointerState{};
    pointer.x = x;
    pointer.y = y;
    consoleHasKeyboard = 0;
    editHasKeyboard = 0;
    pointerOverWindow = 0;
    pointerOverToolbar = 0;
}

void releaseButtons() { pointer.leftDown = pointer.rightDown = pointer.middleDown = 0; }

int takeLeftClick() {
    if (!pointer.leftClick) return 0;
    pointer.leftClick = 0;
    return 1;
}

}  // namespace input
