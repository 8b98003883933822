// The toolbar: a strip along the bottom of the screen, drawn after the in-scene windows and over
// them, with a row of camera buttons, a menu that slides up from it (the view modes, the panels,
// exit) and the object information text with its note slider.
//
// Contract.
// - toolbarStart() loads "buttons.bmp" and "menu.bmp" and returns 1, or 0 when either is missing
//   (the start-up then ends with "Can't init toolbar."); toolbarStop() forgets them. Closed at
//   start; nothing of it is stored.
// - Geometry, with W and H the drawing surface's largest x and y and R = W − 231: the bar's top T
//   is H − 28 closed; the menu slides 16 pixels a frame and stops at the first place at or above
//   H − 128 (H − 140), where the menu area below the bar's row holds the menu and the
//   information text. The buttons' bitmap is drawn at (R, T − 4), the menu's at (R, T + 32),
//   both leaving out the video layer's transparent colour.
// - toolbarPointer() is the toolbar's part of every window message the window procedure does not
//   answer, while the GUI is shown, before the in-scene windows route it: it sets
//   input::pointerOverToolbar (the pointer below T), acts on the left button over the buttons
//   (kToolbarButtons), the menu (kToolbarMenu) and the left part (the selection mode, the note
//   slider, the note's links), and takes a click released over the bar, so that neither the
//   sky nor a window behind the bar gets it. Toggles, the help pick, the menu and the journey
//   buttons act once per press; the zoom, roll and slider arrows act on every message while the
//   button is held, and on held still they repeat as a held scroll arrow does.
// - In help-pick mode a press on a button or menu entry only keeps its help topic; released over
//   the bar, the help pick ends with it (to the help handler).
// - toolbarDraw() is the toolbar's part of every frame while the GUI is shown: the slide, then
//   the bar in the face colour, its top line, the buttons, the summary of the described object,
//   the camera marks (the active camera's bright), the information form's mark, and while open
//   the menu and the information text in its form (details or note). toolbarHidden() is the
//   frame while the GUI is hidden: the pointer is over no toolbar.
// Nothing here allocates or formats per frame; main thread only.
#pragma once

#include <cstdint>

namespace zwindows {

int toolbarStart();
void toolbarStop();

// → the open flag before the call; a closed bar starts opening / an open one closing.
int toolbarOpen();
int toolbarClose();
int toolbarIsOpen();
int toolbarTop();  // the bar's top T for the video layer's surface now

int toolbarPointer();
void toolbarDraw();
void toolbarHidden();

// The information form: the detail lines (1, at start) or the note (0). The I key and the
// toolbar's button switch it.
int infoFormDetails();
void toggleInfoForm();

// A button of the row or an entry of the menu: the pixels it spans (x from R; for the menu also
// the rows below T), its help topic, what it does.
struct ToolbarAction {
    int from, to;           // x − R, inclusive
    int top, bottom;        // y − T, inclusive (menu entries; the button row is 1 to 31)
    uint32_t helpTopic;
    void (*act)();
    bool repeats;           // acts on every message while held
};
extern const ToolbarAction kToolbarButtons[];
extern const int kToolbarButtonCount;
extern const ToolbarAction kToolbarMenu[];
extern const int kToolbarMenuCount;
// The help topics of the bar's left part: the bar itself (selection mode) and the area below.
constexpr uint32_t kSelectionModeTopic = 0x8020;
constexpr uint32_t kInformationAreaTopic = 0x8030;

}  // namespace zwindows
