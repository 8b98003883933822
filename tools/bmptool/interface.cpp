// The interface bitmaps of the Z windows, the toolbar and the panels: "close.bmp", "buttons.bmp",
// "menu.bmp", "scroll.bmp", "scrollup.bmp", "scrolldown.bmp", "speed.bmp", "speedcur.bmp" and
// "helpBar.bmp". They share the windows' standard colours (face grey 159, light 255, dark 63, text
// black), 1-pixel bevels and lines, and labels in the console font ("default.bft", drawn pixel by
// pixel with the drawing layer). Where the program draws a bitmap with the transparent key
// (buttons.bmp, menu.bmp) the space between controls is magenta; the others are opaque.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bmptool.h"

#ifndef BMPTOOL_FONT
#define BMPTOOL_FONT "data/vyrex2/default.bft"
#endif

namespace bmptool {
namespace {

// Standard colours of the Z windows.
const uint32_t kFace = pack({159, 159, 159});
const uint32_t kLight = pack({255, 255, 255});
const uint32_t kDark = pack({63, 63, 63});
const uint32_t kText = pack({0, 0, 0});
const uint32_t kGo = pack({0, 127, 0});    // green ramp entry 8
const uint32_t kStop = pack({175, 0, 0});  // red ramp entry 5

// ---- Console font ------------------------------------------------------------------------------

// The console font: 96 glyphs (codes 32..127) of 8 rows × 6 bytes, 0xFF ink.
const std::vector<uint8_t>& font() {
    static std::vector<uint8_t> bytes;
    if (bytes.empty()) {
        std::FILE* f = std::fopen(BMPTOOL_FONT, "rb");
        if (f) {
            bytes.resize(96 * 48 + 1);
            bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
            std::fclose(f);
        }
        if (bytes.size() != 96 * 48) {
            std::fprintf(stderr, "bmptool: the interface bitmaps need the console font %s (4608 bytes); "
                                 "make it first with assetbuild console-font\n", BMPTOOL_FONT);
            std::exit(1);
        }
    }
    return bytes;
}

bool ink(char c, int x, int y) {
    if (c < 32 || c > 126 || x < 0 || x > 5 || y < 0 || y > 7) return false;
    return font()[(c - 32) * 48 + y * 6 + x] == 0xFF;
}

// Pen advance of a glyph in labels: its ink plus one pixel of gap (5 for most glyphs, 6 for the
// few that fill the fifth column), 3 for a space. Narrower than the console's fixed 6-pixel cell,
// so that "Interstellar" fits its 63-pixel menu column.
int advance(char c) {
    if (c == ' ') return 3;
    int right = 3;
    for (int y = 0; y < 8; ++y)
        if (ink(c, 4, y)) right = 4;
    return right + 2;
}

int textWidth(const char* t) {
    int w = 0;
    for (const char* p = t; *p; ++p) w += advance(*p);
    return w > 0 ? w - 1 : 0;
}

// Draws text with its glyph cells' top-left at (x, y), each font pixel as a scale × scale block.
void text(draw::Surface& s, int x, int y, const char* t, uint32_t colour, int scale = 1) {
    draw::setColour(s, colour);
    for (const char* p = t; *p; ++p) {
        for (int gy = 0; gy < 8; ++gy)
            for (int gx = 0; gx < 6; ++gx)
                if (ink(*p, gx, gy)) draw::fillRect(s, x + gx * scale, y + gy * scale, x + (gx + 1) * scale, y + (gy + 1) * scale);
        x += advance(*p) * scale;
    }
}

// Text centred in the box [left, right] × [top, bottom] (inclusive); the glyph cell is 8 rows
// with capitals on rows 1..6, so centring the cell centres the capitals.
void centredText(draw::Surface& s, int left, int top, int right, int bottom, const char* t, uint32_t colour) {
    const int x = left + (right - left + 1 - textWidth(t)) / 2;
    const int y = top + (bottom - top + 1 - 8) / 2;
    text(s, x, y, t, colour);
}

// ---- Controls ----------------------------------------------------------------------------------

// A raised control over [l, r] × [t, b] (inclusive): face fill, light top and left edges, dark
// bottom and right edges, as the windows' buttons are drawn.
void raised(draw::Surface& s, int l, int t, int r, int b) {
    draw::setColour(s, kFace);
    draw::fillRect(s, l, t, r + 1, b + 1);
    draw::setColour(s, kLight);
    draw::line(s, l, t, r - 1, t);
    draw::line(s, l, t, l, b - 1);
    draw::setColour(s, kDark);
    draw::line(s, l, b, r, b);
    draw::line(s, r, t, r, b);
}

// A sunken well: dark top and left edges, light bottom and right edges, `fill` inside.
void sunken(draw::Surface& s, int l, int t, int r, int b, uint32_t fill) {
    draw::setColour(s, fill);
    draw::fillRect(s, l + 1, t + 1, r, b);
    draw::setColour(s, kDark);
    draw::line(s, l, t, r, t);
    draw::line(s, l, t, l, b);
    draw::setColour(s, kLight);
    draw::line(s, l + 1, b, r, b);
    draw::line(s, r, t + 1, r, b);
}

// Filled isosceles triangles pointing up, down, left or right, `size` rows (or columns) deep,
// with the tip at (tx, ty); row k from the tip is 2k + 1 pixels wide.
void triangleUp(draw::Surface& s, int tx, int ty, int size) {
    for (int k = 0; k < size; ++k) draw::line(s, tx - k, ty + k, tx + k, ty + k);
}
void triangleDown(draw::Surface& s, int tx, int ty, int size) {
    for (int k = 0; k < size; ++k) draw::line(s, tx - k, ty - k, tx + k, ty - k);
}
void triangleLeft(draw::Surface& s, int tx, int ty, int size) {
    for (int k = 0; k < size; ++k) draw::line(s, tx + k, ty - k, tx + k, ty + k);
}
void triangleRight(draw::Surface& s, int tx, int ty, int size) {
    for (int k = 0; k < size; ++k) draw::line(s, tx - k, ty - k, tx - k, ty + k);
}

// The rotate symbols: a circle of radius r at (cx, cy) open between 12 and 2 o'clock (or, turning
// left, between 10 and 12), its end at the top carrying an arrowhead that points along the turn.
void turnArrow(draw::Surface& s, int cx, int cy, int r, bool clockwise) {
    draw::Surface ring;
    draw::createSurface(ring, 2 * r + 3, 2 * r + 3);
    draw::setColour(ring, 1);
    draw::ellipse(ring, r + 1, r + 1, r, r);
    draw::setColour(s, kText);
    for (int y = 0; y < ring.height; ++y)
        for (int x = 0; x < ring.width; ++x) {
            if (draw::getPixel(ring, x, y) != 1) continue;
            const int dx = x - (r + 1), dy = y - (r + 1);
            const int side = clockwise ? dx : -dx;
            if (dy < 0 && side >= 0 && -dy * 2 > side) continue;  // the opening
            draw::pixel(s, cx + dx, cy + dy);
        }
    // Arrowhead: 4 columns deep, 7 rows high, its base on the circle's top.
    if (clockwise) triangleRight(s, cx + 3, cy - r, 4);
    else triangleLeft(s, cx - 3, cy - r, 4);
}

// A magnifying glass with a plus or minus in its lens.
void magnifier(draw::Surface& s, int cx, int cy, bool plus) {
    draw::setColour(s, kText);
    const int lx = cx - 2, ly = cy - 2;
    draw::ellipse(s, lx, ly, 5, 5);
    for (int d = 0; d < 2; ++d) draw::line(s, lx + 4 + d, ly + 4, lx + 8 + d, ly + 8);  // handle, 2 wide
    draw::line(s, lx + 4, ly + 5, lx + 7, ly + 8);
    draw::line(s, lx - 2, ly, lx + 2, ly);
    if (plus) draw::line(s, lx, ly - 2, lx, ly + 2);
}

// ---- close.bmp ---------------------------------------------------------------------------------

// The close box, drawn at (width − 14, 2) of a title bar: a 12 × 12 raised button with a cross.
// Its pixels 1..11 cover the hit area (width − 13 .. width − 3, rows 3..13).
void closeBox(draw::Surface& s) {
    raised(s, 0, 0, 11, 11);
    draw::setColour(s, kText);
    draw::line(s, 11, 0, 11, 11);  // outer shadow black, inner dark: a firmer edge on the title bar
    draw::line(s, 0, 11, 11, 11);
    draw::setColour(s, kDark);
    draw::line(s, 10, 1, 10, 10);
    draw::line(s, 1, 10, 10, 10);
    draw::setColour(s, kText);
    for (int d = 0; d < 2; ++d) {
        draw::line(s, 3 + d, 3, 7 + d, 7);
        draw::line(s, 7 + d, 3, 3 + d, 7);
    }
}

// ---- buttons.bmp -------------------------------------------------------------------------------

// The toolbar's button row, drawn with the key at (W − 231, T − 4): bitmap row 4 is the bar's top
// line. Nine buttons of 22 columns start at c = 4, 29, 54, ... 204; each is a raised face over bar
// rows 2..19. Under the first two buttons a black well holds the toolbar's eight camera marks
// (c 7..36, bar rows 22..26), under the information-form button a well holds its form mark
// (c 55..75, bar row 22); the toolbar draws the marks in green over them.
constexpr int kBarTop = 4;  // bitmap row of bar row 0

void toolbarButtons(draw::Surface& s) {
    draw::clear(s, kKey);
    for (int i = 0; i < 9; ++i) {
        const int l = 4 + 25 * i, r = l + 21, t = kBarTop + 2, b = kBarTop + 19;
        raised(s, l, t, r, b);
        const int cx = l + 10, cy = (t + b) / 2;
        draw::setColour(s, kText);
        switch (i) {
        case 0:  // start the journey to the locked object
            draw::setColour(s, kGo);
            triangleRight(s, cx + 3, cy, 6);
            break;
        case 1:  // stop the journey
            draw::setColour(s, kStop);
            draw::fillRect(s, cx - 4, cy - 4, cx + 5, cy + 5);
            break;
        case 2:  // information form: an "i" in a ring
            draw::ellipse(s, cx, cy, 6, 6);
            draw::fillRect(s, cx - 1, cy - 4, cx + 1, cy - 2);
            draw::fillRect(s, cx - 1, cy - 1, cx + 1, cy + 4);
            draw::line(s, cx - 2, cy - 1, cx - 2, cy - 1);
            draw::line(s, cx - 2, cy + 4, cx + 1, cy + 4);
            break;
        case 3:  // roll left (+)
            turnArrow(s, cx, cy + 1, 5, false);
            break;
        case 4:  // roll right (−)
            turnArrow(s, cx, cy + 1, 5, true);
            break;
        case 5:  // zoom in
            magnifier(s, cx + 1, cy + 1, true);
            break;
        case 6:  // zoom out
            magnifier(s, cx + 1, cy + 1, false);
            break;
        case 7:  // pick a help topic: a question mark, the console glyph doubled
            text(s, cx - 3, cy - 7, "?", kText, 2);
            break;
        case 8:  // open or close the menu: up and down heads
            triangleUp(s, cx, cy - 6, 4);
            triangleDown(s, cx, cy + 6, 4);
            break;
        }
    }
    // Mark wells.
    sunken(s, 4, kBarTop + 20, 39, kBarTop + 28, kText);
    sunken(s, 53, kBarTop + 20, 77, kBarTop + 25, kText);
}

// ---- menu.bmp ----------------------------------------------------------------------------------

// The menu area, drawn with the key at (W − 231, T + 32): bitmap row = r − 32 for the toolbar's
// menu rows r (29..47, 52..68, 73..90, 95..112), whose first row starts under the button row;
// columns d 4..66, 71..157, 162..224.
void menu(draw::Surface& s) {
    draw::clear(s, kKey);
    const int rows[4][2] = {{29, 47}, {52, 68}, {73, 90}, {95, 112}};
    const int cols[3][2] = {{4, 66}, {71, 157}, {162, 224}};
    const char* labels[4][3] = {{"Interstellar", "Star system", "Local space"},
                                {"Camera", "Location", "Search"},
                                {"Markers", "Plugins", "Config"},
                                {nullptr, nullptr, "Exit"}};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c) {
            if (!labels[r][c]) continue;
            const int top = std::max(0, rows[r][0] - 32), bottom = rows[r][1] - 32;
            raised(s, cols[c][0], top, cols[c][1], bottom);
            centredText(s, cols[c][0] + 1, top + 1, cols[c][1] - 1, bottom - 1, labels[r][c],
                        r == 3 ? kStop : kText);
        }
}

// ---- Scroll bar ---------------------------------------------------------------------------------

// 16 × 16 arrow buttons at the ends of a scroll bar.
void scrollUp(draw::Surface& s) {
    raised(s, 0, 0, 15, 15);
    draw::setColour(s, kText);
    triangleUp(s, 7, 5, 4);
    triangleUp(s, 8, 5, 4);  // two overlapping heads: 8 pixels wide, centred on the 16
}

void scrollDown(draw::Surface& s) {
    raised(s, 0, 0, 15, 15);
    draw::setColour(s, kText);
    triangleDown(s, 7, 9, 4);
    triangleDown(s, 8, 9, 4);
}

// The thumb, 16 × 18, drawn at (x, y + thumb − 9) so that its middle row is the thumb position;
// three grip lines across the middle.
void scrollThumb(draw::Surface& s) {
    raised(s, 0, 0, 15, 17);
    for (int k = -1; k <= 1; ++k) {
        const int y = 8 + 3 * k;
        draw::setColour(s, kDark);
        draw::line(s, 4, y, 11, y);
        draw::setColour(s, kLight);
        draw::line(s, 4, y + 1, 11, y + 1);
    }
}

// ---- Speed slider ------------------------------------------------------------------------------

// The Location panel's speed scale, 20 × 126, drawn at (x + 4, y) of the 24 × 126 slider: a
// sunken groove through the cursor's travel (rows 6 to 120, fast at the top), a wedge widening
// towards the fast end, and ticks at each sixth of the travel, long ones at each third (the
// decades of the interstellar speed, 1 to 1000 light years).
void speedScale(draw::Surface& s) {
    draw::clear(s, kFace);
    sunken(s, 8, 3, 11, 123, kText);
    draw::setColour(s, kDark);
    for (int y = 6; y <= 120; ++y) {
        const int w = 1 + (120 - y) * 5 / 114;  // 1 pixel at the slow end, 6 at the fast end
        draw::line(s, 6 - w, y, 5, y);
    }
    draw::setColour(s, kText);
    for (int k = 0; k <= 6; ++k) {
        const int y = 6 + 19 * k;
        draw::line(s, 13, y, k % 2 == 0 ? 18 : 16, y);
    }
}

// The slider's cursor, 22 × 12, drawn at (x + 2, y + c − 6): a raised knob whose middle row (6)
// is the position, marked by a black line across.
void speedCursor(draw::Surface& s) {
    raised(s, 0, 0, 21, 11);
    draw::setColour(s, kText);
    draw::line(s, 2, 6, 19, 6);
    draw::setColour(s, kLight);
    draw::line(s, 2, 5, 19, 5);
}

// ---- helpBar.bmp -------------------------------------------------------------------------------

// The help viewer's bar, 244 × 22, painted at the top left of the Help window's client area:
// back (x 8..23), forward (29..44) and home (50..65) buttons over rows 4..19.
void helpBar(draw::Surface& s) {
    raised(s, 0, 0, 243, 21);
    const int tops = 4, bottoms = 19;
    const int lefts[3] = {8, 29, 50};
    for (int i = 0; i < 3; ++i) {
        const int l = lefts[i], r = l + 15, cx = l + 7, cy = (tops + bottoms) / 2;
        raised(s, l, tops, r, bottoms);
        draw::setColour(s, kText);
        if (i == 0) {  // back: an arrow to the left
            triangleLeft(s, cx - 4, cy, 5);
            draw::fillRect(s, cx, cy - 1, cx + 5, cy + 2);
        } else if (i == 1) {  // forward
            triangleRight(s, cx + 5, cy, 5);
            draw::fillRect(s, cx - 4, cy - 1, cx + 1, cy + 2);
        } else {  // home: a house
            triangleUp(s, cx, cy - 6, 6);
            draw::rect(s, cx - 4, cy, cx + 5, cy + 6);
            draw::fillRect(s, cx - 1, cy + 2, cx + 2, cy + 6);
        }
    }
    // A groove closing the button group off from the rest of the bar.
    draw::setColour(s, kDark);
    draw::line(s, 71, 4, 71, 19);
    draw::setColour(s, kLight);
    draw::line(s, 72, 4, 72, 19);
}

const Generator kInterface[] = {
    {"close.bmp", 12, 12, closeBox, "title bar close box"},
    {"buttons.bmp", 231, 36, toolbarButtons, "toolbar button row with the camera and form mark wells"},
    {"menu.bmp", 231, 96, menu, "toolbar menu: view modes, panels and exit"},
    {"scroll.bmp", 16, 18, scrollThumb, "scroll bar thumb"},
    {"scrollup.bmp", 16, 16, scrollUp, "scroll bar up arrow"},
    {"scrolldown.bmp", 16, 16, scrollDown, "scroll bar down arrow"},
    {"speed.bmp", 20, 126, speedScale, "Location panel speed scale"},
    {"speedcur.bmp", 22, 12, speedCursor, "Location panel speed cursor"},
    {"helpBar.bmp", 244, 22, helpBar, "help viewer bar: back, forward, home"},
};

}  // namespace

Group interfaceBitmaps() { return {kInterface, (int)(sizeof kInterface / sizeof kInterface[0])}; }

}  // namespace bmptool
