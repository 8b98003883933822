// The mouse pointers: "pointer.bmp", the arrow, and "hpointer.bmp", the arrow with a question mark
// for picking a help topic. The hot spot is the top-left pixel; everything outside the shapes is
// the transparent magenta. Edges are hard (no blending with magenta, which would show as a fringe).
#include "bmptool.h"

namespace bmptool {
namespace {

// The arrow's outline, tip at the hot spot.
constexpr int kArrow[][2] = {{0, 0}, {0, 16}, {4, 12}, {7, 19}, {10, 18}, {7, 11}, {12, 11}};

void arrow(draw::Surface& s) {
    draw::clear(s, kKey);
    draw::setColour(s, 0x000000);
    polygonOutline(s, kArrow, 7);
    floodFill(s, 2, 6, 0xFFFFFF);
}

void pointer(draw::Surface& s) { arrow(s); }

// A stroke two pixels wide along a polyline: the drawing layer's line, doubled.
void doubleLine(draw::Surface& s, const int (*p)[2], int count) {
    for (int i = 0; i + 1 < count; ++i)
        for (int d = 0; d < 2; ++d) draw::line(s, p[i][0] + d, p[i][1], p[i + 1][0] + d, p[i + 1][1]);
}

void helpPointer(draw::Surface& s) {
    arrow(s);
    // The question mark: a hook and a dot, black with a white rim so that it reads on any sky.
    constexpr int kHook[][2] = {{13, 6},  {14, 4},  {16, 3},  {19, 3},  {21, 4},
                                {22, 6},  {21, 8},  {19, 10}, {18, 11}, {18, 14}};
    draw::setColour(s, 0xFFFFFF);
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            int moved[10][2];
            for (int i = 0; i < 10; ++i) {
                moved[i][0] = kHook[i][0] + dx;
                moved[i][1] = kHook[i][1] + dy;
            }
            doubleLine(s, moved, 10);
        }
    draw::fillRect(s, 17, 16, 21, 20);
    draw::setColour(s, 0x000000);
    doubleLine(s, kHook, 10);
    draw::fillRect(s, 18, 17, 20, 19);
}

const Generator kPointers[] = {
    {"pointer.bmp", 13, 20, pointer, "mouse pointer: arrow, hot spot top-left"},
    {"hpointer.bmp", 24, 21, helpPointer, "help-pick pointer: arrow with a question mark"},
};

}  // namespace

Group pointerBitmaps() { return {kPointers, (int)(sizeof kPointers / sizeof kPointers[0])}; }

}  // namespace bmptool
