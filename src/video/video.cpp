// The video layer: mode list, opening and closing the display, presentation with the pointer and
// screenshots, display bitmaps, the application switch and the error report line.
#include "video/video.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "base/input_state.h"
#include "base/log.h"
#include "base/settings.h"
#include "video/pacing.h"
#include "video/scale.h"

namespace video {

ModeList modeList;
State state;
ColourTables colours;

namespace {

std::unique_ptr<uint8_t[]> brightnessTable;  // built only for displays of at most 16 bits
bool cursorHidden = false;  // the system cursor is hidden because we draw our own

const char* const kDriverName = "SDL";

// The pacing clock: the machine's monotonic clock unless a test replaces it.
PacingNow pacingNow = platform::monotonicTicks;
double pacingTickSeconds = platform::monotonicTickSeconds();
PacingSleep pacingSleep = platform::sleepUntilTicks;
FramePacer pacer;

constexpr int kUnknownRefreshHz = 60;  // what a display that does not say is paced to

// The display's failure reason, kept for the error report line, which reads the text later.
char displayError[platform::kReasonBytes] = "";

// The video log lines written at start with -d.
void logVideo() {
    logc::print(1, "\r\n\tinit Video:");
    logc::print(1, "\r\n\t\tBB:%d VL:%d HW:%x", state.BB, state.VL, state.HW);
    logc::print(1, " DT:%d VSYNC:%d SZ:(%dKb)", state.DT, settings::VIDwVSync,
                (int)(state.surfaceBytes / 1024));
    for (int i = 0; i < modeList.count; ++i) {
        const platform::DisplayMode& m = modeList.modes[i];
        char name[48], pages[16];
        std::snprintf(name, sizeof name, "%dx%dx%d", m.width, m.height, m.bitsPerPixel);
        std::snprintf(pages, sizeof pages, "%d pages", m.pages);
        logc::print(1, "%s", i == state.modeIndex ? "\r\n\t\t*" : "\r\n\t\t ");
        logc::print(1, "%s %s %s", name, kDriverName, pages);
    }
    logc::print(1, "\r\n\t\tVideo Hardware support:");
    logc::print(1, "\r\n\t\tHWSP :%d", 0);
    static const char* const kLabels[] = {"\tLINE :%d",     "\tTLINE:%d", "\tPOLY :%d",
                                          "\r\n\t\tRECT :%d", "\tPRECT:%d", "\tCRECT:%d",
                                          "\tSBLT :%d",     "\r\n\t\tSTBLT:%d", "\tDTBLT:%d",
                                          "\tMNBLT:%d",     "\tCLIP :%d"};
    for (int bit = 4; bit <= 14; ++bit) {
        logc::print(1, kLabels[bit - 4], (state.HW >> bit) & 1);
    }
    // A reason can be longer than one log message holds: it is written in pieces.
    logc::print(1, "\r\n\t\tPresent: %s (", platform::presentPathName(state.presentPath));
    for (const char* p = state.presentReason; *p;) {
        const size_t n = strnlen(p, 100);
        logc::print(1, "%.*s", (int)n, p);
        p += n;
    }
    logc::print(1, ")");
    if (state.pacedHz > 0)
        logc::print(1, "\r\n\t\tPacing: %d Hz by sleeping (the %s does not wait for the retrace; %s)",
                    state.pacedHz, platform::presentPathName(state.presentPath),
                    state.refreshHz > 0 ? "the display's rate" : "the display does not say its rate");
    else if (state.waitMode == 1)
        logc::print(1, "\r\n\t\tPacing: the renderer waits for the retrace");
    else
        logc::print(1, "\r\n\t\tPacing: none, frames run free (VSYNC 0)");
}

void releaseDisplay() {
    if (cursorHidden) {
        platform::showSystemCursor(true);
        cursorHidden = false;
    }
    platform::closeDisplay();
    for (draw::Surface& page : state.pages) draw::destroySurface(page);
    draw::destroySurface(state.backBuffer);
    state.pointers[0].reset();
    state.pointers[1].reset();
    state.display = state.drawing = nullptr;
    brightnessTable.reset();
    brightness = nullptr;
    state.open = 0;
}

// Opens the platform display in the chosen mode, creates the pages (and the back buffer), and
// builds the colour tables for the drawing surface's format.
bool openDisplay() {
    const int w = state.mode.width, h = state.mode.height;
    platform::DisplayRequest request;
    request.width = w;
    request.height = h;
    request.vsync = state.waitMode == 1;
    request.path = settings::VIDpresent == 1   ? platform::PresentPath::kSurface
                   : settings::VIDpresent == 2 ? platform::PresentPath::kTexture
                                               : platform::PresentPath::kAutomatic;
    platform::DisplayReport report;
    if (!platform::openDisplay(request, report)) {
        std::snprintf(displayError, sizeof displayError, "the display cannot be opened: %s", report.reason);
        draw::setError(draw::kErrDisplay, displayError);
        errorReport(__LINE__);
        return false;
    }
    state.presentPath = report.path;
    std::snprintf(state.presentReason, sizeof state.presentReason, "%s", report.reason);
    state.refreshHz = report.refreshHz;
    // Only a present that waits for the retrace itself keeps frames to the display's beat.
    state.pacedHz = request.vsync && !report.waitsForRetrace
                        ? (report.refreshHz > 0 ? report.refreshHz : kUnknownRefreshHz)
                        : 0;
    startPacing(pacer, state.pacedHz, pacingTickSeconds);

    bool made;
    if (state.BB) {
        made = draw::createSurface(state.backBuffer, w, h);
        state.drawing = &state.backBuffer;
        state.display = nullptr;
    } else {
        made = draw::createSurface(state.pages[0], w, h) && draw::createSurface(state.pages[1], w, h);
        state.drawing = &state.pages[1];  // the hidden page
        state.display = &state.pages[0];
    }
    if (!made) {
        errorReport(__LINE__);
        releaseDisplay();
        return false;
    }
    state.width = w - 1;
    state.height = h - 1;
    state.centreX = state.width / 2;
    state.centreY = state.height / 2;
    state.surfaceBytes = sizeof(uint32_t) * (size_t)state.drawing->pitch * (size_t)h;
    state.VL = 1;
    state.HW = 0;
    state.DT = 0;
    state.format = state.drawing->format;

    buildColourTables(state.format, colours);
    if (state.format.bitsPerPixel <= 16) {
        brightnessTable.reset(new (std::nothrow) uint8_t[65536]);
        if (brightnessTable) buildBrightnessTable(state.format, brightnessTable.get());
        brightness = brightnessTable.get();
    }
    state.pointerKind = kNormalPointer;
    state.clearColour = colours.black;
    app::active = 1;
    return true;
}

// The screenshot file: the drawing surface's picture up to its largest x and y, as a 24-bit BMP.
bool toFile(void* fd, const void* data, size_t size) {
    return platform::writeFile(*static_cast<int*>(fd), data, size);
}

void writeScreenshot() {
    int fd = platform::openFile(state.screenshotPath, platform::FileMode::kCreate);
    if (fd < 0) return;  // stays pending: the next frame tries again
    const bool ok = draw::writeBmp24(toFile, &fd, *state.drawing, state.width, state.height);
    platform::closeFile(fd);
    if (!ok) {
        // A half-written picture is worth nothing; don't leave it behind or retry every frame.
        platform::removeFile(state.screenshotPath);
        logc::print(1, "\r\n\tScreenshot '%s' could not be written", state.screenshotPath);
    }
    state.screenshotPending = 0;
}

}  // namespace

// ---- Mode list --------------------------------------------------------------------------------

bool modeUsable(const platform::DisplayMode& m, int backBufferInSystemMemory) {
    return m.bitsPerPixel > 8 && m.bitsPerPixel <= 24 && m.width >= 640 &&
           m.width <= draw::kMaxSide && m.height >= 1 && m.height <= draw::kMaxSide &&
           (backBufferInSystemMemory ? m.pages >= 1 : m.pages > 1);
}

void filterModes(const platform::DisplayMode* modes, int count, int bb, ModeList& out) {
    out.count = 0;
    for (int i = 0; i < count && out.count < kMaxModes; ++i) {
        const platform::DisplayMode& m = modes[i];
        if (!modeUsable(m, bb)) continue;
        bool seen = false;
        for (int j = 0; j < out.count && !seen; ++j) {
            const platform::DisplayMode& o = out.modes[j];
            seen = o.width == m.width && o.height == m.height && o.bitsPerPixel == m.bitsPerPixel;
        }
        if (!seen) out.modes[out.count++] = m;
    }
}

int automaticMode(const ModeList& list) {
    for (int i = 0; i < list.count; ++i)
        if (list.modes[i].height >= 480) return i;
    return 0;
}

int buildModeList() {
    const std::vector<platform::DisplayMode> modes = platform::displayModes();
    filterModes(modes.data(), (int)modes.size(), settings::VIDbckBuffSysMem, modeList);
    return modeList.count;
}

// ---- Start and stop ---------------------------------------------------------------------------

int start() {
    if (state.open) releaseDisplay();
    draw::clearError();
    if (modeList.count == 0) buildModeList();
    if (modeList.count == 0) {
        draw::setError(draw::kErrNoMode, "no usable display mode");
        errorReport(__LINE__);
        return 0;
    }
    // -1 asks for the automatic choice, and an index the list doesn't have (a stored choice from
    // another machine) takes it too. The setting itself keeps what was stored: a -1 must stay
    // automatic on the next machine and the next run, not become this run's index.
    int index = settings::VIDdefault;
    if (index < 0 || index >= modeList.count) index = automaticMode(modeList);
    state.modeIndex = index;
    state.mode = modeList.modes[index];

    state.BB = settings::VIDbckBuffSysMem ? 1 : 0;
    if (state.mode.pages < 2) state.BB = 1;
    state.waitMode = settings::VIDwVSync == 1 ? 1 : 2;
    if (!openDisplay()) return 0;
    if (app::mode.DB) logVideo();

    state.screenshotPending = 0;
    app::pointerDrawn = 1;
    state.pointers[kNormalPointer] = loadDisplayBitmap("pointer.bmp");
    state.pointers[kHelpPointer] = loadDisplayBitmap("hpointer.bmp");
    if (!state.pointers[kNormalPointer] || !state.pointers[kHelpPointer]) {
        releaseDisplay();
        return 0;
    }
    state.open = 1;
    return 1;
}

void stop() {
    if (state.open) releaseDisplay();
}

// ---- Frames -----------------------------------------------------------------------------------

void present() {
    if (!state.open) return;
    draw::Surface& drawing = *state.drawing;
    if (state.screenshotPending) writeScreenshot();

    if ((app::pointerDrawn != 0) != cursorHidden) {
        cursorHidden = app::pointerDrawn != 0;
        platform::showSystemCursor(!cursorHidden);
    }
    if (app::pointerDrawn) {
        // Where the poll of this pass saw the pointer, so the drawn pointer and picking agree.
        const draw::Bitmap& pointer =
            *state.pointers[state.pointerKind == kHelpPointer ? kHelpPointer : kNormalPointer];
        draw::drawBitmapKeyed(drawing, pointer, input::pointer.x, input::pointer.y, colours.transparent);
    }

    platform::FrameTarget target;
    const bool shown = platform::beginFrame(target);
    if (shown) showScaled(drawing, target, colours.black);
    // Paced frames go out on the display's beat. A frame that cannot be shown (the window
    // surface lost for a moment) still waits its turn, so the loop does not spin.
    if (state.pacedHz > 0) {
        const uint64_t wake = paceFrame(pacer, pacingNow());
        if (wake != 0) pacingSleep(wake);
    }
    if (shown) platform::showFrame();
    if (!state.BB) std::swap(state.display, state.drawing);
    draw::clear(*state.drawing, state.clearColour);
}

void requestScreenshot() {
    for (unsigned n = 1; n <= 0xFFFF; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "pic%04X.bmp", n);
        const std::string path = platform::joinPath(app::programFolder, name);
        if (platform::pathExists(path)) continue;
        if (path.size() >= sizeof state.screenshotPath) return;
        std::memcpy(state.screenshotPath, path.c_str(), path.size() + 1);
        state.screenshotPending = 1;
        return;
    }
}

