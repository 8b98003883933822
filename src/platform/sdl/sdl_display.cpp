// SDL backend, display half: the list of display modes, the choice of the present path, and the
// presentation of finished frames in the main window through the window surface or a streaming
// texture.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/backend.h"
#include "platform/platform.h"
#include "platform/sdl/sdl_internal.h"

namespace platform::sdl {
namespace {

// The frame's own pixel layout; a window surface of another layout is not written into.
constexpr uint32_t kFrameFormat = SDL_PIXELFORMAT_RGB888;  // XRGB8888
constexpr unsigned kGlRenderer = 0x1F01;                    // GL_RENDERER

PresentPath path = PresentPath::kAutomatic;  // kAutomatic while no display is open
SDL_Renderer* renderer = nullptr;            // the streaming texture's
SDL_Texture* texture = nullptr;
int frameW = 0, frameH = 0;     // pixels of every frame
bool frameBegun = false;        // beginFrame handed out a target that showFrame has not shown
SDL_Rect textureDest{0, 0, 0, 0};  // where the texture is drawn, renderer output pixels
SDL_Rect mapped{0, 0, 0, 0};       // the view last reported to the window half, window pixels
uint64_t framesShown = 0;
uint64_t closeAfterFrames = 0;  // VYREX_EXIT_AFTER_FRAMES; 0: never

// Window sizes offered besides the display's own modes, largest first, so that a window-sized
// mode exists on every desktop.
struct Size {
    int w, h;
};
constexpr Size kCommonSizes[] = {{1920, 1080}, {1680, 1050}, {1600, 900}, {1440, 900},
                                 {1280, 1024}, {1280, 800},  {1280, 720}, {1024, 768},
                                 {800, 600},   {640, 480}};

void addMode(std::vector<DisplayMode>& modes, int w, int h, int bits) {
    for (const DisplayMode& m : modes)
        if (m.width == w && m.height == h && m.bitsPerPixel == bits) return;
    modes.push_back(DisplayMode{w, h, bits, 2});
}

// The renderer SDL makes when nobody names one, made on a hidden window of its own: a renderer
// on the main window would give that window an OpenGL context (SDL recreates the window for
// one), which the window surface does not want.
RendererDescription describeRenderer() {
    RendererDescription d;
    SDL_Window* probe = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_HIDDEN);
    if (probe == nullptr) return d;
    if (SDL_Renderer* r = SDL_CreateRenderer(probe, -1, 0)) {
        SDL_RendererInfo info;
        if (SDL_GetRendererInfo(r, &info) == 0) {
            d.exists = true;
            std::snprintf(d.driver, sizeof d.driver, "%s", info.name ? info.name : "");
            d.accelerated = (info.flags & SDL_RENDERER_ACCELERATED) != 0;
            // The OpenGL renderers leave their context current: the library names its device.
            if (std::strncmp(d.driver, "opengl", 6) == 0) {
                using GetString = const unsigned char* (*)(unsigned);
                const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
                const unsigned char* device = getString ? getString(kGlRenderer) : nullptr;
                if (device) std::snprintf(d.device, sizeof d.device, "%s", reinterpret_cast<const char*>(device));
            }
        }
        SDL_DestroyRenderer(r);
    }
    SDL_DestroyWindow(probe);
    return d;
}

int refreshRate(SDL_Window* window) {
    SDL_DisplayMode mode;
    const int index = SDL_GetWindowDisplayIndex(window);
    if (index >= 0 && SDL_GetCurrentDisplayMode(index, &mode) == 0 && mode.refresh_rate > 0)
        return mode.refresh_rate;
    return 0;
}

bool openSurface(SDL_Window* window, char* reason, size_t size) {
    // Without this SDL itself would put a renderer and a texture behind the window surface.
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_OVERRIDE);
    SDL_Surface* s = SDL_GetWindowSurface(window);
    if (s == nullptr) {
        appendReason(reason, size, "; the window surface failed (%s)", SDL_GetError());
        return false;
    }
    if (s->format->format != kFrameFormat) {
        appendReason(reason, size, "; the window surface holds %s pixels",
                     SDL_GetPixelFormatName(s->format->format));
        return false;
    }
    SDL_FillRect(s, nullptr, 0);
    SDL_UpdateWindowSurface(window);
    return true;
}

