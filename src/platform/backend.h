// The backend interface: what a window system must offer the program, as one table of
// functions. Each backend fills one table (sdl/, headless/); the front end (platform.cpp) calls
// through the table chosen by useBackend. Only the platform folder includes this header (and the
// headless backend's test controls, which describe fake renderers with it).
//
// The choice of the present path is made by the functions below, shared by both backends so
// that the headless one decides exactly as the SDL one does: the SDL backend describes the
// renderer SDL would make, the headless backend the one a test describes.
#pragma once

#include <cstddef>

#include "platform/platform.h"

namespace platform {

struct Backend {
    const char* name;  // "SDL", "headless", "null"

    // Window and messages, with the meanings of the calls of the same names in platform.h.
    bool (*createMainWindow)(const char* title, WindowProc proc);
    void (*destroyMainWindow)();
    bool (*peekMessage)(Message& msg);
    void (*waitMessage)();
    intptr_t (*dispatchMessage)(const Message& msg);
    void (*postQuitMessage)(int exitCode);
    intptr_t (*defaultWindowProc)(const Message& msg);
    void (*cursorPosition)(int& x, int& y);
    bool (*keyHeld)(int vk);
    MouseInfo (*mouseInfo)();
    void (*messageBox)(const char* caption, const char* text);

    // Display.
    std::vector<DisplayMode> (*displayModes)();
    void (*displayLibraryVersion)(int v[4]);
    bool (*openDisplay)(const DisplayRequest& request, DisplayReport& report);
    void (*closeDisplay)();
    bool (*beginFrame)(FrameTarget& target);
    void (*showFrame)();
    void (*showSystemCursor)(bool show);
};

// ---- The present path ---------------------------------------------------------------------------

// The renderer SDL makes for a window when nobody names one, as far as it can be told.
struct RendererDescription {
    bool exists = false;       // a renderer could be made at all
    char driver[32] = "";      // SDL's name for it: "opengl", "opengles2", "software"
    bool accelerated = false;  // SDL calls it hardware-accelerated
    char device[96] = "";      // what the graphics library says draws (GL_RENDERER); "" unknown
};

// The path the environment or the request forces: the environment's value (VYREX_PRESENT, null
// when unset) first, then request.path. kAutomatic when neither forces one; otherwise `reason`
// says who forced it. A value of the environment that is none of "surface", "texture" and "auto"
// is ignored, and `reason` begins by saying so.
PresentPath forcedPresentPath(PresentPath requested, const char* environment, char* reason,
                              size_t reasonSize);

// The automatic choice for that renderer, appended to `reason`: the window surface without a
// renderer, with one SDL does not call accelerated, and with one whose device is a software
// rasterizer; the streaming texture otherwise.
PresentPath automaticPresentPath(const RendererDescription& renderer, char* reason, size_t reasonSize);

// Whether a graphics device name (GL_RENDERER) is one of the rasterizers that run on the
// processor ("llvmpipe (LLVM 15.0.6, 256 bits)").
bool softwareRasterizer(const char* device);

// Opens the chosen path with open(path) (true when it opened, having appended to `reason` why
// not otherwise), and the other path when that fails: a picture through the dearer path beats
// none. The path that opened, or kAutomatic when neither did.
template <typename Open>
PresentPath openEitherPath(PresentPath chosen, Open open, char* reason, size_t reasonSize);

// Appends printf-style text to a reason, cut at its size.
void appendReason(char* reason, size_t reasonSize, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

template <typename Open>
PresentPath openEitherPath(PresentPath chosen, Open open, char* reason, size_t reasonSize) {
    if (open(chosen)) return chosen;
    const PresentPath other = chosen == PresentPath::kSurface ? PresentPath::kTexture : PresentPath::kSurface;
    appendReason(reason, reasonSize, ", so the %s", presentPathName(other));
    return open(other) ? other : PresentPath::kAutomatic;
}

}  // namespace platform
