// SDL backend, display half: the list of display modes, and the presentation of the drawing
// surface in the main window through one streaming texture, scaled to fit with its aspect kept.
#include <SDL.h>

#include <algorithm>
#include <cstdio>

#include "platform/platform.h"
#include "platform/sdl/sdl_internal.h"

namespace platform::sdl {
namespace {

SDL_Renderer* renderer = nullptr;
SDL_Texture* texture = nullptr;
int surfaceW = 0, surfaceH = 0;      // pixels
SDL_Rect shownIn{0, 0, 0, 0};        // the letterbox last reported, window pixels

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

// Where a surface of w × h lands in an area of areaW × areaH, scaled to fit with its aspect kept.
SDL_Rect letterbox(int areaW, int areaH, int w, int h) {
    SDL_Rect r{0, 0, areaW, areaH};
    if (w <= 0 || h <= 0 || areaW <= 0 || areaH <= 0) return r;
    if ((long long)areaW * h > (long long)areaH * w) {
        r.w = (int)((long long)areaH * w / h);
        r.x = (areaW - r.w) / 2;
    } else {
        r.h = (int)((long long)areaW * h / w);
        r.y = (areaH - r.h) / 2;
    }
    return r;
}

}  // namespace

std::vector<DisplayMode> displayModes() {
    std::vector<DisplayMode> modes;
    // The launcher asks before the main window exists; bring SDL's video up just for the question.
    const bool inited = !SDL_WasInit(SDL_INIT_VIDEO);
    if (inited && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "SDL video: %s\n", SDL_GetError());
        return modes;
    }
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

bool openDisplay(int width, int height, bool vsync) {
    closeDisplay();
    SDL_Window* window = sdlMainWindow();
    if (window == nullptr || width < 1 || height < 1) return false;
    renderer = SDL_CreateRenderer(window, -1, vsync ? SDL_RENDERER_PRESENTVSYNC : 0);
    if (renderer == nullptr) {
        std::fprintf(stderr, "SDL renderer: %s\n", SDL_GetError());
        return false;
    }
    texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                width, height);
    if (texture == nullptr) {
        std::fprintf(stderr, "SDL texture: %s\n", SDL_GetError());
        closeDisplay();
        return false;
    }
    surfaceW = width;
    surfaceH = height;
    shownIn = SDL_Rect{0, 0, 0, 0};
    SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
    return true;
}

void closeDisplay() {
    if (texture) SDL_DestroyTexture(texture);
    if (renderer) SDL_DestroyRenderer(renderer);
    texture = nullptr;
    renderer = nullptr;
    surfaceW = surfaceH = 0;
}

void presentFrame(const uint32_t* pixels, int width, int height, int pitch) {
    if (renderer == nullptr || pixels == nullptr || width != surfaceW || height != surfaceH) return;
    // Frames presented before the main loop takes messages (the splash) must still see the
    // window's real size: pumping moves the system's events into SDL's queue, where the window
    // and the renderer learn of a resize; the messages themselves stay queued for the loop.
    SDL_PumpEvents();
    SDL_UpdateTexture(texture, nullptr, pixels, pitch);

    // The window's size in window pixels (pointer coordinates) and in output pixels (the renderer,
    // larger on high-density screens).
    int winW = 0, winH = 0, outW = 0, outH = 0;
    SDL_GetWindowSize(sdlMainWindow(), &winW, &winH);
    SDL_GetRendererOutputSize(renderer, &outW, &outH);
    const SDL_Rect view = letterbox(winW, winH, width, height);
    if (view.x != shownIn.x || view.y != shownIn.y || view.w != shownIn.w || view.h != shownIn.h) {
        shownIn = view;
        sdlSetSurfaceMapping(view.x, view.y, view.w, view.h, width, height);
    }
    const SDL_Rect dest = letterbox(outW, outH, width, height);
    SDL_RenderClear(renderer);
    SDL_RenderCopy(renderer, texture, nullptr, &dest);
    SDL_RenderPresent(renderer);
}

void showSystemCursor(bool show) { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

}  // namespace platform::sdl