bool openTexture(SDL_Window* window, bool vsync, char* reason, size_t size) {
    // Whole-pixel scales then show every frame pixel as a sharp square, as on the window surface.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    renderer = SDL_CreateRenderer(window, -1, vsync ? SDL_RENDERER_PRESENTVSYNC : 0);
    if (renderer != nullptr)
        texture = SDL_CreateTexture(renderer, kFrameFormat, SDL_TEXTUREACCESS_STREAMING, frameW, frameH);
    if (texture == nullptr) {
        appendReason(reason, size, "; the streaming texture failed (%s)", SDL_GetError());
        if (renderer) SDL_DestroyRenderer(renderer);
        renderer = nullptr;
        return false;
    }
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
    return true;
}

bool rendererWaitsForRetrace() {
    SDL_RendererInfo info;
    return renderer && SDL_GetRendererInfo(renderer, &info) == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC);
}

// A count of frames after which the window is asked to close, for measurements that run the real
// program for a fixed number of frames; 0 when the variable is unset or not a positive number.
uint64_t framesBeforeClose() {
    const char* text = std::getenv("VYREX_EXIT_AFTER_FRAMES");
    if (text == nullptr || *text < '0' || *text > '9') return 0;
    char* end = nullptr;
    const unsigned long long n = std::strtoull(text, &end, 10);
    return end && *end == 0 ? n : 0;
}

// Tells the window half where the frame lies in window pixels, when that changed: the view is
// in the pixels of the area it was computed for (the window surface or the renderer's output,
// larger than the window on high-density screens).
void mapView(const Rect& view, int areaW, int areaH, SDL_Window* window) {
    int winW = 0, winH = 0;
    SDL_GetWindowSize(window, &winW, &winH);
    SDL_Rect r{view.x, view.y, view.width, view.height};
    if (areaW > 0 && areaH > 0 && (areaW != winW || areaH != winH)) {
        r.x = (int)((long long)view.x * winW / areaW);
        r.y = (int)((long long)view.y * winH / areaH);
        r.w = (int)((long long)view.width * winW / areaW);
        r.h = (int)((long long)view.height * winH / areaH);
    }
    if (r.x != mapped.x || r.y != mapped.y || r.w != mapped.w || r.h != mapped.h) {
        mapped = r;
        sdlSetSurfaceMapping(r.x, r.y, r.w, r.h, frameW, frameH);
    }
}

}  // namespace

std::vector<DisplayMode> displayModes() {
    std::vector<DisplayMode> modes;
    // The launcher asks before the main window exists; bring SDL's video up just for the question.
    const bool inited = !SDL_WasInit(SDL_INIT_VIDEO);
    if (inited && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return modes;
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
        const int bits = (int)SDL_BITSPERPIXEL(desktop.format);
        addMode(modes, desktop.w, desktop.h, bits);
        const int count = SDL_GetNumDisplayModes(0);
        for (int i = 0; i < count; ++i) {
            SDL_DisplayMode m;
            if (SDL_GetDisplayMode(0, i, &m) == 0 && m.w <= desktop.w && m.h <= desktop.h)
                addMode(modes, m.w, m.h, (int)SDL_BITSPERPIXEL(m.format));
        }
        for (const Size& s : kCommonSizes)
            if (s.w <= desktop.w && s.h <= desktop.h) addMode(modes, s.w, s.h, bits);
    }
    if (inited) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return modes;
}

void displayLibraryVersion(int v[4]) {
    SDL_version version;
    SDL_GetVersion(&version);
    v[0] = version.major;
    v[1] = version.minor;
    v[2] = version.patch;
    v[3] = 0;
}

