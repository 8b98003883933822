// SDL backend, window half: the main window, SDL events turned into Windows-style messages with
// virtual-key codes, key state, pointer position mapped to surface pixels, mouse description and
// message boxes.
#include <SDL.h>

#include <cstdio>
#include <deque>

#include "platform/backend.h"
#include "platform/sdl/sdl.h"
#include "platform/posix/posix_internal.h"
#include "platform/sdl/sdl_internal.h"

namespace platform::sdl {
namespace {

constexpr uintptr_t MK_LBUTTON = 0x01, MK_RBUTTON = 0x02, MK_SHIFT = 0x04, MK_CONTROL = 0x08,
                    MK_MBUTTON = 0x10;

struct Mapping {
    int viewX = 0, viewY = 0, viewW = 0, viewH = 0;  // window pixels; viewW 0 = not yet set (1:1)
    int surfaceW = 0, surfaceH = 0;                  // surface pixels
};

SDL_Window* window = nullptr;
WindowProc windowProc = nullptr;
bool closed = false;       // a close request destroyed the window (hidden until shutdown)
bool initedVideo = false;  // this half initialised SDL's video subsystem
std::deque<Message> queue;
bool held[256] = {};
Mapping mapping;

// Keys whose virtual-key code is not their character. Letters and digits are handled by range.
struct KeyMap {
    SDL_Keycode key;
    int vk;
};
constexpr KeyMap kKeyMap[] = {
    {SDLK_BACKSPACE, VK_BACK},  {SDLK_TAB, VK_TAB},         {SDLK_RETURN, VK_RETURN},
    {SDLK_KP_ENTER, VK_RETURN}, {SDLK_ESCAPE, VK_ESCAPE},   {SDLK_SPACE, VK_SPACE},
    {SDLK_LSHIFT, VK_SHIFT},    {SDLK_RSHIFT, VK_SHIFT},    {SDLK_LCTRL, VK_CONTROL},
    {SDLK_RCTRL, VK_CONTROL},   {SDLK_LALT, VK_MENU},       {SDLK_RALT, VK_MENU},
    {SDLK_PAUSE, VK_PAUSE},     {SDLK_CAPSLOCK, VK_CAPITAL},
    {SDLK_PAGEUP, VK_PRIOR},    {SDLK_PAGEDOWN, VK_NEXT},   {SDLK_END, VK_END},
    {SDLK_HOME, VK_HOME},       {SDLK_LEFT, VK_LEFT},       {SDLK_UP, VK_UP},
    {SDLK_RIGHT, VK_RIGHT},     {SDLK_DOWN, VK_DOWN},       {SDLK_INSERT, VK_INSERT},
    {SDLK_DELETE, VK_DELETE},   {SDLK_KP_MULTIPLY, VK_MULTIPLY}, {SDLK_KP_PLUS, VK_ADD},
    {SDLK_KP_MINUS, VK_SUBTRACT}, {SDLK_KP_PERIOD, VK_DECIMAL}, {SDLK_KP_DIVIDE, VK_DIVIDE},
    {SDLK_F1, VK_F1},   {SDLK_F2, VK_F2},   {SDLK_F3, VK_F3},   {SDLK_F4, VK_F4},
    {SDLK_F5, VK_F5},   {SDLK_F6, VK_F6},   {SDLK_F7, VK_F7},   {SDLK_F8, VK_F8},
    {SDLK_F9, VK_F9},   {SDLK_F10, VK_F10}, {SDLK_F11, VK_F11}, {SDLK_F12, VK_F12},
    {SDLK_KP_0, VK_NUMPAD0},     {SDLK_KP_1, VK_NUMPAD0 + 1}, {SDLK_KP_2, VK_NUMPAD0 + 2},
    {SDLK_KP_3, VK_NUMPAD0 + 3}, {SDLK_KP_4, VK_NUMPAD0 + 4}, {SDLK_KP_5, VK_NUMPAD0 + 5},
    {SDLK_KP_6, VK_NUMPAD0 + 6}, {SDLK_KP_7, VK_NUMPAD0 + 7}, {SDLK_KP_8, VK_NUMPAD0 + 8},
    {SDLK_KP_9, VK_NUMPAD0 + 9},
};

// 0 for keys without a virtual-key code in the program's vocabulary.
int virtualKey(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    for (const KeyMap& k : kKeyMap)
        if (k.key == key) return k.vk;
    return 0;
}

// Windows key data: repeat count 1, scan code in bits 16-23, previous state in bit 30,
// transition (released) in bit 31.
intptr_t keyData(const SDL_KeyboardEvent& e, bool up) {
    uint32_t data = 1u | ((static_cast<uint32_t>(e.keysym.scancode) & 0xFFu) << 16);
    if (up) data |= 0xC0000000u;
    else if (e.repeat) data |= 0x40000000u;
    return static_cast<intptr_t>(static_cast<int32_t>(data));
}

// The character Windows sends for keys that type control codes.
int controlCharacter(SDL_Keycode key) {
    switch (key) {
        case SDLK_BACKSPACE: return 8;
        case SDLK_TAB: return 9;
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return 13;
        case SDLK_ESCAPE: return 27;
        default: return 0;
    }
}

void windowToSurface(int wx, int wy, int& x, int& y) {
    if (mapping.viewW <= 0 || mapping.viewH <= 0 || mapping.surfaceW <= 0 || mapping.surfaceH <= 0) {
        x = wx;
        y = wy;
        return;
    }
    x = static_cast<int>((static_cast<int64_t>(wx) - mapping.viewX) * mapping.surfaceW / mapping.viewW);
    y = static_cast<int>((static_cast<int64_t>(wy) - mapping.viewY) * mapping.surfaceH / mapping.viewH);
    // A pointer over the letterbox bars is at the nearest edge of the surface.
    x = x < 0 ? 0 : (x >= mapping.surfaceW ? mapping.surfaceW - 1 : x);
    y = y < 0 ? 0 : (y >= mapping.surfaceH ? mapping.surfaceH - 1 : y);
}

intptr_t pointLParam(int wx, int wy) {
    int x, y;
    windowToSurface(wx, wy, x, y);
    return static_cast<intptr_t>((static_cast<uint32_t>(x) & 0xFFFFu) | ((static_cast<uint32_t>(y) & 0xFFFFu) << 16));
}

// Buttons and modifier keys as of the event being translated (MK_* flags of mouse messages).
// SDL's own state functions report the state after the whole queue, so it is followed here.
uintptr_t translatedButtons = 0;
uintptr_t translatedModifiers = 0;

uintptr_t buttonFlags() { return translatedButtons | translatedModifiers; }

void followModifier(int vk, bool down) {
    uintptr_t flag = vk == VK_SHIFT ? MK_SHIFT : vk == VK_CONTROL ? MK_CONTROL : 0;
    if (down) translatedModifiers |= flag;
    else translatedModifiers &= ~flag;
}

void post(uint32_t message, uintptr_t wParam, intptr_t lParam) { queue.push_back(Message{message, wParam, lParam}); }

void translate(const SDL_Event& e) {
    switch (e.type) {
        case SDL_QUIT:
            // The session or a signal asks the program to end: treated like closing the window.
            post(WM_CLOSE, 0, 0);
            break;
        case SDL_WINDOWEVENT:
            switch (e.window.event) {
                case SDL_WINDOWEVENT_CLOSE: post(WM_CLOSE, 0, 0); break;
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                case SDL_WINDOWEVENT_RESTORED: post(WM_ACTIVATEAPP, 1, 0); break;
                case SDL_WINDOWEVENT_FOCUS_LOST:
                case SDL_WINDOWEVENT_MINIMIZED:
                    translatedButtons = translatedModifiers = 0;
                    post(WM_ACTIVATEAPP, 0, 0);
                    break;
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    post(WM_SIZE, 0,
                         static_cast<intptr_t>((static_cast<uint32_t>(e.window.data1) & 0xFFFFu) |
                                               ((static_cast<uint32_t>(e.window.data2) & 0xFFFFu) << 16)));
                    break;
                case SDL_WINDOWEVENT_EXPOSED: post(WM_PAINT, 0, 0); break;
                default: break;
            }
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            bool up = e.type == SDL_KEYUP;
            int vk = virtualKey(e.key.keysym.sym);
            if (vk == 0) break;
            followModifier(vk, !up);
            intptr_t data = keyData(e.key, up);
            post(up ? WM_KEYUP : WM_KEYDOWN, static_cast<uintptr_t>(vk), data);
            // Text input does not report these keys; Windows types them as control characters.
            int ch = up ? 0 : controlCharacter(e.key.keysym.sym);
            if (ch) post(WM_CHAR, static_cast<uintptr_t>(ch), data);
            break;
        }
        case SDL_TEXTINPUT:
            // ASCII only: the program's fonts and console know no other characters.
            for (const char* p = e.text.text; *p; ++p) {
                unsigned char c = static_cast<unsigned char>(*p);
                if (c >= 32 && c < 127) post(WM_CHAR, c, 1);
            }
            break;
        case SDL_MOUSEMOTION: post(WM_MOUSEMOVE, buttonFlags(), pointLParam(e.motion.x, e.motion.y)); break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            bool down = e.type == SDL_MOUSEBUTTONDOWN;
            uint32_t msg;
            uintptr_t flag;
            switch (e.button.button) {
                case SDL_BUTTON_LEFT: msg = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; flag = MK_LBUTTON; break;
                case SDL_BUTTON_RIGHT: msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; flag = MK_RBUTTON; break;
                case SDL_BUTTON_MIDDLE: msg = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; flag = MK_MBUTTON; break;
                default: return;
            }
            if (down) translatedButtons |= flag;
            else translatedButtons &= ~flag;
            post(msg, buttonFlags(), pointLParam(e.button.x, e.button.y));
            break;
        }
        case SDL_MOUSEWHEEL: {
            int notches = e.wheel.y;
            if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
            if (notches == 0) break;
            int wx, wy;
            SDL_GetMouseState(&wx, &wy);
            uint32_t delta = static_cast<uint16_t>(static_cast<int16_t>(notches * 120));
            post(WM_MOUSEWHEEL, (static_cast<uintptr_t>(delta) << 16) | buttonFlags(), pointLParam(wx, wy));
            break;
        }
        default: break;
    }
}

