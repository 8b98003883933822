// The object information text of the toolbar: which object is described, a one-line summary on
// the bar, and, while the bar is open, either the detail lines or the object's note.
//
// Contract.
// - The described object is the camera's hover (selection mode "mouse over", 0, at start) or its
//   lock ("lock mode", 1); in mouse-over mode nothing is described while the pointer is over the
//   toolbar. The selection mode is set by the F11 key, the toolbar's bar and the Config panel,
//   all through setInfoShowsLock, which reports a change of the camera settings (event 517)
//   without a rebuild of the sky.
// - infoSummary(s, barTop) draws the summary: in lock mode two red lines at the bar's left end;
//   the object's name in the line font at scale 3 (twice, one pixel apart, for weight) and the
//   summary line below it. Stars and deep-sky objects are seen from the camera's interstellar
//   position (light years), bodies and companions of the entered system from its star-system
//   position (kilometres); an object that is not in the catalogue or not in the entered system
//   shows nothing.
// - infoDetails draws the detail lines (stars: identifier and names, positions, magnitude and
//   colour with the colour ramp and the star's mark on it, temperature, luminosity, mass,
//   radius, radial speed, variability, components; deep-sky objects by type; bodies: kind and
//   orbit; components: CCDM and class). infoNote draws the object's note from the catalogue's
//   notes, with a slider when it is taller than the note box (kNoteHeight); its links lock and
//   turn the camera, or open the help.
// - Texts are formed only when what they show changes: the summary when the object, the
//   observer's position or the object's position changes; the details when the object or the
//   observer's position changes; the note when the object changes. Drawing them formats nothing
//   and allocates nothing. Positions are relative to the bar's top `barTop`; W is the surface's
//   largest x.
// Main thread only.
#pragma once

#include <cstdint>

#include "video/draw.h"
#include "zwindows/viewer.h"

namespace zwindows {

constexpr int kInfoNameBytes = 32;
constexpr int kInfoLineBytes = 512;
constexpr int kInfoLines = 8;      // detail lines (a star has the most: eight)
constexpr int kNoteHeight = 100;   // pixels of the note box
constexpr int kSliderSteps = 60;   // the note slider's values 0 .. kSliderSteps − 1

// Loads the note slider's bitmaps and forgets every text; the toolbar's start calls it.
void infoStart();
void infoStop();

int infoShowsLock();
void setInfoShowsLock(int lockMode);
void toggleInfoShowsLock();

// The object described now (−1 none).
int32_t describedObject();

void infoSummary(draw::Surface& s, int barTop);
void infoDetails(draw::Surface& s, int barTop);
void infoNote(draw::Surface& s, int barTop);

// The note's slider: a step of the arrows, a place on the track, and its value.
void infoSliderStep(int delta);
void infoSliderSet(int value);
int infoSlider();
bool infoNoteScrolls();  // the note is taller than its box: the slider is shown
// A press at (x, y) of the note box (pixels from its top left): follows a link there, 1 when
// there was one.
int infoNoteClick(int x, int y);

// What the texts say now, for tests and benchmarks.
struct InfoLine {
    int x, dy;  // pixels: where the line is drawn, dy below the bar's top
    int length;
    char text[kInfoLineBytes];
};
struct InfoTexts {
    int32_t summaryObject;  // −1 none
    char name[kInfoNameBytes];
    char type[kInfoNameBytes];  // the class or type word
    InfoLine summary;
    int32_t detailObject;       // −1 none
    int detailCount;
    InfoLine details[kInfoLines];
    int colourRamp;             // a star's details: 1, and the class of its mark
    int rampMark;
    int32_t noteObject;         // −1 none
    int summaryFormed, detailsFormed;  // how often each was formed (tests of the caching)
};
const InfoTexts& infoTexts();
const Viewer& infoNoteViewer();

}  // namespace zwindows
