// The hypertext viewer: short pages found by reference, laid out in the 6 × 8 bitmap font with
// word wrap, links that open other pages or turn the camera to an object, scrolling, and a back
// and forward history. The HTML widget shows one; the toolbar's information area keeps another.
//
// Contract.
// - A reference names a page: "?<hex n>" the help page that follows the first "<he...#n>" tag of
//   "help.html", "@<hex n>" the note that follows the first "<n...#n>" tag of "stellar.note"
//   (the catalogue's notes), anything else the whole file of that name from the packs. The number
//   of a tag is the text between its first "#" and its ">", each character a hexadecimal digit
//   ("0" to "9", "A" to "F"; any other character counts as its code − 55). A page runs from there
//   to the end of its text; its layout stops at the next "<he" or "<n" tag.
// - layoutPage reads any bytes: the tags <p> <br> <hr> <ul> </ul> <li> <a "ref"> </a> act, any
//   other tag is skipped, a line feed is a space, other control characters are dropped, and a
//   space after a space is dropped. Text wraps at word boundaries at `wrapWidth` (a word too long
//   for a line is broken where the line ends, and so is a run of kRunMax characters); a link that
//   wraps is clickable on each of its lines. A page beyond kMaxItems items, kPageTextBytes of text
//   or kMaxLinks links is laid out up to there (`truncated`). References are cut to
//   kReferenceMax characters. Layout happens when a page is opened or the width changes, never
//   per frame; it allocates nothing.
// - Drawing shows the items that lie wholly between the scroll offset and the visible bottom
//   (scroll offset + client height) and within the given rectangle: text in the text colour,
//   link text blue, object-link text red, bullets as 2 × 2 dots, rules as lines to 32 pixels
//   short of the right edge.
// - A click on a link (clickLink, in page coordinates: pixels from the page's top left with the
//   scroll offset applied) follows it: "@<hex n>" locks the camera on object n and turns the view
//   to it; any other reference, in a viewer with `forwarding`, goes to the help handler (kHelpPick
//   with topic 0 and the reference); otherwise its page is laid out and pushed onto the history.
// - History: kHistoryMax references (the oldest goes when it is full). Pushing deletes the
//   entries after the current one; back and forward lay out the page of the entry they reach. A
//   reference whose page is not found changes nothing: open, click, back and forward leave the
//   shown page and the history as they are.
#pragma once

#include <cstddef>
#include <cstdint>

#include "zwindows/zwindows.h"

namespace zwindows {

constexpr int kRunMax = 1024;         // characters of one text run
constexpr int kReferenceMax = 35;     // characters of a link's reference and a history entry
constexpr int kMaxItems = 4096;       // display items of one page
constexpr int kPageTextBytes = 65536; // characters of all text items of one page
constexpr int kMaxLinks = 256;        // clickable link areas of one page
constexpr int kHistoryMax = 64;
constexpr int kLinkHeight = 9;        // pixels
constexpr int kLineStep = 9;          // pixels from one wrapped line to the next

enum ItemType : uint8_t { kTextItem, kLinkItem, kObjectLinkItem, kBulletItem, kRuleItem };

struct PageItem {
    int32_t x, y;      // pixels from the page's top left, unscrolled
    uint32_t colour;   // pixel value (text, bullet and rule items)
    uint32_t text;     // offset of its characters in Viewer::text
    uint16_t length;   // characters
    uint8_t type;      // ItemType
    uint8_t reserved;
};

struct PageLink {
    int32_t x, y;           // pixels: the start of the link on its line
    int32_t width, height;  // pixels
    char reference[kReferenceMax + 1];
};

// A page: the bytes from its start to the end of the text that holds it.
struct Page {
    const char* text = nullptr;
    size_t size = 0;
};

struct Viewer {
    // Set by the owner before a layout.
    int32_t wrapWidth = 0;     // pixels: the client width − 16
    int32_t clientHeight = 0;  // pixels
    int32_t forwarding = 0;    // 1: links that are not object links go to the help handler

    // The layout of the current page.
    PageItem items[kMaxItems];
    int32_t itemCount = 0;
    char text[kPageTextBytes];
    uint32_t textUsed = 0;
    PageLink links[kMaxLinks];
    int32_t linkCount = 0;
    int32_t documentHeight = 0;  // pixels
    int32_t scrollOffset = 0;    // pixels
    int32_t visibleBottom = 0;   // scroll offset + client height
    int32_t layoutChanged = 0;   // set by a layout; the owner clears it when it has followed
    int32_t truncated = 0;       // the page did not fit the tables
    Page page;                   // the page laid out last (laid out again when the width changes)

    // History.
    char history[kHistoryMax][kReferenceMax + 1];
    int32_t historyCount = 0;
    int32_t historyCurrent = -1;  // −1: empty
};

// The page a reference names; false when there is none.
bool resolveReference(const char* reference, Page& page);
// Replaces the layout with the page's (scroll offset 0, layoutChanged set).
void layoutPage(Viewer& v, const Page& page);
// An empty layout.
void clearPage(Viewer& v);
// Draws the page with its top left at (area.x, area.y), within the area.
void drawPage(const Viewer& v, draw::Surface& s, const Rect& area);
// Scroll offset in pixels, 0 .. document height.
void scrollPage(Viewer& v, int offset);
// Follows the newest link at (x, y); 1 when there was one.
int clickLink(Viewer& v, int x, int y);
// Opens a reference: lays out its page and, unless it starts with "@", pushes it onto the
// history. 1 when the page was found.
int openReference(Viewer& v, const char* reference);
// 1 when the history moved and its page was laid out.
int historyBack(Viewer& v);
int historyForward(Viewer& v);

}  // namespace zwindows
