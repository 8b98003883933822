// What the launcher's dialogs share inside this folder: the control tables they are written as,
// the state of a running dialog, and the modal loop that shows one.
#pragma once

#include <cstdint>

#include "video/draw.h"
#include "video/video.h"
#include "zwindows/zwindows.h"

namespace launcher::detail {

enum class Kind : uint8_t {
    kButton,   // a push button: acts on release over it, on Space, or on Enter while focused
    kCheck,    // a check box: toggles on release over it or on Space
    kList,     // a list of lines with a scroll bar; one line selected
    kGroup,    // a frame with its caption in the top edge
    kLabel,    // one line of text
    kPicture,  // the program's picture, in a sunken frame
    kIcon,     // the program's icon
    kText,     // lines centred one under the other (drawTextLines)
    kStatus,   // two lines of what the last action did
};

struct Control {
    int id;            // the control's number in the dialog (1 OK or Run, 2 Cancel or Exit)
    Kind kind;
    const char* text;  // caption; null for none
    int x, y;          // pixels from the dialog's top-left corner
    int width, height; // pixels
};

constexpr int kMaxControls = 24;
constexpr int kLineMax = 47;      // characters of a list line
constexpr int kStatusMax = 63;    // characters of a status line
constexpr int kTextTop = 0;       // pixels from a text area's top to its first line
constexpr int kTextLineStep = 12; // pixels from one text line to the next

struct DialogRun;

struct Dialog {
    int number;                 // 101, 104, 105
    const char* title;          // of the window
    int width, height;          // pixels
    const Control* controls;    // in the order Tab visits them
    int count;
    int defaultId;              // the button Enter presses when no button has the focus
    int cancelId;               // the button Escape and closing the window press
    void (*init)(DialogRun& run);
    // A button was pressed, a check box toggled (its new state is in), or the user moved the
    // list's selection.
    void (*command)(DialogRun& run, int id);
};

struct ListState {
    char lines[video::kMaxModes][kLineMax + 1];
    int count = 0;
    int selected = -1;  // −1: none
    int first = 0;      // the first line shown
};

struct DialogRun {
    const Dialog* dialog = nullptr;
    bool checked[kMaxControls] = {};          // by control index
    const char* const* lines[kMaxControls] = {};  // a text area's lines, ending with one that begins with '.'
    ListState list;                           // the dialog's list (it has one at most)
    int focus = -1;       // index of the control with the keyboard
    int pressed = -1;     // index of the button or box the left button (or Space) holds down
    bool pressedOver = false;  // the pointer is over the held control
    bool dragThumb = false;    // the left button drags the list's scroll bar
    char status[2][kStatusMax + 1] = {};
    int result = -1;      // ≥ 0 ends the dialog with that result
};

// The pictures and colours the dialogs draw with, loaded by runLauncher while the packs are open.
struct Assets {
    draw::BitmapPtr picture;      // "intro.bmp"
    draw::BitmapPtr icon;         // "icon.bmp"
    draw::BitmapPtr scrollUp;     // "scrollup.bmp"
    draw::BitmapPtr scrollDown;   // "scrolldown.bmp"
    draw::BitmapPtr scrollThumb;  // "scroll.bmp"
    zwindows::Colours colours{};
};
extern Assets assets;

// Shows the dialog modally in the dialog window and returns its result, or −1 when no dialog
// window can be shown. A dialog shown from another's command gives the window back to that one
// when it ends.
int runDialog(const Dialog& dialog);
// Frees the dialogs' picture once the last dialog has ended.
void releaseDialogPicture();

// Helpers for the dialogs' handlers, by control id; ids the dialog does not have do nothing.
int indexOf(const DialogRun& run, int id);
bool checked(const DialogRun& run, int id);
void setChecked(DialogRun& run, int id, bool on);
void setLines(DialogRun& run, int id, const char* const* lines);
void listClear(DialogRun& run);
void listAdd(DialogRun& run, const char* line);
void listSelect(DialogRun& run, int line);  // and scrolls it into view
void setStatus(DialogRun& run, const char* first, const char* second);
void endDialog(DialogRun& run, int result);

// Draws lines centred in the area, from `top` pixels below its top edge, kTextLineStep apart,
// until a line that begins with '.' (or a null).
void drawTextLines(draw::Surface& s, const zwindows::Rect& area, const char* const* lines, int top,
                   uint32_t colour);

}  // namespace launcher::detail
