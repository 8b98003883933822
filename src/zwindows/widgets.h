// The seven widget classes the window manager registers at its start, their messages and their
// private data.
//
// Contract. Every widget is a node of kind 0: its own ZODE object with a private data block of
// the size below. Its create handler sets its flags to kVisible | kFilled (a GROUP: kVisible
// only), keeping kClosed when the caller asked for it, and it reports changes to its parent's
// object with kNotify (widget node, value, extra). Text is drawn in the 6 × 8 bitmap font.
// - BUTTON: pressed by the activation and while the left button is held over it; a click
//   releases it and notifies (node, 0).
// - CHECK: a click toggles it and notifies (node, state). kCheckSet (state), kCheckGet.
// - SCROLL: a vertical bar of minimum, maximum, step and value, 0 to 32672 by 100 at first. Held
//   above the top limit (25) or below the bottom limit (height − 25) it steps by `step` on every
//   routing pass; held between them the thumb follows the pointer and the value follows the
//   thumb. Each move notifies (node, value, thumb). kScrollSetRange (minimum, maximum, step,
//   value), kScrollGetValue, kScrollSetValue (value), kScrollShowThumb (0 hides; a bar without
//   its thumb ignores the button). Values stay within minimum .. maximum.
// - EDIT: one line of at most kEditMax characters after its caption. Active, it holds the
//   keyboard (input::editHasKeyboard) and shows a blinking cursor; codes from 32 are added,
//   8 removes the last character, 13 notifies (node, text, count), and leaving the field
//   notifies the same way. kEditSetText (text), kEditGetText (buffer, capacity; 0 means
//   kEditMax + 1 bytes) → count.
// - GROUP: a frame with its caption in a gap of the top edge.
// - LIST: up to kListMax items (text, value) with a scroll bar child that shows its thumb once
//   there are more items than rows; a click on an item selects it and notifies (node, item), a
//   click below the last item does nothing. kListClear, kListAdd (index or −1 to append, text,
//   value) → the item's index or −1, kListSelect (item or −1), kListSelected, kListSetValue
//   (item, value), kListValue (item) → value, kListSetMarks (0/1: a dot marks items of non-zero
//   value), kListSetAllValues (value), kListText (item, buffer, capacity) → length. Items outside
//   0 .. count − 1 answer 0 and change nothing.
// - HTML: the hypertext viewer (viewer.h) with a scroll bar child. kHtmlOpen (reference; none
//   clears the page), kHtmlBack, kHtmlForward.
#pragma once

#include <cstddef>
#include <cstdint>

#include "zwindows/zwindows.h"

namespace zwindows {

// Class names, in the order start() registers them (class index 0 to 6).
inline constexpr const char* kWidgetClasses[] = {"BUTTON", "CHECK", "SCROLL", "EDIT",
                                                 "GROUP",  "LIST",  "HTML"};
constexpr int kWidgetClassCount = 7;

enum : uint32_t {
    kCheckSet = 0x8000,
    kCheckGet = 0x8001,
    kScrollSetRange = 0x8100,
    kScrollGetValue = 0x8101,
    kScrollSetValue = 0x8102,
    kScrollShowThumb = 0x8103,
    kEditSetText = 0x8200,
    kEditGetText = 0x8201,
    kListClear = 0x8300,
    kListAdd = 0x8301,
    kListSelect = 0x8302,
    kListSelected = 0x8303,
    kListSetValue = 0x8304,
    kListValue = 0x8305,
    kListSetMarks = 0x8306,
    kListSetAllValues = 0x8307,
    kListText = 0x8308,
    kHtmlOpen = 0x8400,
    kHtmlBack = 0x8401,
    kHtmlForward = 0x8402,
};

constexpr int kEditMax = 128;    // characters of an EDIT
constexpr int kListMax = 1024;   // items of a LIST
constexpr int kListTextMax = 255;  // characters of a list item kept (more than any row shows)

// ---- Private data blocks ---------------------------------------------------------------------

struct ButtonData {
    int32_t pressed;   // 1 from the press to the click
    int32_t reserved;
};
static_assert(sizeof(ButtonData) == 8);

struct CheckData {
    int32_t state;     // 0 or 1
    int32_t reserved[2];
};
static_assert(sizeof(CheckData) == 12);

struct ScrollData {
    int32_t minimum, maximum, step, value;
    int32_t top, bottom;  // thumb limits, pixels from the bar's top: 25 and height − 25
    int32_t thumb;        // thumb position, pixels from the bar's top
    int32_t shown;        // the thumb is shown (the bar takes the button)
    int32_t reserved;
};
static_assert(sizeof(ScrollData) == 36);
static_assert(offsetof(ScrollData, value) == 12 && offsetof(ScrollData, thumb) == 24);

struct EditData {
    char text[kEditMax + 4];  // zero-terminated
    int32_t count;            // characters in text
    int32_t first;            // first character shown
    int32_t visible;          // characters the box shows
    int32_t focus;            // 1 while active (holding the keyboard)
    int32_t blink;            // 0..16 per frame; the cursor shows above 8
};
static_assert(sizeof(EditData) == 152);
static_assert(offsetof(EditData, count) == 132);

struct GroupData {
    int32_t reserved;
};
static_assert(sizeof(GroupData) == 4);

struct ListItem {
    char* text;     // a copy, at most kListTextMax characters
    int32_t shown;  // characters drawn: the text's length, at most the columns
    int32_t value;
};

struct ListData {
    ListItem items[kListMax];
    int32_t count;
    int32_t first;     // first item shown
    int32_t last;      // one past the last item shown
    int32_t selected;  // −1 for none
    int32_t columns;   // characters per row: (width − 20) / 6
    int32_t rows;      // (height − 4) / 8
    int32_t marks;     // items of non-zero value get a dot
    Node scroll;       // the scroll bar child
};

struct Viewer;
struct HtmlData {
    Viewer* viewer;        // the page, its links and history; made with the widget
    Node scroll;           // the scroll bar child
    uint32_t linkPress;    // the press that last followed a link (one link per press)
    int32_t reserved[2];
};
static_assert(sizeof(HtmlData) == 24);

// The private data size of each widget class, in kWidgetClasses order.
inline constexpr uint32_t kWidgetDataSizes[kWidgetClassCount] = {
    sizeof(ButtonData), sizeof(CheckData), sizeof(ScrollData), sizeof(EditData),
    sizeof(GroupData),  sizeof(ListData),  sizeof(HtmlData)};

// The viewer of an HTML widget node, or null.
Viewer* htmlViewer(Node node);

}  // namespace zwindows
