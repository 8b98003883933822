// Test controls of the headless backend: a scripted message queue, a settable pointer and key
// state, and a record of what the program did through the platform (message boxes shown, waits,
// sleeps, the window's life). Tests include this header; the program never does.
//
// Messages pushed here are taken by platform::peekMessage in order. platform::waitMessage never
// blocks: it counts the wait, runs the idle hook if the queue is empty, and returns. A test that
// lets the program go inactive must therefore feed it from the idle hook (or a frame receiver),
// or the inactive loop keeps waiting.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace headless {

// Back to the state of a fresh process: empty queue, no window, no boxes, pointer at (0, 0),
// no key held, default mouse, window creation allowed, counters 0, no hooks.
void reset();

void pushMessage(const platform::Message& msg);
void pushMessage(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
// Messages still queued.
size_t queuedMessages();

// Called with the number of the peek (1, 2, ...) at every platform::peekMessage, before the queue
// is looked at, so a test can push a message at a given pass of the main loop.
void setPeekHook(std::function<void(int peek)> hook);
// Called by platform::waitMessage when the queue is empty.
void setIdleHook(std::function<void()> hook);

// Pointer position in surface pixels as platform::cursorPosition reports it.
void setPointer(int x, int y);
// Key state as platform::keyHeld reports it. Taking a WM_KEYDOWN/WM_KEYUP or a button message
// with peekMessage also updates it, as on a real machine.
void setKeyHeld(int vk, bool held);

void setMouseInfo(const platform::MouseInfo& info);
// Makes the next createMainWindow calls fail (the window cannot be created).
void failWindowCreation(bool fail);

struct Box {
    std::string caption;
    std::string text;
};
// Every message box shown since reset, in order.
const std::vector<Box>& messageBoxes();

bool windowOpen();          // created and not yet destroyed by destroyMainWindow
bool windowClosed();        // a close request destroyed it (WM_DESTROY queued)
std::string windowTitle();
int windowsCreated();       // createMainWindow successes since reset
int waitCount();            // platform::waitMessage calls since reset
int peekCount();            // platform::peekMessage calls since reset
int dispatchCount();        // messages handed to the window procedure since reset

// The dialog window (platform::openDialogWindow): open, its title and its size in window pixels
// (0 while closed), and how often one was opened or given a new dialog since reset.
bool dialogWindowOpen();
std::string dialogWindowTitle();
int dialogWindowWidth();
int dialogWindowHeight();
int dialogWindowsOpened();

}  // namespace headless
