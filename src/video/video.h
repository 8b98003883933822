// The video layer: the display mode, the drawing surface every renderer draws on each frame, its
// presentation (with the mouse pointer drawn on top and screenshots on request), the colour tables
// the renderers index, and bitmaps converted to the display's pixel format.
//
// Contract:
// - `start` opens the mode chosen by `VIDdefault` from the mode list and returns 1, or 0 after
//   writing the error report line ("MGL VIDEO ERROR") to log channel 1; the caller then ends the
//   program. A missing pointer bitmap makes it return 0 without a report line. `stop` closes the
//   display if `start` succeeded and does nothing otherwise.
// - `state.width` and `state.height` are the drawing surface's largest x and y (one less than its
//   size in pixels); every renderer uses them as the picture's size. The drawing surface
//   (`*state.drawing`) changes at every present when two pages are used: read the pointer each
//   frame, never keep it.
// - `present` shows the frame drawn since the last call and starts the next one on a cleared
//   drawing surface. It writes a requested screenshot first and draws the pointer bitmap (when
//   app::pointerDrawn is set) at the pointer position of the last poll (input::pointer). The
//   platform chooses how frames reach the window (`state.presentPath`, with its reason); on the
//   window surface this layer scales the frame by whole pixels into the window itself
//   (video/scale.h).
// - Pacing: with the retrace wait asked for (`VIDwVSync` 1) and a path whose present does not wait
//   for the retrace (the window surface has no retrace to wait for), `present` sleeps so that
//   frames follow the display's refresh rate, 60 Hz when the display does not say
//   (`state.pacedHz`). Without the wait, frames run free. Motion is counted per frame, so this is
//   what keeps a journey's speed the same on every machine.
// - The colour tables are pixel values in the drawing surface's format, valid while the display
//   is open; tables that are data are read directly.
// - Main thread only. Nothing here allocates per frame.
#pragma once

#include <cstdint>

#include "base/app.h"
#include "platform/platform.h"
#include "video/draw.h"

