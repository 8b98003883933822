// Headless backend, display half: a settable desktop and mode list, the present path chosen from
// a described renderer, and presented frames kept in memory for tests and benchmarks.
#include "platform/headless/headless_display.h"

#include <memory>
#include <new>
#include <string>

#include "platform/headless/headless.h"
#include "platform/headless/headless_internal.h"

namespace headless {
namespace {

struct Size {
    int w, h;
};
constexpr Size kCommonSizes[] = {{1920, 1080}, {1680, 1050}, {1600, 900}, {1440, 900},
                                 {1280, 1024}, {1280, 800},  {1280, 720}, {1024, 768},
                                 {800, 600},   {640, 480}};

struct Display {
    int desktopW = 1280, desktopH = 800, desktopBits = 24;
    std::vector<platform::DisplayMode> modes;  // set by a test; empty: derived from the desktop
    bool failOpen = false;
    platform::RendererDescription renderer;    // none
    bool rendererVsync = true;
    bool environmentSet = false;
    std::string environment;                   // VYREX_PRESENT
    int refreshHz = 0;
    int windowW = 0, windowH = 0;              // 0: the frame's size
    bool failSurface = false;

    bool open = false;
    int width = 0, height = 0;                 // of every frame
    bool vsync = false;
    platform::PresentPath path = platform::PresentPath::kAutomatic;
    std::unique_ptr<uint32_t[]> target;        // targetW × targetH
    int targetW = 0, targetH = 0;
    bool frameBegun = false;
    bool haveFrame = false;
    int presented = 0;
    bool cursorShown = true;
};

Display& display() {
    static Display d;
    return d;
}

// The target's buffer at the size of the window (surface path) or the frame (texture path). A
// new size gets a new buffer, as a resized window gets a new surface; the old picture is lost.
bool sizeTarget(Display& d, int w, int h) {
    if (d.target && d.targetW == w && d.targetH == h) return true;
    d.target.reset(new (std::nothrow) uint32_t[(size_t)w * (size_t)h]());
    d.haveFrame = false;
    d.targetW = d.target ? w : 0;
    d.targetH = d.target ? h : 0;
    return d.target != nullptr;
}

}  // namespace

void resetDisplay() {
    display() = Display{};
    platform::useBackend(&impl::kBackend);
}

void setDesktop(int width, int height, int bitsPerPixel) {
    display().desktopW = width;
    display().desktopH = height;
    display().desktopBits = bitsPerPixel;
}

void setModes(const std::vector<platform::DisplayMode>& modes) { display().modes = modes; }
void failDisplayOpen(bool fail) { display().failOpen = fail; }

void setRenderer(const platform::RendererDescription& renderer, bool honoursVsync) {
    display().renderer = renderer;
    display().rendererVsync = honoursVsync;
}
void setPresentEnvironment(const char* value) {
    display().environmentSet = value != nullptr;
    display().environment = value ? value : "";
}
void setRefreshRate(int hz) { display().refreshHz = hz; }
void setWindowSize(int width, int height) {
    display().windowW = width > 0 && height > 0 ? width : 0;
    display().windowH = width > 0 && height > 0 ? height : 0;
}
void failWindowSurface(bool fail) { display().failSurface = fail; }

bool displayOpen() { return display().open; }
int displayWidth() { return display().open ? display().width : 0; }
int displayHeight() { return display().open ? display().height : 0; }
bool displayVsync() { return display().vsync; }
platform::PresentPath presentPath() { return display().path; }
int framesPresented() { return display().presented; }
int targetWidth() { return display().haveFrame ? display().targetW : 0; }
int targetHeight() { return display().haveFrame ? display().targetH : 0; }
const uint32_t* lastFrame() { return display().haveFrame ? display().target.get() : nullptr; }

uint32_t lastFramePixel(int x, int y) {
    const Display& d = display();
    if (!d.haveFrame || x < 0 || y < 0 || x >= d.targetW || y >= d.targetH) return 0;
    return d.target[(size_t)y * d.targetW + x];
}

bool systemCursorShown() { return display().cursorShown; }

}  // namespace headless