void pump() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) translate(e);
}

// Key state follows the messages as the program takes them, like GetKeyState.
void trackKeys(const Message& m) {
    auto set = [](uintptr_t vk, bool down) {
        if (vk < 256) held[vk] = down;
    };
    switch (m.message) {
        case WM_KEYDOWN: set(m.wParam, true); break;
        case WM_KEYUP: set(m.wParam, false); break;
        case WM_LBUTTONDOWN: set(VK_LBUTTON, true); break;
        case WM_LBUTTONUP: set(VK_LBUTTON, false); break;
        case WM_RBUTTONDOWN: set(VK_RBUTTON, true); break;
        case WM_RBUTTONUP: set(VK_RBUTTON, false); break;
        case WM_MBUTTONDOWN: set(VK_MBUTTON, true); break;
        case WM_MBUTTONUP: set(VK_MBUTTON, false); break;
        case WM_ACTIVATEAPP:
            // Keys released while another program had the focus never reach us.
            if (m.wParam == 0) {
                for (bool& h : held) h = false;
            }
            break;
        default: break;
    }
}

}  // namespace

SDL_Window* sdlMainWindow() { return window; }

void sdlPostMessage(uint32_t message) { post(message, 0, 0); }

void sdlSetSurfaceMapping(int viewX, int viewY, int viewW, int viewH, int surfaceW, int surfaceH) {
    mapping = Mapping{viewX, viewY, viewW, viewH, surfaceW, surfaceH};
}

