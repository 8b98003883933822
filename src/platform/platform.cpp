// The front end of the window, message and display calls: each goes to the chosen backend, or
// to the null backend before one is chosen.
#include <cstdio>

#include "platform/backend.h"

namespace platform {
namespace {

// No window can be made, no message ever arrives and no display opens; boxes go to standard
// error. A program that forgot to choose a backend thus fails its start-up cleanly.
bool nullCreate(const char*, WindowProc) { return false; }
void nullVoid() {}
bool nullPeek(Message&) { return false; }
intptr_t nullDispatch(const Message&) { return 0; }
void nullPostQuit(int) {}
void nullCursor(int& x, int& y) { x = y = 0; }
bool nullKeyHeld(int) { return false; }
MouseInfo nullMouse() { return MouseInfo{}; }
void nullBox(const char* caption, const char* text) {
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
}
std::vector<DisplayMode> nullModes() { return {}; }
void nullVersion(int v[4]) { v[0] = v[1] = v[2] = v[3] = 0; }
bool nullOpen(const DisplayRequest&, DisplayReport& report) {
    std::snprintf(report.reason, sizeof report.reason, "no backend chosen");
    return false;
}
bool nullBegin(FrameTarget&) { return false; }
void nullCursorShown(bool) {}

constexpr Backend kNullBackend = {
    "null",       nullCreate,   nullVoid,   nullPeek,    nullVoid,  nullDispatch,
    nullPostQuit, nullDispatch, nullCursor, nullKeyHeld, nullMouse, nullBox,
    nullModes,    nullVersion,  nullOpen,   nullVoid,    nullBegin, nullVoid,
    nullCursorShown,
};

const Backend* current = &kNullBackend;

}  // namespace

void useBackend(const Backend* b) { current = b ? b : &kNullBackend; }
const Backend& backend() { return *current; }

bool createMainWindow(const char* title, WindowProc proc) { return current->createMainWindow(title, proc); }
void destroyMainWindow() { current->destroyMainWindow(); }
bool peekMessage(Message& msg) { return current->peekMessage(msg); }
void waitMessage() { current->waitMessage(); }
intptr_t dispatchMessage(const Message& msg) { return current->dispatchMessage(msg); }
void postQuitMessage(int exitCode) { current->postQuitMessage(exitCode); }
intptr_t defaultWindowProc(const Message& msg) { return current->defaultWindowProc(msg); }
void cursorPosition(int& x, int& y) { current->cursorPosition(x, y); }
bool keyHeld(int vk) { return current->keyHeld(vk); }
MouseInfo mouseInfo() { return current->mouseInfo(); }
void messageBox(const char* caption, const char* text) { current->messageBox(caption, text); }

std::vector<DisplayMode> displayModes() { return current->displayModes(); }
void displayLibraryVersion(int v[4]) { current->displayLibraryVersion(v); }
bool openDisplay(const DisplayRequest& request, DisplayReport& report) {
    report = DisplayReport{};
    return current->openDisplay(request, report);
}
void closeDisplay() { current->closeDisplay(); }
bool beginFrame(FrameTarget& target) { return current->beginFrame(target); }
void showFrame() { current->showFrame(); }
void showSystemCursor(bool show) { current->showSystemCursor(show); }

}  // namespace platform