bool openDisplay(const DisplayRequest& request, DisplayReport& report) {
    closeDisplay();
    char* reason = report.reason;
    const size_t size = sizeof report.reason;
    SDL_Window* window = sdlMainWindow();
    if (window == nullptr) {
        appendReason(reason, size, "no main window");
        return false;
    }
    if (request.width < 1 || request.height < 1) {
        appendReason(reason, size, "no frame of %d x %d pixels", request.width, request.height);
        return false;
    }
    frameW = request.width;
    frameH = request.height;
    report.refreshHz = refreshRate(window);

    PresentPath chosen = forcedPresentPath(request.path, std::getenv("VYREX_PRESENT"), reason, size);
    if (chosen == PresentPath::kAutomatic) chosen = automaticPresentPath(describeRenderer(), reason, size);
    chosen = openEitherPath(
        chosen,
        [&](PresentPath p) {
            return p == PresentPath::kSurface ? openSurface(window, reason, size)
                                              : openTexture(window, request.vsync, reason, size);
        },
        reason, size);
    if (chosen == PresentPath::kAutomatic) {
        closeDisplay();
        return false;
    }
    path = chosen;
    report.path = chosen;
    report.waitsForRetrace = chosen == PresentPath::kTexture && request.vsync && rendererWaitsForRetrace();
    closeAfterFrames = framesBeforeClose();
    framesShown = 0;
    mapped = SDL_Rect{0, 0, 0, 0};
    return true;
}

void closeDisplay() {
    if (texture) {
        if (frameBegun) SDL_UnlockTexture(texture);
        SDL_DestroyTexture(texture);
    }
    if (renderer) SDL_DestroyRenderer(renderer);
    texture = nullptr;
    renderer = nullptr;
    frameBegun = false;
    path = PresentPath::kAutomatic;
    frameW = frameH = 0;
}

bool beginFrame(FrameTarget& target) {
    SDL_Window* window = sdlMainWindow();
    if (path == PresentPath::kAutomatic || window == nullptr || frameBegun) return false;
    // Frames presented before the main loop takes messages (the splash) must still see the
    // window's real size: pumping moves the system's events into SDL's queue, where the window
    // learns of a resize; the messages themselves stay queued for the loop.
    SDL_PumpEvents();
    if (path == PresentPath::kSurface) {
        // After a resize SDL makes a new surface of the new size here.
        SDL_Surface* s = SDL_GetWindowSurface(window);
        if (s == nullptr || s->pixels == nullptr || s->format->format != kFrameFormat) return false;
        target.pixels = static_cast<uint32_t*>(s->pixels);
        target.width = s->w;
        target.height = s->h;
        target.pitch = s->pitch / (int)sizeof(uint32_t);
        target.view = frameView(s->w, s->h, frameW, frameH);
        mapView(target.view, s->w, s->h, window);
    } else {
        void* pixels = nullptr;
        int pitch = 0;
        if (SDL_LockTexture(texture, nullptr, &pixels, &pitch) != 0) return false;
        target.pixels = static_cast<uint32_t*>(pixels);
        target.width = frameW;
        target.height = frameH;
        target.pitch = pitch / (int)sizeof(uint32_t);
        target.view = Rect{0, 0, frameW, frameH};
        int outW = 0, outH = 0;
        SDL_GetRendererOutputSize(renderer, &outW, &outH);
        const Rect dest = frameView(outW, outH, frameW, frameH);
        textureDest = SDL_Rect{dest.x, dest.y, dest.width, dest.height};
        mapView(dest, outW, outH, window);
    }
    frameBegun = true;
    return true;
}

void showFrame() {
    SDL_Window* window = sdlMainWindow();
    if (!frameBegun || window == nullptr) return;
    frameBegun = false;
    if (path == PresentPath::kSurface) {
        SDL_UpdateWindowSurface(window);
    } else {
        SDL_UnlockTexture(texture);
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, texture, nullptr, &textureDest);
        SDL_RenderPresent(renderer);
    }
    if (closeAfterFrames != 0 && ++framesShown == closeAfterFrames) sdlPostMessage(WM_CLOSE);
}

void showSystemCursor(bool show) { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

}  // namespace platform::sdl
