// Headless backend: the window and message half of the platform without a display, driven by
// tests through headless.h.
#include "platform/headless/headless.h"

#include "platform/backend.h"
#include "platform/headless/headless_internal.h"

#include <cstdio>
#include <deque>

namespace headless {
namespace {

struct State {
    std::deque<platform::Message> queue;
    std::function<void(int)> peekHook;
    std::function<void()> idleHook;
    platform::WindowProc proc = nullptr;
    bool open = false;
    bool closed = false;
    bool failCreate = false;
    std::string title;
    int created = 0;
    int waits = 0;
    int peeks = 0;
    int dispatches = 0;
    int pointerX = 0, pointerY = 0;
    bool held[256] = {};
    platform::MouseInfo mouse;
    std::vector<Box> boxes;
};

State& state() {
    static State s;
    return s;
}

void trackKeys(const platform::Message& m) {
    State& s = state();
    auto set = [&](uintptr_t vk, bool down) {
        if (vk < 256) s.held[vk] = down;
    };
    switch (m.message) {
        case platform::WM_KEYDOWN: set(m.wParam, true); break;
        case platform::WM_KEYUP: set(m.wParam, false); break;
        case platform::WM_LBUTTONDOWN: set(platform::VK_LBUTTON, true); break;
        case platform::WM_LBUTTONUP: set(platform::VK_LBUTTON, false); break;
        case platform::WM_RBUTTONDOWN: set(platform::VK_RBUTTON, true); break;
        case platform::WM_RBUTTONUP: set(platform::VK_RBUTTON, false); break;
        case platform::WM_MBUTTONDOWN: set(platform::VK_MBUTTON, true); break;
        case platform::WM_MBUTTONUP: set(platform::VK_MBUTTON, false); break;
        default: break;
    }
}

}  // namespace

void reset() {
    state() = State{};
    platform::useBackend(&impl::kBackend);
}

void pushMessage(const platform::Message& msg) { state().queue.push_back(msg); }
void pushMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    pushMessage(platform::Message{message, wParam, lParam});
}
size_t queuedMessages() { return state().queue.size(); }

void setPeekHook(std::function<void(int)> hook) { state().peekHook = std::move(hook); }
void setIdleHook(std::function<void()> hook) { state().idleHook = std::move(hook); }

void setPointer(int x, int y) {
    state().pointerX = x;
    state().pointerY = y;
}
void setKeyHeld(int vk, bool held) {
    if (vk >= 0 && vk < 256) state().held[vk] = held;
}
void setMouseInfo(const platform::MouseInfo& info) { state().mouse = info; }
void failWindowCreation(bool fail) { state().failCreate = fail; }

const std::vector<Box>& messageBoxes() { return state().boxes; }
bool windowOpen() { return state().open; }
bool windowClosed() { return state().closed; }
std::string windowTitle() { return state().title; }
int windowsCreated() { return state().created; }
int waitCount() { return state().waits; }
int peekCount() { return state().peeks; }
int dispatchCount() { return state().dispatches; }

}  // namespace headless

namespace headless::impl {

using namespace platform;

bool createMainWindow(const char* title, WindowProc proc) {
    auto& s = state();
    if (s.failCreate || !proc) return false;
    s.proc = proc;
    s.title = title ? title : "";
    s.open = true;
    s.closed = false;
    ++s.created;
    return true;
}

void destroyMainWindow() {
    auto& s = state();
    s.open = false;
    s.proc = nullptr;
}

bool peekMessage(Message& msg) {
    auto& s = state();
    ++s.peeks;
    if (s.peekHook) s.peekHook(s.peeks);
    if (s.queue.empty()) return false;
    msg = s.queue.front();
    s.queue.pop_front();
    headless::trackKeys(msg);
    return true;
}

void waitMessage() {
    auto& s = state();
    ++s.waits;
    if (s.queue.empty() && s.idleHook) s.idleHook();
}

intptr_t dispatchMessage(const Message& msg) {
    auto& s = state();
    if (msg.message == WM_QUIT || !s.proc) return 0;
    ++s.dispatches;
    return s.proc(msg);
}

void postQuitMessage(int exitCode) {
    state().queue.push_back(Message{WM_QUIT, static_cast<uintptr_t>(static_cast<intptr_t>(exitCode)), 0});
}

intptr_t defaultWindowProc(const Message& msg) {
    auto& s = state();
    // A close request destroys the window once; its destruction is announced with WM_DESTROY.
    if (msg.message == WM_CLOSE && s.open && !s.closed) {
        s.closed = true;
        s.queue.push_back(Message{WM_DESTROY, 0, 0});
    }
    return 0;
}

void cursorPosition(int& x, int& y) {
    x = state().pointerX;
    y = state().pointerY;
}

bool keyHeld(int vk) { return vk >= 0 && vk < 256 && state().held[vk]; }

MouseInfo mouseInfo() { return state().mouse; }

void messageBox(const char* caption, const char* text) {
    state().boxes.push_back(headless::Box{caption ? caption : "", text ? text : ""});
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
}

const Backend kBackend = {
    "headless",      createMainWindow, destroyMainWindow, peekMessage,    waitMessage,
    dispatchMessage, postQuitMessage,  defaultWindowProc, cursorPosition, keyHeld,
    mouseInfo,       messageBox,       displayModes,      displayLibraryVersion,
    openDisplay,     closeDisplay,     beginFrame,        showFrame,      showSystemCursor,
};

}  // namespace headless::impl