namespace video {

// ---- Mode list --------------------------------------------------------------------------------

constexpr int kMaxModes = 64;

struct ModeList {
    platform::DisplayMode modes[kMaxModes];
    int count = 0;
};

// The display modes the program may use, in the display's order; built by the launcher before
// the video starts (and by `start` itself if nobody has).
extern ModeList modeList;

// A mode is usable with more than 8 and at most 24 bits per pixel, a width of at least 640 and
// more than one page, or at least one page when the memory back buffer is used.
bool modeUsable(const platform::DisplayMode& mode, int backBufferInSystemMemory);
// Fills `out` with the usable modes of `modes` (at most kMaxModes, duplicates left out).
void filterModes(const platform::DisplayMode* modes, int count, int backBufferInSystemMemory,
                 ModeList& out);
// The automatic choice: the first mode at least 480 pixels high, or 0 when there is none.
int automaticMode(const ModeList& list);
// Builds `modeList` from the platform's modes with the stored `VIDbckBuffSysMem`. Returns the
// number of usable modes. `VIDdefault` is left as it is: -1 means the automatic choice, made by
// `start` (state.modeIndex tells which mode that was).
int buildModeList();

// ---- Colour tables ----------------------------------------------------------------------------

constexpr int kColourClasses = 129;  // 128 black-body rows and the grey row
constexpr int kGreyRow = 128;

struct ColourTables {
    // Row k < 128: a black body at 1000 + 78.125·k K; entry i < 128 runs from black to the colour
    // (colour · i / 128), entry 128 + i from the colour to white. Row 128: grey i.
    uint32_t star[kColourClasses][256];
    uint32_t grey[15];   // 255 − 16·i in all three channels: 255, 239, ..., 31
    uint32_t red[16];    // 255 − 16·i in one channel: 255, ..., 15
    uint32_t green[16];
    uint32_t blue[16];
    uint32_t black;
    uint32_t white;
    uint32_t transparent;  // magenta (255, 0, 255): pixels of bitmaps that keyed drawing leaves out
    // The small indexed colours of labels and marks: 0 black, 1–15 grey, 16–31 red, 32–47 green,
    // 48–63 blue, 255 white; the others black.
    uint32_t palette[256];
};

// (R + G + B) / 3 of every 16-bit pixel value, for displays of at most 16 bits per pixel, where
// the glare test would otherwise unpack every pixel. Every drawing surface is 32 bits per pixel,
// so the video layer never builds it and `brightness` stays null.
extern const uint8_t* brightness;

// Fills the tables for a pixel format.
void buildColourTables(const draw::PixelFormat& format, ColourTables& tables);
// Fills table[65536] for a pixel format of at most 16 bits per pixel.
void buildBrightnessTable(const draw::PixelFormat& format, uint8_t* table);

// The colour of a black body at `kelvin`, as X, Y, Z divided by the largest of the three.
void blackBodyColour(double kelvin, double& X, double& Y, double& Z);
// The 8-bit RGB of the black body (EBU primaries, clamped), before the ramps: the full colour.
void blackBodyRgb(double kelvin, double rgb[3]);

// ---- Video state ------------------------------------------------------------------------------

enum PointerKind : int { kHelpPointer = 0, kNormalPointer = 1 };

struct State {
    draw::Surface pages[2];      // the two pages drawn on in turn when BB is 0
    draw::Surface backBuffer;    // the memory back buffer drawn on when BB is 1
    // The page shown by the last present when BB is 0. With the back buffer the picture shown
    // lives only in the platform's frame target.
    draw::Surface* display = nullptr;
    draw::Surface* drawing = nullptr;  // the surface every renderer draws on
    platform::DisplayMode mode;  // the open mode
    int modeIndex = 0;           // its index in the mode list
    int width = 0, height = 0;   // largest x and y of the drawing surface
    int centreX = 0, centreY = 0;  // width / 2 and height / 2
    size_t surfaceBytes = 0;     // bytes of the whole drawing surface
    draw::PixelFormat format = draw::kXrgb8888;  // of the drawing surface
    int BB = 0;  // 1: one memory back buffer copied to the display; 0: two pages swapped
    int VL = 1;  // the display surface is linear memory (always, in memory)
    int HW = 0;  // hardware acceleration flags of the display surface (none)
    int DT = 0;  // direct-access bracketing of the linear copy (never needed)
    int waitMode = 1;  // 1: wait for the vertical retrace when presenting; 2: don't
    platform::PresentPath presentPath = platform::PresentPath::kAutomatic;  // taken at the open
    char presentReason[platform::kReasonBytes] = "";  // why that path, as the platform says
    int refreshHz = 0;    // the display's refresh rate as reported; 0 unknown
    int pacedHz = 0;      // frames per second present sleeps to; 0: the present is not paced here
    draw::BitmapPtr pointers[2];  // indexed by PointerKind
    int pointerKind = kNormalPointer;  // set by the in-scene window system
    uint32_t clearColour = 0;
    int screenshotPending = 0;
    char screenshotPath[app::kPathMax + 16] = "";
    int open = 0;
};

extern State state;
extern ColourTables colours;

int start();
void stop();
void present();
// Chooses the first free "picNNNN.bmp" in the program folder and marks the next present to save
// the frame there.
void requestScreenshot();
// A BMP from the packs converted to the drawing surface's pixel format, or null.
draw::BitmapPtr loadDisplayBitmap(const char* name);
// The program was switched away from (back = false: frames stop) or back to (the display is
// cleared and frames resume). Called by the window procedure on WM_ACTIVATEAPP.
void applicationSwitch(bool back);

// Writes the error report line for the last drawing-layer error, naming the failing line.
void errorReport(int line);

// The clock the pacing reads and sleeps on, replaceable so that tests control time: `now` counts
// ticks of `secondsPerTick` seconds and `sleepUntil` returns once `now` has reached the tick.
// Takes effect at the next start; all null restores the machine's monotonic clock.
using PacingNow = uint64_t (*)();
using PacingSleep = void (*)(uint64_t tick);
void setPacingClock(PacingNow now, double secondsPerTick, PacingSleep sleepUntil);

}  // namespace video
