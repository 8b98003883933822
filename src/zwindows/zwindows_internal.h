// What the window manager shares with its widgets inside this folder.
#pragma once

#include <cstdint>

#include "video/draw.h"
#include "zwindows/zwindows.h"

namespace zwindows::detail {

// Reports a widget's change to its parent's object (kNotify: widget node, value, extra).
int32_t notifyParent(Node widget, intptr_t value, intptr_t extra = 0);
// Sets the flags without the kChanged message (a widget's create handler, before anyone looks).
void initFlags(Node node, uint32_t flags);
// Keeps the private data block of a widget's object with its node, for htmlViewer().
void setNodeData(Node node, void* data);
void* nodeData(Node node);
// The class index of a node, −1 for none.
int nodeClass(Node node);
// Counts the left presses seen by the routing passes: a press is a routing pass that finds the
// left button down after one that found it up.
uint32_t pressNumber();

// The widget classes' callbacks and the loading of the scroll bar's bitmaps (start) and their
// release (stop).
int32_t buttonProc(zode::Message* m);
int32_t checkProc(zode::Message* m);
int32_t scrollProc(zode::Message* m);
int32_t editProc(zode::Message* m);
int32_t groupProc(zode::Message* m);
int32_t listProc(zode::Message* m);
int32_t htmlProc(zode::Message* m);
void loadWidgetBitmaps();
void releaseWidgetBitmaps();

// The font's glyph rows as bit masks (bit i: ink in column i), loaded with the console's font.
void loadFont();
void forgetFont();

}  // namespace zwindows::detail