bool createMainWindow(const char* title, WindowProc proc) {
    if (window || !proc) return false;
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            std::fprintf(stderr, "SDL video: %s\n", SDL_GetError());
            return false;
        }
        initedVideo = true;
    }
    // The desktop's usable area: under a window manager the maximised window becomes about that
    // anyway, and without one (a bare X server, a kiosk, a remote session) nothing would maximise
    // it, so it is made that large from the start.
    SDL_Rect area{SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 800, 600};
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0) area = usable;
    window = SDL_CreateWindow(title, area.x, area.y, area.w, area.h, SDL_WINDOW_RESIZABLE | SDL_WINDOW_MAXIMIZED);
    if (!window) {
        std::fprintf(stderr, "SDL window: %s\n", SDL_GetError());
        if (initedVideo) SDL_QuitSubSystem(SDL_INIT_VIDEO);
        initedVideo = false;
        return false;
    }
    windowProc = proc;
    closed = false;
    queue.clear();
    for (bool& h : held) h = false;
    mapping = Mapping{};
    translatedButtons = translatedModifiers = 0;
    SDL_ShowWindow(window);
    SDL_MaximizeWindow(window);
    SDL_StartTextInput();
    return true;
}

void destroyMainWindow() {
    if (window) {
        SDL_StopTextInput();
        SDL_DestroyWindow(window);
    }
    window = nullptr;
    windowProc = nullptr;
    if (initedVideo) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    initedVideo = false;
}