namespace headless::impl {

using namespace platform;

std::vector<DisplayMode> displayModes() {
    const headless::Display& d = headless::display();
    if (!d.modes.empty()) return d.modes;
    std::vector<DisplayMode> modes{{d.desktopW, d.desktopH, d.desktopBits, 2}};
    for (const headless::Size& s : headless::kCommonSizes) {
        if (s.w > d.desktopW || s.h > d.desktopH) continue;
        if (s.w == d.desktopW && s.h == d.desktopH) continue;
        modes.push_back({s.w, s.h, d.desktopBits, 2});
    }
    return modes;
}

void displayLibraryVersion(int v[4]) {
    // No presentation library: the version of this backend.
    v[0] = 1;
    v[1] = v[2] = v[3] = 0;
}

bool openDisplay(const DisplayRequest& request, DisplayReport& report) {
    headless::Display& d = headless::display();
    closeDisplay();
    char* reason = report.reason;
    const size_t size = sizeof report.reason;
    if (d.failOpen) {
        appendReason(reason, size, "the display fails, as the test asked");
        return false;
    }
    if (!headless::windowOpen()) {
        appendReason(reason, size, "no main window");
        return false;
    }
    if (request.width < 1 || request.height < 1) {
        appendReason(reason, size, "no frame of %d x %d pixels", request.width, request.height);
        return false;
    }
    // The same choice as the SDL backend's, from the described renderer.
    PresentPath chosen = forcedPresentPath(request.path, d.environmentSet ? d.environment.c_str() : nullptr,
                                           reason, size);
    if (chosen == PresentPath::kAutomatic) chosen = automaticPresentPath(d.renderer, reason, size);
    chosen = openEitherPath(
        chosen,
        [&](PresentPath p) {
            if (p == PresentPath::kSurface && d.failSurface) {
                appendReason(reason, size, "; the window surface failed (none offered)");
                return false;
            }
            if (p == PresentPath::kTexture && !d.renderer.exists) {
                appendReason(reason, size, "; the streaming texture failed (no renderer)");
                return false;
            }
            return true;
        },
        reason, size);
    if (chosen == PresentPath::kAutomatic) return false;

    d.open = true;
    d.width = request.width;
    d.height = request.height;
    d.vsync = request.vsync;
    d.path = chosen;
    d.presented = 0;
    report.path = chosen;
    report.waitsForRetrace = chosen == PresentPath::kTexture && request.vsync && d.rendererVsync;
    report.refreshHz = d.refreshHz;
    return true;
}

void closeDisplay() {
    headless::Display& d = headless::display();
    d.open = false;
    d.frameBegun = false;
    d.haveFrame = false;
    d.target.reset();
    d.targetW = d.targetH = 0;
    d.width = d.height = 0;
    d.path = PresentPath::kAutomatic;
}

bool beginFrame(FrameTarget& target) {
    headless::Display& d = headless::display();
    if (!d.open || d.frameBegun) return false;
    const bool surface = d.path == PresentPath::kSurface;
    const int w = surface && d.windowW ? d.windowW : d.width;
    const int h = surface && d.windowH ? d.windowH : d.height;
    if (!headless::sizeTarget(d, w, h)) return false;
    target.pixels = d.target.get();
    target.width = w;
    target.height = h;
    target.pitch = w;
    target.view = surface ? frameView(w, h, d.width, d.height) : Rect{0, 0, d.width, d.height};
    d.frameBegun = true;
    return true;
}

void showFrame() {
    headless::Display& d = headless::display();
    if (!d.frameBegun) return;
    d.frameBegun = false;
    d.haveFrame = true;
    ++d.presented;
}

void showSystemCursor(bool show) { headless::display().cursorShown = show; }

}  // namespace headless::impl
