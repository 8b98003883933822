// The launcher's modal dialogs: the dialog window and its display, painting the control table,
// the focus, the keys and the mouse.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "launcher/launcher.h"
#include "launcher/launcher_internal.h"
#include "platform/platform.h"
#include "video/scale.h"
#include "zwindows/paint.h"

namespace launcher::detail {

Assets assets;

// The dialog window's procedure: the messages of the dialog shown. 1 when the picture may have
// changed.
intptr_t dialogProc(const platform::Message& m);

namespace {

constexpr int kScrollWidth = 16;   // pixels of the list's scroll bar, as the in-scene list's
constexpr int kArrowHeight = 16;   // the arrow bitmaps' height
constexpr int kThumbLimit = 25;    // pixels from either end of the bar to the thumb's travel
constexpr int kThumbHalf = 9;      // the thumb bitmap is drawn this far above its position
constexpr int kWheelLines = 3;     // lines per notch of the wheel
// Pixels from one list line to the next: the font's cell and room for the focus frame round it.
constexpr int kRowHeight = 10;

DialogRun* current = nullptr;  // the dialog the window shows
draw::Surface surface;         // its picture, at the dialog's size

using zwindows::Rect;
using zwindows::kCellHeight;
using zwindows::kCellWidth;

Rect rectOf(const Control& c) { return Rect{c.x, c.y, c.width, c.height}; }

bool focusable(Kind k) { return k == Kind::kButton || k == Kind::kCheck || k == Kind::kList; }

int textLength(const char* text) { return text ? int(std::strlen(text)) : 0; }

// ---- The list's geometry -------------------------------------------------------------------------

int listRows(const Control& c) { return std::max(1, (c.height - 4) / kRowHeight); }
int listColumns(const Control& c) { return std::max(0, (c.width - 4 - kScrollWidth) / kCellWidth); }
int lastFirst(const DialogRun& run, const Control& c) { return std::max(0, run.list.count - listRows(c)); }

void scrollTo(DialogRun& run, const Control& c, int first) { run.list.first = std::clamp(first, 0, lastFirst(run, c)); }

// The thumb's position, pixels from the bar's top, for the first line shown.
int thumbAt(const DialogRun& run, const Control& c) {
    const int bottom = std::max(kThumbLimit, c.height - kThumbLimit), last = lastFirst(run, c);
    return last > 0 ? kThumbLimit + run.list.first * (bottom - kThumbLimit) / last : kThumbLimit;
}

void thumbTo(DialogRun& run, const Control& c, int y) {
    const int bottom = std::max(kThumbLimit, c.height - kThumbLimit), travel = bottom - kThumbLimit;
    if (travel > 0) scrollTo(run, c, ((y - kThumbLimit) * lastFirst(run, c) + travel / 2) / travel);
}

// Selects the line and scrolls it into view. A selection by the user, even of the line already
// selected, is a choice the dialog hears of.
void selectLine(DialogRun& run, int line, bool byUser) {
    if (run.list.count == 0) return;
    line = std::clamp(line, 0, run.list.count - 1);
    run.list.selected = line;
    for (int k = 0; k < run.dialog->count; ++k) {
        const Control& c = run.dialog->controls[k];
        if (c.kind != Kind::kList) continue;
        if (line < run.list.first) scrollTo(run, c, line);
        if (line >= run.list.first + listRows(c)) scrollTo(run, c, line - listRows(c) + 1);
        if (byUser) run.dialog->command(run, c.id);
    }
}

// ---- Painting -------------------------------------------------------------------------------------

// A dotted frame round the control that has the keyboard, as dialogs mark it.
void focusFrame(draw::Surface& s, int left, int top, int right, int bottom, uint32_t colour) {
    for (int x = left; x <= right; ++x)
        if ((x - left) % 2 == 0) {
            draw::putPixel(s, x, top, colour);
            draw::putPixel(s, x, bottom, colour);
        }
    for (int y = top; y <= bottom; ++y)
        if ((y - top) % 2 == 0) {
            draw::putPixel(s, left, y, colour);
            draw::putPixel(s, right, y, colour);
        }
}

// The button Enter presses now: the focused one, else the default.
int enterButton(const DialogRun& run) {
    if (run.focus >= 0 && run.dialog->controls[run.focus].kind == Kind::kButton) return run.focus;
    return indexOf(run, run.dialog->defaultId);
}

void paintList(const DialogRun& run, const Control& c, bool focused, draw::Surface& s) {
    const zwindows::Colours& k = assets.colours;
    const Rect r = rectOf(c);
    draw::setColour(s, k.listFace);
    draw::fillRect(s, r.x, r.y, r.x + r.width, r.y + r.height);
    zwindows::drawEdges(s, r, k.dark, k.light);
    const int rows = listRows(c), columns = listColumns(c);
    const int end = std::min(run.list.count, run.list.first + rows);
    for (int i = run.list.first; i < end; ++i) {
        const int top = r.y + 2 + kRowHeight * (i - run.list.first);
        const bool selected = i == run.list.selected;
        if (selected) {
            draw::setColour(s, k.selection);
            draw::fillRect(s, r.x + 2, top, r.x + r.width - kScrollWidth - 1, top + kRowHeight);
        }
        zwindows::drawText(s, r.x + 4, top + 1, run.list.lines[i], columns, selected ? k.light : k.text, r.x + 2,
                           r.x + 4 + kCellWidth * columns);
        if (selected && focused)
            focusFrame(s, r.x + 2, top, r.x + r.width - kScrollWidth - 2, top + kRowHeight - 1, k.light);
    }
    if (focused && run.list.selected < 0)
        focusFrame(s, r.x + 2, r.y + 2, r.x + r.width - kScrollWidth - 2, r.y + 1 + kRowHeight, k.text);
    // The scroll bar, drawn like the in-scene list's; its thumb shows once there are more lines
    // than rows.
    const int bx = r.x + r.width - kScrollWidth;
    if (assets.scrollUp) draw::drawBitmap(s, *assets.scrollUp, bx, r.y + 1);
    if (assets.scrollDown) draw::drawBitmap(s, *assets.scrollDown, bx, r.y + r.height - kArrowHeight);
    if (run.list.count > rows && assets.scrollThumb)
        draw::drawBitmap(s, *assets.scrollThumb, bx, r.y + thumbAt(run, c) - kThumbHalf);
}

void paintControl(const DialogRun& run, int index, draw::Surface& s) {
    const zwindows::Colours& k = assets.colours;
    const Control& c = run.dialog->controls[index];
    const Rect r = rectOf(c);
    const bool focused = index == run.focus;
    switch (c.kind) {
        case Kind::kButton: {
            const bool down = index == run.pressed && run.pressedOver;
            zwindows::paintButtonFace(s, r, c.text, down, k);
            if (index == enterButton(run)) {
                // The button Enter presses has a dark frame round it.
                draw::setColour(s, k.text);
                draw::rect(s, r.x - 1, r.y - 1, r.x + r.width + 1, r.y + r.height + 1);
            }
            if (focused) focusFrame(s, r.x + 3, r.y + 3, r.x + r.width - 4, r.y + r.height - 4, k.text);
            break;
        }
        case Kind::kCheck:
            zwindows::paintCheckBox(s, r, c.text, run.checked[index], k);
            if (focused) {
                const int top = r.y + r.height / 2 - 5;
                focusFrame(s, r.x + 16, top, r.x + 19 + kCellWidth * textLength(c.text), top + kCellHeight + 1, k.text);
            }
            break;
        case Kind::kList: paintList(run, c, focused, s); break;
        case Kind::kGroup: zwindows::paintGroupFrame(s, r, c.text, k); break;
        case Kind::kLabel:
            zwindows::drawText(s, r.x, r.y + (r.height - kCellHeight) / 2, c.text, textLength(c.text), k.text, r.x,
                               r.x + r.width);
            break;
        case Kind::kPicture:
            if (assets.picture) {
                const draw::Bitmap& b = *assets.picture;
                const int x = r.x + (r.width - b.width) / 2, y = r.y + (r.height - b.height) / 2;
                zwindows::drawEdges(s, Rect{x - 1, y - 1, b.width + 2, b.height + 2}, k.dark, k.light);
                draw::drawBitmap(s, b, x, y);
            }
            break;
        case Kind::kIcon:
            if (assets.icon)
                draw::drawBitmap(s, *assets.icon, r.x + (r.width - assets.icon->width) / 2,
                                 r.y + (r.height - assets.icon->height) / 2);
            break;
        case Kind::kText: drawTextLines(s, r, run.lines[index], kTextTop, k.text); break;
        case Kind::kStatus:
            for (int line = 0; line < 2; ++line)
                zwindows::drawText(s, r.x, r.y + line * (kCellHeight + 2), run.status[line],
                                   textLength(run.status[line]), k.text, r.x, r.x + r.width);
            break;
    }
}

void paint(const DialogRun& run) {
    draw::Surface& s = surface;
    draw::clear(s, assets.colours.face);
    for (int i = 0; i < run.dialog->count; ++i) paintControl(run, i, s);
}

// Shows the picture in the window, scaled by whole pixels; nothing when the window has no
// picture to give now.
void present() {
    platform::FrameTarget target;
    if (!platform::beginFrame(target)) return;
    video::showScaled(surface, target, assets.colours.face);
    platform::showFrame();
}

// The dialog window at the dialog's size and scale, with a display of the dialog's size.
bool showWindow(const Dialog& d) {
    const platform::Desktop desktop = platform::desktop();
    const int k = dialogScale(desktop, d.width, d.height);
    if (!platform::openDialogWindow(d.title, d.width * k, d.height * k, dialogProc)) return false;
    platform::DisplayRequest request;
    request.width = d.width;
    request.height = d.height;
    // A dialog needs no GPU: the window's own memory shows it without a renderer.
    request.path = platform::PresentPath::kSurface;
    platform::DisplayReport report;
    if (!platform::openDisplay(request, report)) return false;
    draw::destroySurface(surface);
    return draw::createSurface(surface, d.width, d.height);
}

// ---- Keys and the mouse ------------------------------------------------------------------------

void press(DialogRun& run, int index) {
    if (index < 0) return;
    const Control& c = run.dialog->controls[index];
    if (c.kind == Kind::kCheck) run.checked[index] = !run.checked[index];
    run.dialog->command(run, c.id);
}

void moveFocus(DialogRun& run, int step) {
    const int n = run.dialog->count;
    for (int tries = 0, i = run.focus; tries < n; ++tries) {
        i = ((i + step) % n + n) % n;
        if (focusable(run.dialog->controls[i].kind)) {
            run.focus = i;
            return;
        }
    }
}

const Control* focusedList(const DialogRun& run) {
    if (run.focus < 0) return nullptr;
    const Control& c = run.dialog->controls[run.focus];
    return c.kind == Kind::kList ? &c : nullptr;
}

void keyDown(DialogRun& run, int vk) {
    const Control* list = focusedList(run);
    switch (vk) {
        case platform::VK_TAB: moveFocus(run, platform::keyHeld(platform::VK_SHIFT) ? -1 : 1); return;
        case platform::VK_RETURN: press(run, enterButton(run)); return;
        case platform::VK_ESCAPE: press(run, indexOf(run, run.dialog->cancelId)); return;
        case platform::VK_SPACE:
            if (run.focus >= 0 && run.dialog->controls[run.focus].kind != Kind::kList) press(run, run.focus);
            return;
        default: break;
    }
    if (list) {
        const int page = listRows(*list) - 1, at = run.list.selected;
        switch (vk) {
            case platform::VK_UP: selectLine(run, at - 1, true); return;
            case platform::VK_DOWN: selectLine(run, at + 1, true); return;
            case platform::VK_PRIOR: selectLine(run, at - page, true); return;
            case platform::VK_NEXT: selectLine(run, at + page, true); return;
            case platform::VK_HOME: selectLine(run, 0, true); return;
            case platform::VK_END: selectLine(run, run.list.count - 1, true); return;
            default: return;
        }
    }
    // Elsewhere the arrows walk the controls, as Tab does.
    if (vk == platform::VK_UP || vk == platform::VK_LEFT) moveFocus(run, -1);
    if (vk == platform::VK_DOWN || vk == platform::VK_RIGHT) moveFocus(run, 1);
}

bool inside(const Control& c, int x, int y) {
    return x >= c.x && x < c.x + c.width && y >= c.y && y < c.y + c.height;
}

// The control under the pointer that takes the mouse, or −1.
int hit(const DialogRun& run, int x, int y) {
    for (int i = 0; i < run.dialog->count; ++i)
        if (focusable(run.dialog->controls[i].kind) && inside(run.dialog->controls[i], x, y)) return i;
    return -1;
}

void listPress(DialogRun& run, const Control& c, int x, int y) {
    if (x >= c.x + c.width - kScrollWidth) {
        const int by = y - c.y;
        if (by < kArrowHeight) scrollTo(run, c, run.list.first - 1);
        else if (by >= c.height - kArrowHeight) scrollTo(run, c, run.list.first + 1);
        else if (run.list.count > listRows(c)) {
            run.dragThumb = true;
            thumbTo(run, c, by);
        }
        return;
    }
    const int row = (y - c.y - 2) / kRowHeight;
    if (y - c.y < 2 || row >= listRows(c)) return;
    // A press below the last line selects nothing.
    if (run.list.first + row < run.list.count) selectLine(run, run.list.first + row, true);
}

void leftDown(DialogRun& run, int x, int y) {
    const int i = hit(run, x, y);
    if (i < 0) return;
    run.focus = i;
    const Control& c = run.dialog->controls[i];
    if (c.kind == Kind::kList) {
        listPress(run, c, x, y);
        return;
    }
    run.pressed = i;
    run.pressedOver = true;
}

void pointerMoved(DialogRun& run, int x, int y) {
    if (run.pressed >= 0) run.pressedOver = inside(run.dialog->controls[run.pressed], x, y);
    if (run.dragThumb && run.focus >= 0) {
        const Control& c = run.dialog->controls[run.focus];
        thumbTo(run, c, y - c.y);
    }
}

void leftUp(DialogRun& run, int x, int y) {
    run.dragThumb = false;
    const int i = run.pressed;
    run.pressed = -1;
    // A press that was dragged off the control is taken back, as in every dialog.
    if (i >= 0 && inside(run.dialog->controls[i], x, y)) press(run, i);
}

void wheel(DialogRun& run, int notches, int x, int y) {
    for (int i = 0; i < run.dialog->count; ++i) {
        const Control& c = run.dialog->controls[i];
        if (c.kind == Kind::kList && inside(c, x, y)) scrollTo(run, c, run.list.first - notches * kWheelLines);
    }
}

void pointOf(intptr_t lParam, int& x, int& y) {
    x = int(int16_t(uint16_t(lParam & 0xFFFF)));
    y = int(int16_t(uint16_t((lParam >> 16) & 0xFFFF)));
}

}  // namespace

intptr_t dialogProc(const platform::Message& m) {
    DialogRun* run = current;
    if (!run) return 0;
    int x = 0, y = 0;
    pointOf(m.lParam, x, y);
    switch (m.message) {
        case platform::WM_KEYDOWN: keyDown(*run, int(m.wParam)); return 1;
        case platform::WM_LBUTTONDOWN: leftDown(*run, x, y); return 1;
        case platform::WM_MOUSEMOVE: {
            // Moves change nothing on screen unless something is held.
            const bool holding = run->pressed >= 0 || run->dragThumb;
            pointerMoved(*run, x, y);
            return holding ? 1 : 0;
        }
        case platform::WM_LBUTTONUP: leftUp(*run, x, y); return 1;
        case platform::WM_MOUSEWHEEL: wheel(*run, int(int16_t(uint16_t(m.wParam >> 16))) / 120, x, y); return 1;
        case platform::WM_CLOSE: press(*run, indexOf(*run, run->dialog->cancelId)); return 1;
        case platform::WM_PAINT:
        case platform::WM_SIZE:
        case platform::WM_ACTIVATEAPP: return 1;
        default: return 0;
    }
}

// ---- Running a dialog ------------------------------------------------------------------------------

int runDialog(const Dialog& dialog) {
    DialogRun* const parent = current;
    static DialogRun runs[3];  // one per dialog in use at once: the launcher, Setup or About
    static int depth = 0;
    if (depth >= 3 || !showWindow(dialog)) return -1;
    DialogRun& run = runs[depth++];
    run = DialogRun{};
    run.dialog = &dialog;
    current = &run;
    moveFocus(run, 1);
    dialog.init(run);
    bool changed = true;
    while (run.result < 0) {
        if (changed) {
            paint(run);
            present();
            changed = false;
        }
        platform::Message m;
        if (!platform::peekMessage(m)) {
            platform::waitMessage();
            continue;
        }
        // No quit is posted while a dialog is up; one that comes anyway ends it like Cancel.
        if (m.message == platform::WM_QUIT) press(run, indexOf(run, dialog.cancelId));
        else changed = platform::dispatchMessage(m) != 0;
    }
    const int result = run.result;
    --depth;
    current = parent;
    // The dialog that showed this one gets the window back at its own size; without a window it
    // can only end, as if closed.
    if (parent && !showWindow(*parent->dialog)) parent->result = 0;
    if (parent) {
        paint(*parent);
        present();
    }
    return result;
}

void releaseDialogPicture() { draw::destroySurface(surface); }

int indexOf(const DialogRun& run, int id) {
    if (!run.dialog) return -1;
    for (int i = 0; i < run.dialog->count; ++i)
        if (run.dialog->controls[i].id == id && id != 0) return i;
    return -1;
}

bool checked(const DialogRun& run, int id) {
    const int i = indexOf(run, id);
    return i >= 0 && run.checked[i];
}

void setChecked(DialogRun& run, int id, bool on) {
    const int i = indexOf(run, id);
    if (i >= 0) run.checked[i] = on;
}

void setLines(DialogRun& run, int id, const char* const* lines) {
    const int i = indexOf(run, id);
    if (i >= 0) run.lines[i] = lines;
}

void listClear(DialogRun& run) { run.list = ListState{}; }

void listAdd(DialogRun& run, const char* line) {
    if (run.list.count >= video::kMaxModes) return;
    std::snprintf(run.list.lines[run.list.count++], kLineMax + 1, "%s", line ? line : "");
}

void listSelect(DialogRun& run, int line) {
    if (line < 0 || line >= run.list.count) {
        run.list.selected = -1;
        return;
    }
    selectLine(run, line, false);
}

void setStatus(DialogRun& run, const char* first, const char* second) {
    std::snprintf(run.status[0], sizeof run.status[0], "%s", first ? first : "");
    std::snprintf(run.status[1], sizeof run.status[1], "%s", second ? second : "");
}

void endDialog(DialogRun& run, int result) { run.result = result < 0 ? 0 : result; }

void drawTextLines(draw::Surface& s, const zwindows::Rect& area, const char* const* lines, int top,
                   uint32_t colour) {
    if (!lines) return;
    int y = area.y + top;
    for (const char* const* line = lines; *line && (*line)[0] != '.'; ++line, y += kTextLineStep) {
        const int length = int(std::strlen(*line));
        zwindows::drawText(s, area.x + (area.width - kCellWidth * length) / 2, y, *line, length, colour, area.x,
                           area.x + area.width);
    }
}

}  // namespace launcher::detail
