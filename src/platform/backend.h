// The backend interface: what a window system must offer the program, as one table of
// functions. Each backend fills one table (sdl/, headless/); the front end (platform.cpp) calls
// through the table chosen by useBackend. Only the platform folder includes this header.
#pragma once

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
    bool (*openDisplay)(int width, int height, bool vsync);
    void (*closeDisplay)();
    void (*presentFrame)(const uint32_t* pixels, int width, int height, int pitch);
    void (*showSystemCursor)(bool show);
};

}  // namespace platform
