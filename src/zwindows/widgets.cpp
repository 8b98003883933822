// The widget classes BUTTON, CHECK, SCROLL, EDIT, GROUP and LIST: their messages and painting.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "base/input_state.h"
#include "video/video.h"
#include "zwindows/paint.h"
#include "zwindows/widgets.h"
#include "zwindows/zwindows_internal.h"

namespace zwindows {
namespace {

constexpr int kThumbLimit = 25;  // pixels from either end of a scroll bar to the thumb's travel
constexpr int kArrowSize = 16;   // the arrow bitmaps' height
constexpr int kThumbHalf = 9;    // the thumb bitmap is drawn this far above its position

draw::BitmapPtr scrollThumb, scrollUp, scrollDown;

Node nodeOf(const zode::Message* m) { return static_cast<Node>(m->a1); }
draw::Surface* surfaceOf(const zode::Message* m) { return reinterpret_cast<draw::Surface*>(m->a2); }

// The flags every widget gets from its create handler; kClosed is kept for a widget made hidden.
void createdFlags(Node node, uint32_t flags) { detail::initFlags(node, flags | (nodeFlags(node) & kClosed)); }

int captionLength(Node node) { return int(std::strlen(nodeCaption(node))); }

int32_t clampToInt32(intptr_t v) {
    return int32_t(std::clamp<intptr_t>(v, INT32_MIN, INT32_MAX));
}

// ---- BUTTON --------------------------------------------------------------------------------------

void paintButton(Node node, const ButtonData& d, draw::Surface& s) {
    // Drawn pressed only while the button is still held: a press that left it stays up.
    paintButtonFace(s, clientRect(node), nodeCaption(node), d.pressed && input::pointer.leftDown, colours());
}

// ---- CHECK ---------------------------------------------------------------------------------------

void paintCheck(Node node, const CheckData& d, draw::Surface& s) {
    paintCheckBox(s, clientRect(node), nodeCaption(node), d.state != 0, colours());
}

// ---- SCROLL --------------------------------------------------------------------------------------

// The thumb's position for the value: the same fraction of the travel as of the range.
void thumbFollowsValue(ScrollData& d) {
    const int64_t range = int64_t(d.maximum) - d.minimum;
    d.thumb = range > 0 ? int32_t(d.top + (int64_t(d.value) - d.minimum) * (d.bottom - d.top) / range) : d.top;
}

void setScrollValue(ScrollData& d, int64_t value) {
    d.value = int32_t(std::clamp<int64_t>(value, d.minimum, d.maximum));
    thumbFollowsValue(d);
}

void scrollHeld(Node node, ScrollData& d, int y) {
    if (!d.shown) return;
    if (y < d.top) {
        setScrollValue(d, int64_t(d.value) - d.step);
    } else if (y > d.bottom) {
        setScrollValue(d, int64_t(d.value) + d.step);
    } else {
        d.thumb = y;
        const int64_t travel = int64_t(d.bottom) - d.top;
        if (travel > 0) d.value = int32_t(d.minimum + (int64_t(y) - d.top) * (int64_t(d.maximum) - d.minimum) / travel);
    }
    detail::notifyParent(node, d.value, d.thumb);
}

void paintScroll(Node node, const ScrollData& d, draw::Surface& s) {
    const Rect r = clientRect(node);
    if (scrollUp) draw::drawBitmap(s, *scrollUp, r.x, r.y);
    if (scrollDown) draw::drawBitmap(s, *scrollDown, r.x, r.y + r.height - kArrowSize);
    if (d.shown && scrollThumb) draw::drawBitmap(s, *scrollThumb, r.x, r.y + d.thumb - kThumbHalf);
}

// ---- EDIT ----------------------------------------------------------------------------------------

// The field's box: after the caption and a gap, to the right end; empty when a long caption
// leaves no room.
int editBoxX(Node node) {
    const Rect r = clientRect(node);
    const int length = captionLength(node);
    return length ? r.x + kCellWidth * length + 4 : r.x;
}

void editScroll(Node node, EditData& d) {
    const Rect r = clientRect(node);
    d.visible = std::max(0, (r.x + r.width - editBoxX(node)) / kCellWidth);
    if (d.count < d.first) d.first = d.count;
    if (d.count - d.first > d.visible) d.first = std::max(0, d.count - d.visible / 2);
}

void editCharacter(Node node, EditData& d, intptr_t character) {
    if (character == 8) {
        if (d.count == 0) return;
        d.text[--d.count] = 0;
    } else if (character == 13) {
        detail::notifyParent(node, reinterpret_cast<intptr_t>(d.text), d.count);
        return;
    } else if (character >= 32 && character <= 255 && d.count < kEditMax) {
        d.text[d.count++] = static_cast<char>(character);
        d.text[d.count] = 0;
    } else {
        return;
    }
    editScroll(node, d);
}

void paintEdit(Node node, EditData& d, draw::Surface& s) {
    const Colours& c = colours();
    const Rect r = clientRect(node);
    const int boxX = editBoxX(node), right = r.x + r.width;
    d.blink = (d.blink + 1) % 17;
    if (boxX < right) {
        draw::setColour(s, c.field);
        draw::fillRect(s, boxX, r.y, right, r.y + r.height);
        drawEdges(s, Rect{boxX, r.y, right - boxX, r.height}, c.dark, c.light);
        drawText(s, boxX + 2, r.y + 2, d.text + d.first, d.count - d.first, c.text, boxX, right);
        const int cursor = boxX + 2 + kCellWidth * (d.count - d.first);
        if (d.focus && d.blink > 8 && cursor < right) {
            draw::setColour(s, c.text);
            draw::line(s, cursor, r.y + 2, cursor, r.y + 10);
        }
    }
    drawText(s, r.x, r.y + r.height / 2 - 4, nodeCaption(node), kCaptionMax, c.text, r.x, std::min(boxX, right));
}

// ---- GROUP ---------------------------------------------------------------------------------------

void paintGroup(Node node, draw::Surface& s) { paintGroupFrame(s, clientRect(node), nodeCaption(node), colours()); }

// ---- LIST ----------------------------------------------------------------------------------------

void freeItems(ListData& d) {
    for (int i = 0; i < d.count; ++i) std::free(d.items[i].text);
    d.count = 0;
}

void showFrom(ListData& d, int first) {
    d.first = std::clamp(first, 0, std::max(0, d.count - 1));
    d.last = std::min(d.count, d.first + d.rows);
}

int listAdd(ListData& d, intptr_t index, const char* text, intptr_t value) {
    if (d.count >= kListMax) return -1;
    size_t length = 0;
    if (text)
        while (length < size_t(kListTextMax) && text[length]) ++length;
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (!copy) return -1;
    if (length) std::memcpy(copy, text, length);
    copy[length] = 0;
    // Inserting before an item shifts it and those after it down; −1 or a place past the end
    // appends.
    const int at = index >= 0 && index < d.count ? int(index) : d.count;
    std::memmove(&d.items[at + 1], &d.items[at], sizeof(ListItem) * size_t(d.count - at));
    d.items[at] = ListItem{copy, std::min(int32_t(length), std::max(0, d.columns)), clampToInt32(value)};
    ++d.count;
    if (d.selected >= at) ++d.selected;
    if (d.count > d.rows) {
        zode::send(nodeHandler(d.scroll), kScrollShowThumb, 1);
        zode::send(nodeHandler(d.scroll), kScrollSetRange, 0, d.count - d.rows, 1, 0);
        showFrom(d, 0);
    } else {
        d.last = std::min(d.count, d.first + d.rows);
    }
    return at;
}

void paintList(Node node, const ListData& d, draw::Surface& s) {
    const Colours& c = colours();
    const Rect r = clientRect(node);
    drawEdges(s, r, c.dark, c.light);
    const int end = std::min(d.count, d.first + d.rows);
    for (int i = d.first; i < end; ++i) {
        const ListItem& item = d.items[i];
        const int line = r.y + 2 + kCellHeight * (i - d.first);
        const bool selected = i == d.selected;
        if (selected) {
            draw::setColour(s, c.selection);
            draw::fillRect(s, r.x + 1, line, r.x + kCellWidth * d.columns + 6, line + kCellHeight);
        }
        const uint32_t ink = selected ? c.light : c.text;
        if (d.marks && item.value != 0) {
            draw::setColour(s, ink);
            draw::fillRect(s, r.x + 2, line + 3, r.x + 4, line + 5);
        }
        drawText(s, r.x + 8, line, item.text, item.shown, ink, r.x + 8, r.x + 8 + kCellWidth * d.columns);
    }
}

}  // namespace

namespace detail {

void loadWidgetBitmaps() {
    scrollThumb = video::loadDisplayBitmap("scroll.bmp");
    scrollUp = video::loadDisplayBitmap("scrollup.bmp");
    scrollDown = video::loadDisplayBitmap("scrolldown.bmp");
}

void releaseWidgetBitmaps() {
    scrollThumb.reset();
    scrollUp.reset();
    scrollDown.reset();
}

int32_t buttonProc(zode::Message* m) {
    auto* d = static_cast<ButtonData*>(m->data);
    if (!d) return 0;
    switch (m->code) {
        case kCreate: createdFlags(nodeOf(m), kVisible | kFilled); return 1;
        case kActivate:
        case kLeftHeld: d->pressed = 1; return 1;
        case kDeactivate: d->pressed = 0; return 1;
        case kLeftClick:
            d->pressed = 0;
            notifyParent(nodeOf(m), 0);
            return 1;
        case kPaint: paintButton(nodeOf(m), *d, *surfaceOf(m)); return 1;
        default: return 0;
    }
}

int32_t checkProc(zode::Message* m) {
    auto* d = static_cast<CheckData*>(m->data);
    if (!d) return 0;
    switch (m->code) {
        case kCreate: createdFlags(nodeOf(m), kVisible | kFilled); return 1;
        case kLeftClick:
            d->state = d->state ? 0 : 1;
            notifyParent(nodeOf(m), d->state);
            return 1;
        case kCheckSet: d->state = m->a1 != 0; return 1;
        case kCheckGet: return d->state;
        case kPaint: paintCheck(nodeOf(m), *d, *surfaceOf(m)); return 1;
        default: return 0;
    }
}

int32_t scrollProc(zode::Message* m) {
    auto* d = static_cast<ScrollData*>(m->data);
    if (!d) return 0;
    switch (m->code) {
        case kCreate: {
            const Node node = nodeOf(m);
            createdFlags(node, kVisible | kFilled);
            *d = ScrollData{0, 32672, 100, 0, kThumbLimit, 0, kThumbLimit, 1, 0};
            // A bar too short for the thumb's travel has none: both limits meet.
            d->bottom = std::max(kThumbLimit, clientRect(node).height - kThumbLimit);
            return 1;
        }
        case kLeftHeld: scrollHeld(nodeOf(m), *d, int(m->a3)); return 1;
        case kScrollSetRange:
            d->minimum = clampToInt32(m->a1);
            d->maximum = std::max(d->minimum, clampToInt32(m->a2));
            d->step = clampToInt32(m->a3);
            setScrollValue(*d, m->a4);
            return 1;
        case kScrollGetValue: return d->value;
        case kScrollSetValue: setScrollValue(*d, m->a1); return 1;
        case kScrollShowThumb: d->shown = m->a1 != 0; return 1;
        case kPaint: paintScroll(nodeOf(m), *d, *surfaceOf(m)); return 1;
        default: return 0;
    }
}

int32_t editProc(zode::Message* m) {
    auto* d = static_cast<EditData*>(m->data);
    if (!d) return 0;
    switch (m->code) {
        case kCreate:
            createdFlags(nodeOf(m), kVisible | kFilled);
            editScroll(nodeOf(m), *d);
            return 1;
        case kActivate:
            d->focus = 1;
            input::editHasKeyboard = 1;
            return 1;
        case kDeactivate:
            // The receiver is the previous active node, the second argument.
            d->focus = 0;
            input::editHasKeyboard = 0;
            notifyParent(static_cast<Node>(m->a2), reinterpret_cast<intptr_t>(d->text), d->count);
            return 1;
        case kCharacter: editCharacter(nodeOf(m), *d, m->a2); return 1;
        case kEditSetText: {
            const char* text = reinterpret_cast<const char*>(m->a1);
            d->count = 0;
            if (text)
                while (d->count < kEditMax && text[d->count]) ++d->count;
            if (d->count) std::memmove(d->text, text, size_t(d->count));
            d->text[d->count] = 0;
            d->first = 0;
            return 1;
        }
        case kEditGetText: {
            char* out = reinterpret_cast<char*>(m->a1);
            const intptr_t capacity = m->a2 > 0 ? m->a2 : kEditMax + 1;
            if (out) {
                const int n = int(std::min<intptr_t>(d->count, capacity - 1));
                std::memcpy(out, d->text, size_t(n));
                out[n] = 0;
            }
            return d->count;
        }
        case kPaint:
            editScroll(nodeOf(m), *d);
            paintEdit(nodeOf(m), *d, *surfaceOf(m));
            return 1;
        case zode::kDestroy:
            // A field destroyed while it holds the keyboard gives it back.
            if (d->focus) input::editHasKeyboard = 0;
            return 1;
        default: return 0;
    }
}

int32_t groupProc(zode::Message* m) {
    switch (m->code) {
        case kCreate: createdFlags(nodeOf(m), kVisible); return 1;
        case kPaint: paintGroup(nodeOf(m), *surfaceOf(m)); return 1;
        default: return 0;
    }
}

int32_t listProc(zode::Message* m) {
    auto* d = static_cast<ListData*>(m->data);
    if (!d) return 0;
    switch (m->code) {
        case kCreate: {
            const Node node = nodeOf(m);
            createdFlags(node, kVisible | kFilled);
            setFaceColour(node, colours().listFace);
            const Rect r = clientRect(node);
            d->selected = -1;
            d->columns = std::max(0, (r.width - 20) / kCellWidth);
            d->rows = std::max(0, (r.height - 4) / kCellHeight);
            d->scroll = createNode(node, "SCROLL", "", r.width - 16, 1, 16, r.height - 1, kVisible | kFilled);
            zode::send(nodeHandler(d->scroll), kScrollShowThumb, 0);
            return 1;
        }
        case kLeftClick: {
            const int y = int(m->a3);
            if (y < 2) return 1;
            const int row = (y - 2) / kCellHeight;
            const int item = d->first + row;
            if (row < d->rows && item < d->count) {
                d->selected = item;
                notifyParent(nodeOf(m), item);
            }
            return 1;
        }
        case kNotify:
            if (static_cast<Node>(m->a1) == d->scroll) showFrom(*d, clampToInt32(m->a2));
            return 1;
        case kListClear:
            freeItems(*d);
            d->first = d->last = 0;
            d->selected = -1;
            zode::send(nodeHandler(d->scroll), kScrollShowThumb, 0);
            return 1;
        case kListAdd: return listAdd(*d, m->a1, reinterpret_cast<const char*>(m->a2), m->a3);
        case kListSelect:
            if (m->a1 >= -1 && m->a1 < d->count) d->selected = int32_t(m->a1);
            return 1;
        case kListSelected: return d->selected;
        case kListSetValue:
            if (m->a1 < 0 || m->a1 >= d->count) return 0;
            d->items[m->a1].value = clampToInt32(m->a2);
            return 1;
        case kListValue: return m->a1 >= 0 && m->a1 < d->count ? d->items[m->a1].value : 0;
        case kListSetMarks: d->marks = m->a1 != 0; return 1;
        case kListSetAllValues:
            for (int i = 0; i < d->count; ++i) d->items[i].value = clampToInt32(m->a1);
            return 1;
        case kListText: {
            if (m->a1 < 0 || m->a1 >= d->count) return 0;
            const char* text = d->items[m->a1].text;
            const int length = int(std::strlen(text));
            char* out = reinterpret_cast<char*>(m->a2);
            if (out && m->a3 > 0) {
                const int n = int(std::min<intptr_t>(length, m->a3 - 1));
                std::memcpy(out, text, size_t(n));
                out[n] = 0;
            }
            return length;
        }
        case kPaint: paintList(nodeOf(m), *d, *surfaceOf(m)); return 1;
        case zode::kDestroy: freeItems(*d); return 1;
        default: return 0;
    }
}

}  // namespace detail

// ---- Faces (paint.h) -----------------------------------------------------------------------------

void paintButtonFace(draw::Surface& s, const Rect& r, const char* caption, bool pressed, const Colours& c) {
    if (pressed) {
        draw::setColour(s, c.title);
        draw::fillRect(s, r.x, r.y, r.x + r.width, r.y + r.height);
        draw::setColour(s, c.dark);
        draw::rect(s, r.x, r.y, r.x + r.width, r.y + r.height);
    } else {
        drawEdges(s, r, c.light, c.dark);
    }
    const int length = caption ? int(std::strlen(caption)) : 0;
    drawText(s, r.x + (r.width - kCellWidth * length) / 2, r.y + (r.height - kCellHeight) / 2, caption, length,
             c.text, r.x, r.x + r.width);
}

void paintCheckBox(draw::Surface& s, const Rect& r, const char* caption, bool checked, const Colours& c) {
    const int bx = r.x + 2, by = r.y + r.height / 2 - 4;
    draw::setColour(s, c.field);
    draw::fillRect(s, bx, by, bx + 8, by + 8);
    drawEdges(s, Rect{bx, by, 8, 8}, c.darkEdge, c.field);
    if (checked) {
        draw::setColour(s, c.text);
        draw::line(s, r.x + 4, by + 2, r.x + 8, by + 6);
        draw::line(s, r.x + 4, by + 6, r.x + 8, by + 2);
    }
    drawText(s, r.x + 18, by, caption, INT32_MAX, c.text, r.x + 18, r.x + r.width);
}

void paintGroupFrame(draw::Surface& s, const Rect& r, const char* caption, const Colours& c) {
    const int left = r.x, top = r.y + 4, right = r.x + r.width - 1, bottom = r.y + r.height - 1;
    draw::setColour(s, c.text);
    draw::line(s, left, top, left, bottom);
    draw::line(s, left, bottom, right, bottom);
    draw::line(s, right, bottom, right, top);
    draw::line(s, left, top, std::min(left + 8, right), top);
    const int length = caption ? int(std::strlen(caption)) : 0;
    const int gapEnd = left + kCellWidth * length + 16;
    if (gapEnd < right) draw::line(s, gapEnd, top, right, top);
    drawText(s, r.x + 12, r.y, caption, length, c.text, r.x, right);
}

}  // namespace zwindows
