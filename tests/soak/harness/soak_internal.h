// The soak's parts: the steps the stream is made of, the table of user actions that make them
// (actions.cpp), and the tables of what is checked and of the fixed states the program is put
// back into (checks.cpp). Private to the harness.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "soak/harness/random.h"
#include "zwindows/zwindows.h"

namespace soak {

// One step of the stream, taken in one main-loop pass once the program has taken every message
// of the steps before it: the pointer goes somewhere, a window message is queued, or the harness
// does something itself (what a panel or a plug-in would do by calling the program).
struct Step {
    bool movesPointer = false;
    int x = 0, y = 0;              // surface pixels; may lie off the surface
    bool hasMessage = false;
    platform::Message message;
    std::function<void()> call;    // run at the step's pass, before its message is queued
};

// What the stream reached, for the report's coverage figures.
struct Coverage {
    std::set<int> keys;              // virtual-key codes pressed
    std::set<std::string> subWords;  // "word sub" of every console line built from the table
};

// The stream's state that the actions share.
struct Context {
    Random& random;
    int width, height;
    std::deque<Step>& steps;
    Coverage& coverage;
    std::vector<zwindows::Node>& windows;  // top-level windows the stream opened
    bool quitting;                         // the stream may end sessions
    bool tracing = false;                  // say on standard error what the stream sends

    void note(const std::string& what);    // a line of the trace

    // Steps, in the order a user's hand makes them.
    void pointer(int px, int py);
    void message(uint32_t code, uintptr_t wParam = 0, intptr_t lParam = 0);
    void call(std::function<void()> f);
    void idle(int passes);  // passes with no input: frames go by
    void keyDown(int vk);
    void keyUp(int vk);
    void press(int vk);     // down and up
    void type(const std::string& text);
    // A point anywhere on the surface, now and then just off it.
    int randomX();
    int randomY();
};

// ---- Actions (actions.cpp) ------------------------------------------------------------------

struct Action {
    const char* name;
    int weight;              // relative frequency
    void (*make)(Context&);  // appends the action's steps
    bool endsSession;        // taken only while the stream may end sessions
};
const Action* actions(int& count);

// The key-table entries the stream presses, and every console word and sub-word it can build
// lines from: for the coverage figures.
std::vector<int> streamKeys();
std::vector<std::string> tableSubWords();

// The class of the stream's own windows, registered at each session's start.
void registerWindowClass();

// ---- Checks (checks.cpp) --------------------------------------------------------------------

// The program's fixed tables: what each holds now and at most.
struct Table {
    const char* name;
    int (*count)();
    int (*capacity)();
};
const Table* tables(int& count);

// "" when all is well, else what is wrong (the first problem found).
std::string tablesProblem();
// Every camera record: finite values, an orientation that is a rotation.
std::string camerasProblem();

// The fixed states the soak puts the program back into; each is compared with itself.
struct FixedState {
    const char* name;
    void (*apply)();  // after the common part (console closed, windows gone, input at rest)
    // Tables this state does not draw: they keep what the frames before it left, so they are not
    // compared here (they are still held to their sizes).
    const char* notDrawn[4];
    // Taken only at a session's start (before the others, so that the stream begins in the
    // first state): a state too heavy for the stream to go on in.
    bool atStartOnly = false;
};
const FixedState* fixedStates(int& count);
// Brings the program to fixed state `index`: the common part, then the state's own.
void applyFixedState(int index, std::vector<zwindows::Node>& windows);
// The counts of every table, in table order.
std::vector<int> tableCounts();
// "" when `now` equals `baseline` in every table that `state` draws, else which tables differ and
// by how much. A null state compares every table.
std::string countsDiffer(const std::vector<int>& baseline, const std::vector<int>& now,
                         const FixedState* state = nullptr);

// Memory of the process, bytes.
size_t heapInUse();
size_t residentBytes();

}  // namespace soak
