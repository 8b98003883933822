// The faces of the standard controls and the text they are written with, painted without the
// window manager: for controls drawn outside the tree of nodes (the launcher's dialogs, shown
// before any window manager runs), looking exactly like the widgets, which paint through these.
//
// Contract. Every painter draws into the surface alone, clipped to it, from the rectangle (the
// control's client area, absolute surface pixels), the caption and the state it is given; none
// reads or changes a node. Captions are drawn whole as far as the rectangle lets them. Text needs
// the console's font: the window manager's start takes it from the packs, useFont from any bytes
// of the font's layout (console.h). Main thread only; nothing allocates.
#pragma once

#include <cstddef>
#include <cstdint>

#include "video/draw.h"
#include "video/video.h"
#include "zwindows/zwindows.h"

namespace zwindows {

// The standard colours by role (Colours) from colour tables of the drawing surface's format.
Colours standardColours(const video::ColourTables& tables);

// Takes the glyphs of drawText from `font`: console::kGlyphs glyphs of console::kGlyphBytes.
// False, and no text drawn from then on, when `font` is null or shorter; useFont(nullptr, 0)
// forgets the font.
bool useFont(const uint8_t* font, size_t size);

// A push button: raised, or sunken while pressed, its caption centred.
void paintButtonFace(draw::Surface& s, const Rect& r, const char* caption, bool pressed, const Colours& c);
// A check box: the box at the left, vertically centred, ticked when `checked`, the caption after it.
void paintCheckBox(draw::Surface& s, const Rect& r, const char* caption, bool checked, const Colours& c);
// A group frame: a line round the rectangle with the caption in a gap of its top edge.
void paintGroupFrame(draw::Surface& s, const Rect& r, const char* caption, const Colours& c);

}  // namespace zwindows