draw::BitmapPtr loadDisplayBitmap(const char* name) {
    draw::BitmapPtr loaded = draw::loadBitmap(name);
    if (!loaded) return nullptr;
    draw::Surface converted;
    if (!draw::createSurface(converted, loaded->width, loaded->height, state.format)) return nullptr;
    draw::stretchBitmap(converted, *loaded, 0, 0, loaded->width, loaded->height);
    loaded.reset();
    return draw::bitmapFromSurface(converted, 0, 0, converted.width, converted.height);
}

void applicationSwitch(bool back) {
    if (!back) {
        app::active = 0;
        return;
    }
    platform::FrameTarget target;
    if (state.open && platform::beginFrame(target)) {
        // What the window showed while we were away is stale: show black until the next frame.
        for (int y = 0; y < target.height; ++y)
            std::fill_n(target.pixels + (size_t)y * target.pitch, target.width, colours.black);
        platform::showFrame();
    }
    app::active = 1;
}

void setPacingClock(PacingNow now, double secondsPerTick, PacingSleep sleepUntil) {
    if (now == nullptr || sleepUntil == nullptr || !(secondsPerTick > 0.0)) {
        pacingNow = platform::monotonicTicks;
        pacingTickSeconds = platform::monotonicTickSeconds();
        pacingSleep = platform::sleepUntilTicks;
        return;
    }
    pacingNow = now;
    pacingTickSeconds = secondsPerTick;
    pacingSleep = sleepUntil;
}

void errorReport(int line) {
    char report[128];
    std::snprintf(report, sizeof report, "\r\nMGL VIDEO ERROR (%d)'%s' @(%s:%d)",
                  draw::lastErrorCode(), draw::lastErrorText(), "video", line);
    logc::print(1, "%s", report);
}

}  // namespace video
