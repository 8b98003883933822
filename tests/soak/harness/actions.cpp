// The soak's table of user actions and the steps each makes: keys, characters, the pointer and
// its buttons, the wheel, focus, console lines drawn from the command table, macros, journeys,
// modes, saved cameras and in-scene windows.
//
// Keys come from the program's own key table and console lines from the console's own command
// table, so a key or a word that the program gains is pressed and typed from the day it lands.
// A window that the stream should open is one line of kWindows.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/app.h"
#include "base/input_state.h"
#include "catalog/catalog.h"
#include "console/commands.h"
#include "console/console.h"
#include "extensions/markers.h"
#include "navigation/camera.h"
#include "platform/headless/headless.h"
#include "program/input.h"
#include "soak/harness/soak_internal.h"
#include "systems/system.h"
#include "zwindows/widgets.h"
#include "zwindows/zwindows.h"

namespace soak {

using namespace platform;

// ---- Steps ------------------------------------------------------------------------------------

void Context::pointer(int px, int py) {
    Step s;
    s.movesPointer = true;
    s.x = px;
    s.y = py;
    s.hasMessage = true;
    s.message = {WM_MOUSEMOVE, 0, static_cast<intptr_t>((static_cast<uint32_t>(py) & 0xFFFF) << 16 |
                                                        (static_cast<uint32_t>(px) & 0xFFFF))};
    steps.push_back(s);
}

void Context::message(uint32_t code, uintptr_t wParam, intptr_t lParam) {
    Step s;
    s.hasMessage = true;
    s.message = {code, wParam, lParam};
    steps.push_back(s);
}

void Context::call(std::function<void()> f) {
    Step s;
    s.call = std::move(f);
    steps.push_back(std::move(s));
}

void Context::idle(int passes) {
    for (int i = 0; i < passes; ++i) steps.push_back(Step{});
}

void Context::keyDown(int vk) {
    coverage.keys.insert(vk);
    message(WM_KEYDOWN, static_cast<uintptr_t>(vk), 1);
}
// Key data of a release: repeat count 1, previous state down, transition up.
void Context::keyUp(int vk) { message(WM_KEYUP, static_cast<uintptr_t>(vk), static_cast<intptr_t>(0xC0000001u)); }

void Context::press(int vk) {
    keyDown(vk);
    keyUp(vk);
}

void Context::type(const std::string& text) {
    for (unsigned char ch : text) message(WM_CHAR, ch, 1);
}

void Context::note(const std::string& what) {
    if (tracing) std::fprintf(stderr, "soak:     %s\n", what.c_str());
}

int Context::randomX() { return random.oneIn(20) ? random.range(-40, width + 40) : random.below(width); }
int Context::randomY() { return random.oneIn(20) ? random.range(-40, height + 40) : random.below(height); }

namespace {

// ---- What ends a session ------------------------------------------------------------------------
//
// The stream sends these only as its "quit" action, a few times a run; anywhere else they
// would end the session every few hundred frames.
constexpr int kQuitKeys[] = {VK_ESCAPE};
constexpr const char* kQuitWords[] = {"exit"};

bool quitKey(int vk) {
    for (int k : kQuitKeys)
        if (k == vk) return true;
    return false;
}

bool quitWord(const char* word) {
    for (const char* w : kQuitWords)
        if (std::strcmp(w, word) == 0) return true;
    return false;
}

// ---- Keys ---------------------------------------------------------------------------------------

// Keys handled before the key table: the cameras' function keys.
constexpr int kFunctionKeys[] = {VK_F1, VK_F2, VK_F3, VK_F4, VK_F5, VK_F6, VK_F7, VK_F8};

int tableKey(Random& random) {
    int count = 0;
    const input::KeyAction* keys = input::keyTable(count);
    for (;;) {
        const int vk = keys[random.below(count)].vk;
        if (!quitKey(vk)) return vk;
    }
}

int anyKey(Random& random) {
    switch (random.below(10)) {
        case 0: return random.pick(kFunctionKeys);
        case 1: {
            // Any code at all; a key that nothing is bound to does nothing.
            const int vk = random.range(1, 255);
            return quitKey(vk) ? VK_F9 : vk;
        }
        default: return tableKey(random);
    }
}

void pressKey(Context& c) {
    const int vk = anyKey(c.random);
    c.press(vk);
    // Held keys repeat: a few more downs before the release.
    if (c.random.oneIn(8)) {
        c.steps.pop_back();
        for (int i = c.random.range(1, 6); i > 0; --i) c.message(WM_KEYDOWN, static_cast<uintptr_t>(vk), 0x40000001);
        c.keyUp(vk);
    }
}

// Shift or Ctrl held over a key: saved and loaded cameras, the screenshot, the macros. The
// modifier's own press is a key of the program as well (Shift steps back).
void pressKeyWithModifier(Context& c) {
    const int modifier = c.random.oneIn(2) ? VK_SHIFT : VK_CONTROL;
    int vk;
    switch (c.random.below(6)) {
        case 0: vk = VK_F9; break;  // Ctrl+F9: a screenshot
        case 1:
        case 2: vk = c.random.pick(kFunctionKeys); break;
        default: vk = anyKey(c.random); break;
    }
    c.keyDown(modifier);
    c.press(vk);
    if (c.random.oneIn(4)) c.press(anyKey(c.random));
    c.keyUp(modifier);
}

void typeCharacters(Context& c) {
    std::string text;
    for (int i = c.random.range(1, 8); i > 0; --i)
        text += static_cast<char>(c.random.oneIn(4) ? c.random.range(1, 255) : c.random.range(32, 126));
    c.type(text);
}

// ---- The pointer --------------------------------------------------------------------------------

void movePointer(Context& c) {
    int x = c.randomX(), y = c.randomY();
    c.pointer(x, y);
    for (int i = c.random.below(6); i > 0; --i) {
        x += c.random.range(-30, 30);
        y += c.random.range(-30, 30);
        c.pointer(x, y);
    }
}

struct Button {
    uint32_t down, up;
};
constexpr Button kLeft{WM_LBUTTONDOWN, WM_LBUTTONUP};
constexpr Button kRight{WM_RBUTTONDOWN, WM_RBUTTONUP};
constexpr Button kMiddle{WM_MBUTTONDOWN, WM_MBUTTONUP};

const Button& randomButton(Random& random) {
    const int b = random.below(10);
    return b < 7 ? kLeft : b < 9 ? kRight : kMiddle;
}

// Clicks land mostly where there is something to hit: the middle of the picture (the locked
// star after a journey or a look), the stream's windows, anywhere else.
void clickAt(Context& c, int x, int y, const Button& b) {
    c.pointer(x, y);
    c.message(b.down);
    if (c.random.oneIn(3)) c.idle(c.random.range(1, 30));  // held: repeats, held buttons
    c.message(b.up);
}

void click(Context& c) {
    int x = c.randomX(), y = c.randomY();
    if (c.random.oneIn(3)) {
        x = c.width / 2 + c.random.range(-6, 6);
        y = c.height / 2 + c.random.range(-6, 6);
    } else if (!c.windows.empty() && c.random.oneIn(2)) {
        const zwindows::Rect r = zwindows::nodeRect(c.windows[static_cast<size_t>(c.random.below(int(c.windows.size())))]);
        if (r.width > 0 && r.height > 0) {
            x = r.x + c.random.below(r.width);
            y = r.y + c.random.below(r.height);
        }
    }
    clickAt(c, x, y, randomButton(c.random));
    if (c.random.oneIn(5)) clickAt(c, x, y, kLeft);  // a double click
}

void drag(Context& c, const Button& b) {
    int x = c.randomX(), y = c.randomY();
    if (&b == &kLeft && !c.windows.empty() && c.random.oneIn(2)) {
        // By a window's title bar.
        const zwindows::Rect r = zwindows::nodeRect(c.windows[static_cast<size_t>(c.random.below(int(c.windows.size())))]);
        if (r.width > 20) {
            x = r.x + c.random.range(4, r.width - 20);
            y = r.y + 6;
        }
    }
    c.pointer(x, y);
    c.message(b.down);
    for (int i = c.random.range(2, 24); i > 0; --i) {
        x += c.random.range(-25, 25);
        y += c.random.range(-25, 25);
        c.pointer(x, y);
    }
    c.message(b.up);
}

void dragLeft(Context& c) { drag(c, kLeft); }
void lookAround(Context& c) { drag(c, kRight); }  // the right button held turns the view

void turnWheel(Context& c) {
    const bool middle = c.random.oneIn(4);  // held, the wheel changes the step instead
    c.pointer(c.randomX(), c.randomY());
    if (middle) c.message(WM_MBUTTONDOWN);
    for (int i = c.random.range(1, 5); i > 0; --i) {
        const int notches = c.random.oneIn(8) ? c.random.range(-20, 20) : (c.random.oneIn(2) ? 1 : -1);
        c.message(WM_MOUSEWHEEL, static_cast<uintptr_t>(static_cast<uint16_t>(notches * 120)) << 16);
    }
    if (middle) c.message(WM_MBUTTONUP);
}

// Another program takes the focus for a while: no frames until it comes back. Buttons held when
// it went stay held on the machine, but their releases never reach us.
void loseFocus(Context& c) {
    if (c.random.oneIn(3)) c.message(WM_LBUTTONDOWN);
    c.message(WM_ACTIVATEAPP, 0);
    c.idle(c.random.range(0, 10));
    if (c.random.oneIn(4)) c.pointer(c.randomX(), c.randomY());
    c.message(WM_ACTIVATEAPP, 1);
}

// Messages a window gets that the program leaves to the default handling.
void otherMessage(Context& c) {
    constexpr uint32_t kOthers[] = {WM_NULL, WM_SIZE, WM_SETFOCUS, WM_KILLFOCUS, WM_PAINT, WM_CREATE, 0x0401, 0xC123};
    c.message(c.random.pick(kOthers), c.random.next() & 0xFFFF, static_cast<intptr_t>(c.random.next() & 0xFFFFFFFF));
}

// ---- Arguments ----------------------------------------------------------------------------------

std::string hex(uint32_t v) {
    char s[16];
    std::snprintf(s, sizeof s, "%x", v);
    return s;
}

std::string number(double v) {
    char s[40];
    std::snprintf(s, sizeof s, "%.17g", v);
    return s;
}

// Names the catalogue knows, for n(...) positions and for finding stars worth a journey.
constexpr const char* kStarNames[] = {"Sirius", "Vega", "Betelgeuse", "Polaris", "Rigel", "Deneb",
                                      "Altair", "Aldebaran", "Antares", "Procyon", "Canopus", "Arcturus"};

// An object identifier: a star, a named star, a deep-sky object, a body of the running system,
// a component of a multiple star, none, or nothing that exists.
uint32_t randomObject(Random& random) {
    switch (random.below(12)) {
        case 0:
        case 1:
        case 2: return catalog::starCount() ? static_cast<uint32_t>(random.next() % catalog::starCount()) : 0;
        case 3:
        case 4: return catalog::findByName(random.pick(kStarNames));
        case 5:
            return catalog::deepSkyCount() ? catalog::kDeepSkyBase + static_cast<uint32_t>(random.next() % catalog::deepSkyCount())
                                           : catalog::kDeepSkyBase;
        case 6:
        case 7:
            if (systems::objectCount() > 0)
                return static_cast<uint32_t>(systems::objectAt(random.below(systems::objectCount()))->id);
            return 0x2000300;
        case 8:
            return catalog::componentRecordCount()
                       ? 0x80000000u + static_cast<uint32_t>(random.next() % catalog::componentRecordCount())
                       : 0x80000000u;
        case 9: return 0xFFFFFFFFu;
        default: return static_cast<uint32_t>(random.next());
    }
}

std::string hexArgument(Random& random) {
    switch (random.below(14)) {
        case 0: return "";
        case 1: return "-1";
        case 2: return "0x" + hex(randomObject(random));
        case 3: return "zz";
        case 4: return "123456789abcdef0";  // more than 32 bits
        case 5: return hex(static_cast<uint32_t>(random.range(0, 9)));  // modes, masks
        default: return hex(randomObject(random));
    }
}

double randomValue(Random& random) {
    switch (random.below(12)) {
        case 0: return 0.0;
        case 1: return -0.0;
        case 2: return random.real(-1e300, 1e300);
        case 3: return random.oneIn(2) ? 1e308 : -1e308;
        case 4: return random.real(0, 1) * 1e-300;
        case 5: return random.real(-1e6, 1e6);
        case 6: return random.real(0, 30);  // magnitudes
        default: return random.real(-10, 10);
    }
}

std::string realArgument(Random& random) {
    constexpr const char* kOdd[] = {"", "nan", "inf", "-inf", "1e999", "-1e999", "abc", "1e", "--1", "0x1p3",
                                    "4.9e-324", "1.5.5", "+", "."};
    if (random.oneIn(6)) return random.pick(kOdd);
    return number(randomValue(random));
}

std::string positionArgument(Random& random) {
    switch (random.below(10)) {
        case 0:
        case 1:
        case 2: {
            const double scale = random.oneIn(4) ? 1e5 : 100;
            return "p(" + number(random.real(-scale, scale)) + "," + number(random.real(-scale, scale)) + "," +
                   number(random.real(-scale, scale)) + ")";
        }
        case 3: return "p(" + realArgument(random) + "," + realArgument(random) + "," + realArgument(random) + ")";
        case 4:
        case 5: return "o(" + hex(randomObject(random)) + ")";
        case 6: return std::string("n(") + random.pick(kStarNames) + ")";
        case 7: return "n(" + std::string(static_cast<size_t>(random.range(0, 80)), 'q') + ")";
        default: {
            constexpr const char* kBroken[] = {"p(1,2)", "p(", "o()", "n()", "q(1,2,3)", "p(1,2,3", "o(f8fc",
                                               "p)1,2,3(", "", "p(1e400,0,0)", "n(Sirius"};
            return random.pick(kBroken);
        }
    }
}

// The marker files of the soak's folder, and names that are not marker files.
std::string fileArgument(Random& random) {
    char list[markers::kListBytes];
    markers::markerList(list, sizeof list);
    std::vector<std::string> names;
    for (const char* p = list; *p;) {
        const char* end = std::strchr(p, ' ');
        if (!end) break;
        names.emplace_back(p, end);
        p = end + 1;
    }
    switch (random.below(10)) {
        case 0: return "nosuch.map";
        case 1: return std::string(300, 'm') + ".map";
        case 2: return "../data/vyrex2.vfs";  // a pack read as a marker file
        case 3: return "../vyrex.log";        // the log, growing as it is read
        case 4: return "..";
        default: return names.empty() ? "orion-family.map" : names[static_cast<size_t>(random.below(int(names.size())))];
    }
}

std::string colourField(Random& random) {
    constexpr const char* kColours[] = {"rgb(ff0000)", "rgb(00ff00)", "rg(ff)", "rxb(ff)", "rgb()", "rgb(zz)",
                                        "rgb(ffffffffff)", "r", "(ff)"};
    return random.pick(kColours);
}

std::string markerDefinition(Random& random) {
    const std::string a = positionArgument(random), b = positionArgument(random);
    std::string d;
    switch (random.below(6)) {
        case 0: d = "line{" + a + ";" + b + ";" + colourField(random) + "}"; break;
        case 1: d = "arrow{" + a + ";" + b + ";" + colourField(random) + "}"; break;
        case 2: {
            const std::string text = random.oneIn(6) ? std::string(200, 'T') : "label " + std::to_string(random.below(100));
            d = "text{" + a + ";" + colourField(random) + ";\"" + text + "\"}";
            break;
        }
        case 3: d = std::string("mark{") + a + ";" + colourField(random) + ";" + (random.oneIn(2) ? "f" : "c") + "}"; break;
        case 4: d = "//" + a; break;
        default: d = std::string(1, static_cast<char>(random.range(33, 126))) + "{" + a + ";" + b + "}"; break;
    }
    return d;
}

std::string commandLine(Context& c, bool forMacro);

// A key character and a macro text of a few commands. The bound key is kept for the run.
std::string bindingArgument(Context& c, char& key) {
    key = static_cast<char>(c.random.oneIn(4) ? c.random.range(33, 126)
                                              : (c.random.oneIn(2) ? c.random.range('a', 'z') : c.random.range('0', '9')));
    std::string text;
    for (int i = c.random.range(1, 4); i > 0; --i) {
        if (!text.empty()) text += c.random.oneIn(6) ? ";;" : ";";
        // A macro that rebinds or unbinds itself while it runs.
        if (c.random.oneIn(12)) text += std::string(c.random.oneIn(2) ? "macros unbind " : "macros bind ") + key + " show ver";
        else text += commandLine(c, true);
    }
    if (c.random.oneIn(6)) text += ";";
    return std::string(1, key) + " " + text;
}

std::string argument(Context& c, console::Kind kind) {
    using console::Kind;
    char key = 0;
    switch (kind) {
        case Kind::kNone: return c.random.oneIn(10) ? "extra words" : "";
        case Kind::kHex: return hexArgument(c.random);
        case Kind::kReal: return realArgument(c.random);
        case Kind::kPosition: return positionArgument(c.random);
        case Kind::kFileName: return fileArgument(c.random);
        case Kind::kDefinition: return markerDefinition(c.random);
        case Kind::kBinding: return bindingArgument(c, key);
        case Kind::kKey:
            return std::string(1, static_cast<char>(c.random.oneIn(5) ? c.random.range(1, 255) : c.random.range(33, 126)));
        case Kind::kError: return "";
    }
    return "";
}

// Damage of a line as a hand typing fast does it, and worse.
std::string malformed(Random& random, std::string line) {
    switch (random.below(7)) {
        case 0:
            if (!line.empty()) line.erase(static_cast<size_t>(random.below(int(line.size()))), 1);
            break;
        case 1:
            line.insert(static_cast<size_t>(random.below(int(line.size()) + 1)), 1,
                        static_cast<char>(random.range(1, 255)));
            break;
        case 2: line = line.substr(0, static_cast<size_t>(random.below(int(line.size()) + 1))); break;
        case 3: line += " " + std::string(static_cast<size_t>(random.range(100, 300)), 'x'); break;
        case 4: line = std::string(static_cast<size_t>(random.range(1, 4)), ' ') + line + "\t"; break;
        case 5: line = std::string(static_cast<size_t>(random.range(127, 200)), 'w'); break;  // one word, too long
        default: line += " " + line; break;
    }
    return line;
}

// A line from the console's command table: a word, one of its sub-words, an argument of the
// sub-word's kind; now and then damaged, unknown or empty. The words that end a session are
// left to the quit action. Macro texts take no line that binds another macro (its ';' would
// split it) and no newline.
std::string commandLine(Context& c, bool forMacro) {
    if (c.random.oneIn(30)) return c.random.oneIn(2) ? "" : "nosuchword at all";
    // Every sub-word is as likely as every other, so that a word of many sub-words ("camera")
    // gets no fewer lines per sub-word than a word of two.
    const int words = console::commandWordCount();
    int lines = 0;
    for (int i = 0; i < words; ++i) {
        const console::CommandWord* w = console::commandWordAt(i);
        if (!quitWord(w->word)) lines += w->subs ? static_cast<int>(w->subCount) : 1;
    }
    int pick = c.random.below(lines);
    const console::CommandWord* w = nullptr;
    const console::SubWord* s = nullptr;
    for (int i = 0; i < words && !w; ++i) {
        const console::CommandWord* candidate = console::commandWordAt(i);
        if (quitWord(candidate->word)) continue;
        const int n = candidate->subs ? static_cast<int>(candidate->subCount) : 1;
        if (pick < n) {
            w = candidate;
            if (w->subs) s = &w->subs[pick];
        }
        pick -= n;
    }
    // A macro's text is split at ';': a binding inside it would be cut in two.
    if (forMacro && s && s->kind == console::Kind::kBinding) return "show pos";
    std::string line = w->word;
    if (s && !c.random.oneIn(40)) {
        c.coverage.subWords.insert(line + " " + s->word);
        line += " ";
        line += s->word;
        const std::string a = argument(c, s->kind);
        if (!a.empty()) line += " " + a;
    } else if (!s) {
        c.coverage.subWords.insert(line);
    }
    if (c.random.oneIn(8)) line = malformed(c.random, line);
    if (forMacro) {
        for (char& ch : line)
            if (ch == ';') ch = ',';
    }
    return line;
}

// The console takes the keyboard with F12 unless it has it already.
void openConsole() {
    if (!input::consoleHasKeyboard) {
        headless::pushMessage(WM_KEYDOWN, VK_F12, 1);
        headless::pushMessage(WM_KEYUP, VK_F12, static_cast<intptr_t>(0xC0000001u));
    }
}

void typeLine(Context& c, const std::string& line) {
    c.call(openConsole);
    std::string typed = line;
    // Mistakes corrected with Backspace on the way.
    if (c.random.oneIn(5) && !typed.empty()) {
        const size_t at = static_cast<size_t>(c.random.below(int(typed.size())));
        typed.insert(at, std::string("zq") + '\b' + '\b');
    }
    c.type(typed);
    c.type("\r");
    if (!c.random.oneIn(6)) c.press(VK_F12);  // now and then the console stays open
}

void typeConsoleLine(Context& c) {
    const std::string line = commandLine(c, false);
    c.note("typed: " + line);
    typeLine(c, line);
}

// Whole lines, as a plug-in or a panel hands them to the interpreter: no console, no length
// limit of the input line.
void submitConsoleLine(Context& c) {
    const std::string line = commandLine(c, false);
    c.note("submitted: " + line);
    c.call([line] { console::consoleExecute(line.c_str()); });
}

void bindAndRunMacro(Context& c) {
    char key = 0;
    const std::string binding = bindingArgument(c, key);
    c.note("bound: " + binding);
    c.call([binding] { console::consoleExecute(("macros bind " + binding).c_str()); });
    // Ctrl and the key's virtual-key code: the letter's upper-case code, a digit's own.
    int vk = static_cast<unsigned char>(key);
    if (key >= 'a' && key <= 'z') vk = key - 'a' + 'A';
    for (int i = c.random.range(1, 3); i > 0; --i) {
        c.keyDown(VK_CONTROL);
        c.press(vk);
        c.keyUp(VK_CONTROL);
        c.idle(c.random.below(4));
    }
}

// ---- Journeys, modes, cameras -------------------------------------------------------------------

void journey(Context& c) {
    const uint32_t target = c.random.oneIn(2) ? catalog::findByName(c.random.pick(kStarNames)) : randomObject(c.random);
    if (c.random.oneIn(3)) {
        const std::string speed = "camera speed " + number(c.random.oneIn(4) ? c.random.real(0, 1e4) : c.random.real(0.01, 20));
        c.call([speed] { console::consoleExecute(speed.c_str()); });
    }
    const std::string lock = "camera lock " + hex(target);
    c.note(lock);
    c.call([lock] { console::consoleExecute(lock.c_str()); });
    if (c.random.oneIn(3)) c.call([lock] { console::consoleExecute(("camera lookAt" + lock.substr(11)).c_str()); });
    c.press(VK_SPACE);
    c.idle(c.random.range(0, 300));
    switch (c.random.below(4)) {
        case 0: c.call([] { console::consoleExecute("camera stop"); }); break;
        case 1: c.press('2'); break;  // into the system of the star reached
        default: break;
    }
}

void switchMode(Context& c) {
    if (c.random.oneIn(4)) {
        const std::string line = "camera mode " + hex(static_cast<uint32_t>(c.random.oneIn(5) ? c.random.next() : c.random.range(0, 3)));
        c.call([line] { console::consoleExecute(line.c_str()); });
    } else {
        constexpr int kModeKeys[] = {'1', '2', '3'};
        c.press(c.random.pick(kModeKeys));
    }
    c.idle(c.random.range(0, 20));
}

void saveOrLoadCamera(Context& c) {
    const int modifier = c.random.oneIn(2) ? VK_CONTROL : VK_SHIFT;
    if (c.random.oneIn(3)) {
        constexpr const char* kWords[] = {"camera save", "camera load", "camera 1", "camera 5", "camera 8"};
        const char* line = c.random.pick(kWords);
        c.call([line] { console::consoleExecute(line); });
        return;
    }
    c.keyDown(modifier);
    c.press(c.random.pick(kFunctionKeys));
    c.keyUp(modifier);
}

// ---- Windows --------------------------------------------------------------------------------------

int32_t windowProc(zode::Message* m) {
    (void)m;
    return 1;
}

constexpr const char* kWindowClass = "ZSOAK";
constexpr int kMaxStreamWindows = 12;

zwindows::Node makeWindow(Context& c, const char* caption, int width, int height) {
    using namespace zwindows;
    const int x = c.random.range(-20, c.width - 40), y = c.random.range(-10, c.height - 30);
    return createNode(kNoNode, kWindowClass, caption, x, y, width, height, kTitleBar | kFramed | kFilled | kVisible);
}

// A window of every widget, laid out as a panel lays out its widgets.
void openWidgetWindow(Context& c) {
    using namespace zwindows;
    const Node w = makeWindow(c, "Every widget", 300, 240);
    if (w == kNoNode) return;
    c.windows.push_back(w);
    createNode(w, "BUTTON", "Load", 4, 4, 48, 16, kVisible | kFilled);
    createNode(w, "CHECK", "Show stars", 60, 6, 90, 12, kVisible | kFilled);
    const Node group = createNode(w, "GROUP", "Stars", 4, 24, 140, 34, kVisible);
    const Node content = createNode(group, kWindowClass, "", 4, 10, 130, 20, kVisible);
    createNode(content, "EDIT", "mag:", 0, 4, 120, 12, kVisible | kFilled);
    const Node list = createNode(w, "LIST", "", 4, 62, 140, 60, kVisible | kFilled);
    for (int i = c.random.range(0, 40); i > 0; --i)
        zode::send(nodeHandler(list), kListAdd, -1, reinterpret_cast<intptr_t>("item"), i);
    const Node scroll = createNode(w, "SCROLL", "", 150, 4, 12, 120, kVisible | kFilled);
    zode::send(nodeHandler(scroll), kScrollSetRange, c.random.range(-100, 0), c.random.range(0, 1000), c.random.range(1, 50),
               c.random.range(-200, 1200));
}

// The viewer with a page found by reference: a help topic, a catalogue note, a file of the packs
// or nothing at all.
void openViewer(Context& c) {
    using namespace zwindows;
    const Node w = makeWindow(c, "Help", c.random.range(60, 320), c.random.range(40, 300));
    if (w == kNoNode) return;
    c.windows.push_back(w);
    const zwindows::Rect client = clientRect(w);
    const Node html = createNode(w, "HTML", "", 2, 2, client.width - 4, client.height - 4, kVisible | kFilled);
    constexpr const char* kFiles[] = {"help.html", "stellar.note", "intro.bmp", "default.lft", "nosuch.html", ""};
    std::string reference;
    switch (c.random.below(4)) {
        case 0: reference = "?" + hex(static_cast<uint32_t>(c.random.range(0, 0x2000))); break;
        case 1: reference = "@" + hex(randomObject(c.random)); break;
        case 2: reference = c.random.pick(kFiles); break;
        default: reference = "@" + hex(catalog::findByName(c.random.pick(kStarNames))); break;
    }
    zode::send(nodeHandler(html), kHtmlOpen, reinterpret_cast<intptr_t>(reference.c_str()));
}

// In help-pick mode the next click on a window gives its topic to the help handler.
void startHelpPick(Context&) { zwindows::startHelpPick(); }

// The windows the stream opens, one line each.
struct WindowKind {
    const char* name;
    void (*open)(Context&);
};
const WindowKind kWindows[] = {
    {"every widget", openWidgetWindow},
    {"help viewer", openViewer},
    {"help pick", startHelpPick},
};

void openWindow(Context& c) {
    const WindowKind& kind = c.random.pick(kWindows);
    if (c.windows.size() >= static_cast<size_t>(kMaxStreamWindows)) {
        c.call([&c] {
            zwindows::destroyNode(c.windows.front());
            c.windows.erase(c.windows.begin());
        });
    }
    c.call([&c, &kind] { kind.open(c); });
    c.idle(c.random.range(0, 5));
}

// Closed by its close box, hidden, shown again, moved, or destroyed as a panel destroys its own.
void closeWindow(Context& c) {
    if (c.windows.empty()) {
        c.idle(1);
        return;
    }
    const size_t index = static_cast<size_t>(c.random.below(int(c.windows.size())));
    switch (c.random.below(5)) {
        case 0:
        case 1: {
            const zwindows::Rect r = zwindows::nodeRect(c.windows[index]);
            clickAt(c, r.x + r.width - 8, r.y + 7, kLeft);
            break;
        }
        case 2: c.call([&c, index] { if (index < c.windows.size()) zwindows::showNode(c.windows[index]); }); break;
        case 3:
            c.call([&c, index] {
                if (index < c.windows.size()) zwindows::moveNode(c.windows[index], c.randomX(), c.randomY());
            });
            break;
        default:
            c.call([&c, index] {
                if (index >= c.windows.size()) return;
                zwindows::destroyNode(c.windows[index]);
                c.windows.erase(c.windows.begin() + static_cast<long>(index));
            });
            break;
    }
}

// ---- Ending a session -----------------------------------------------------------------------------

void quit(Context& c) {
    switch (c.random.below(3)) {
        case 0: c.press(c.random.pick(kQuitKeys)); break;
        case 1: {
            const std::string line = c.random.pick(kQuitWords);
            c.call([line] { console::consoleExecute(line.c_str()); });
            break;
        }
        default: c.message(WM_CLOSE); break;
    }
    c.idle(3);
}

const Action kActions[] = {
    {"key", 300, pressKey, false},
    {"key with Shift or Ctrl", 70, pressKeyWithModifier, false},
    {"characters", 40, typeCharacters, false},
    {"pointer moves", 100, movePointer, false},
    {"click", 90, click, false},
    {"drag", 35, dragLeft, false},
    {"look around", 30, lookAround, false},
    {"wheel", 60, turnWheel, false},
    {"focus lost and back", 8, loseFocus, false},
    {"other window message", 15, otherMessage, false},
    {"console line typed", 60, typeConsoleLine, false},
    {"console line submitted", 200, submitConsoleLine, false},
    {"macro bound and run", 25, bindAndRunMacro, false},
    {"journey", 20, journey, false},
    {"mode switch", 25, switchMode, false},
    {"camera saved or loaded", 15, saveOrLoadCamera, false},
    {"window opened", 15, openWindow, false},
    {"window closed or moved", 20, closeWindow, false},
    {"quit and start again", 1, quit, true},
};

}  // namespace

const Action* actions(int& count) {
    count = static_cast<int>(std::size(kActions));
    return kActions;
}

std::vector<int> streamKeys() {
    int count = 0;
    const input::KeyAction* keys = input::keyTable(count);
    std::vector<int> out;
    for (int i = 0; i < count; ++i)
        if (!quitKey(keys[i].vk)) out.push_back(keys[i].vk);
    for (int vk : kFunctionKeys) out.push_back(vk);
    return out;
}

std::vector<std::string> tableSubWords() {
    std::vector<std::string> out;
    for (int i = 0; i < console::commandWordCount(); ++i) {
        const console::CommandWord* w = console::commandWordAt(i);
        if (quitWord(w->word)) continue;
        if (!w->subs) out.emplace_back(w->word);
        for (size_t s = 0; w->subs && s < w->subCount; ++s) out.push_back(std::string(w->word) + " " + w->subs[s].word);
    }
    return out;
}

void registerWindowClass() {
    const zode::Request request{0, reinterpret_cast<const void*>(&windowProc), zode::kDirect, nullptr};
    zwindows::registerClass(kWindowClass, request);
}

}  // namespace soak
