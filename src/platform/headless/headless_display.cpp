// Headless backend, display half: a settable desktop and mode list, and presented frames kept in
// memory for tests and benchmarks.
#include "platform/headless/headless_display.h"

#include <cstring>
#include <memory>
#include <new>

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
    bool open = false;
    int width = 0, height = 0;
    bool vsync = false;
    std::unique_ptr<uint32_t[]> frame;  // width × height, allocated at openDisplay
    bool haveFrame = false;
    int presented = 0;
    bool cursorShown = true;
};

Display& display() {
    static Display d;
    return d;
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
bool displayOpen() { return display().open; }
int displayWidth() { return display().open ? display().width : 0; }
int displayHeight() { return display().open ? display().height : 0; }
bool displayVsync() { return display().vsync; }
int framesPresented() { return display().presented; }
const uint32_t* lastFrame() { return display().haveFrame ? display().frame.get() : nullptr; }

uint32_t lastFramePixel(int x, int y) {
    const Display& d = display();
    if (!d.haveFrame || x < 0 || y < 0 || x >= d.width || y >= d.height) return 0;
    return d.frame[(size_t)y * d.width + x];
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

bool openDisplay(int width, int height, bool vsync) {
    headless::Display& d = headless::display();
    closeDisplay();
    if (d.failOpen || !headless::windowOpen() || width < 1 || height < 1) return false;
    d.frame.reset(new (std::nothrow) uint32_t[(size_t)width * (size_t)height]);
    if (!d.frame) return false;
    d.open = true;
    d.width = width;
    d.height = height;
    d.vsync = vsync;
    d.presented = 0;
    return true;
}

void closeDisplay() {
    headless::Display& d = headless::display();
    d.open = false;
    d.haveFrame = false;
    d.frame.reset();
    d.width = d.height = 0;
}

void presentFrame(const uint32_t* pixels, int width, int height, int pitch) {
    headless::Display& d = headless::display();
    if (!d.open || pixels == nullptr || width != d.width || height != d.height) return;
    const size_t rowBytes = sizeof(uint32_t) * (size_t)width;
    if ((size_t)pitch == rowBytes) {
        std::memcpy(d.frame.get(), pixels, rowBytes * (size_t)height);
    } else {
        const auto* src = reinterpret_cast<const uint8_t*>(pixels);
        for (int y = 0; y < height; ++y)
            std::memcpy(d.frame.get() + (size_t)y * width, src + (size_t)y * pitch, rowBytes);
    }
    d.haveFrame = true;
    ++d.presented;
}

void showSystemCursor(bool show) { headless::display().cursorShown = show; }

}  // namespace headless::impl