bool peekMessage(Message& msg) {
    if (queue.empty() && window) pump();
    if (queue.empty()) return false;
    msg = queue.front();
    queue.pop_front();
    trackKeys(msg);
    return true;
}

void waitMessage() {
    while (queue.empty() && window) {
        SDL_Event e;
        if (!SDL_WaitEvent(&e)) return;
        translate(e);
    }
}

intptr_t dispatchMessage(const Message& msg) {
    if (msg.message == WM_QUIT || !windowProc) return 0;
    return windowProc(msg);
}

void postQuitMessage(int exitCode) { post(WM_QUIT, static_cast<uintptr_t>(static_cast<intptr_t>(exitCode)), 0); }

intptr_t defaultWindowProc(const Message& msg) {
    // Closing destroys the window once and announces it with WM_DESTROY. The SDL window is only
    // hidden here: the presentation still draws into it until the shutdown closes the display,
    // and destroyMainWindow releases it after that.
    if (msg.message == WM_CLOSE && window && !closed) {
        closed = true;
        SDL_HideWindow(window);
        post(WM_DESTROY, 0, 0);
    }
    return 0;
}

void cursorPosition(int& x, int& y) {
    int wx = 0, wy = 0;
    SDL_GetMouseState(&wx, &wy);
    windowToSurface(wx, wy, x, y);
}

bool keyHeld(int vk) { return vk >= 0 && vk < 256 && held[vk]; }

MouseInfo mouseInfo() { return posix::probeMouse(); }

void messageBox(const char* caption, const char* text) {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    // Without owner window, as the box may come after the main window is gone. Without a display
    // SDL cannot show it; standard error then carries the text alone.
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption ? caption : "", text ? text : "", nullptr);
}

const Backend kBackend = {
    "SDL",           createMainWindow, destroyMainWindow, peekMessage,    waitMessage,
    dispatchMessage, postQuitMessage,  defaultWindowProc, cursorPosition, keyHeld,
    mouseInfo,       messageBox,       displayModes,      displayLibraryVersion,
    openDisplay,     closeDisplay,     beginFrame,        showFrame,      showSystemCursor,
};

const Backend* backend() { return &kBackend; }

}  // namespace platform::sdl
