// The command interpreter: plug-in commands, then the fixed table of command words, sub-words
// and their arguments, and the console's reports.
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "base/app.h"
#include "base/timer.h"
#include "base/zode.h"
#include "catalog/catalog.h"
#include "console/commands.h"
#include "console/console.h"
#include "console/macros.h"
#include "navigation/camera.h"
#include "render/render.h"
#include "systems/bodies.h"
#include "systems/system.h"

namespace console {

namespace {

// Words are compared through these buffers: a longer word is rejected with the error line.
constexpr size_t kWordBytes = 128;    // command words and sub-words
constexpr size_t kNumberBytes = 64;   // numeric argument words
constexpr double kKmPerAu = 149600000.0;
constexpr double kPi = 3.14159265358979323846;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

const char* skipBlanks(const char* s) {
    while (isBlank(*s)) ++s;
    return s;
}

// The word at `s` (after blanks): its start and length; `s` moves past it.
struct Word {
    const char* start = nullptr;
    size_t length = 0;
    bool is(const char* text) const { return std::strlen(text) == length && std::memcmp(start, text, length) == 0; }
};

Word nextWord(const char*& s) {
    s = skipBlanks(s);
    Word w{s, 0};
    while (s[w.length] && !isBlank(s[w.length])) ++w.length;
    s += w.length;
    return w;
}

const CameraRecord& cam() { return *camera::activeCamera(); }

// ---- camera -----------------------------------------------------------------------------------

void cameraSelect(int n) { camera::selectCamera(n); }
template <int N>
void selectN(const Argument&) {
    cameraSelect(N - 1);
}

void cameraLock(const Argument& a) { camera::lockObject(static_cast<int32_t>(a.hex)); }
void cameraVlock(const Argument& a) {
    camera::setViewLock(static_cast<int32_t>(a.hex));
    camera::markLockChanged();
}
void cameraStart(const Argument&) { camera::startJourney(cam().lock); }
void cameraStop(const Argument&) { camera::stopJourney(); }
void cameraLookAt(const Argument& a) { camera::lookAt(static_cast<int32_t>(a.hex)); }
template <camera::Setting S>
void setReal(const Argument& a) {
    camera::set(S, a.real);
}
void cameraBack(const Argument&) { camera::rotate(kPi, 0, kPi); }
// As given, without the checks of setMode: the console is where a developer forces a mode.
void cameraMode(const Argument& a) { camera::forceMode(static_cast<int32_t>(a.hex)); }
void cameraLoad(const Argument&) { camera::loadCamera(camera::activeCameraIndex()); }
void cameraSave(const Argument&) { camera::saveCamera(camera::activeCameraIndex()); }
void cameraIpos(const Argument& a) { camera::setIPos(a.position.x, a.position.y, a.position.z); }
void cameraSpos(const Argument& a) { camera::setSPos(a.position.x, a.position.y, a.position.z); }

const SubWord kCamera[] = {
    {"1", Kind::kNone, selectN<1>},        {"2", Kind::kNone, selectN<2>},
    {"3", Kind::kNone, selectN<3>},        {"4", Kind::kNone, selectN<4>},
    {"5", Kind::kNone, selectN<5>},        {"6", Kind::kNone, selectN<6>},
    {"7", Kind::kNone, selectN<7>},        {"8", Kind::kNone, selectN<8>},
    {"lock", Kind::kHex, cameraLock},      {"vlock", Kind::kHex, cameraVlock},
    {"start", Kind::kNone, cameraStart},   {"stop", Kind::kNone, cameraStop},
    {"lookAt", Kind::kHex, cameraLookAt},
    {"zoom", Kind::kReal, setReal<camera::Setting::kZoom>},
    {"speed", Kind::kReal, setReal<camera::Setting::kSpeed>},
    {"sspeed", Kind::kReal, setReal<camera::Setting::kSystemSpeed>},
    {"back", Kind::kNone, cameraBack},     {"mode", Kind::kHex, cameraMode},
    {"vradius", Kind::kReal, setReal<camera::Setting::kViewRadius>},
    {"zclip", Kind::kReal, setReal<camera::Setting::kZclip>},
    {"load", Kind::kNone, cameraLoad},     {"save", Kind::kNone, cameraSave},
    {"tree", Kind::kReal, setReal<camera::Setting::kTree>},
    {"Ipos", Kind::kPosition, cameraIpos},
    {"Spos", Kind::kPosition, cameraSpos},
};

// ---- stars, deepsky, galaxy, labels -----------------------------------------------------------

// The sky's switches raise the change with the rebuild their bit needs.
template <uint32_t Bit, bool On>
void switchFlag(const Argument&) {
    camera::setFlag(Bit, On);
}
// The star-system switches change only the camera's flags.
template <uint32_t Bit, bool On>
void switchQuietly(const Argument&) {
    camera::setFlagQuietly(Bit, On);
}

const SubWord kStars[] = {
    {"on", Kind::kNone, switchFlag<camera::kFlagStars, true>},
    {"off", Kind::kNone, switchFlag<camera::kFlagStars, false>},
    {"magLimit", Kind::kReal, setReal<camera::Setting::kStarMagLimit>},
};

void deepSkyTypes(const Argument& a) { camera::setDeepSkyTypes(a.hex); }
void deepSkyAll(const Argument&) { camera::setDeepSkyTypes(camera::kAllDeepSkyTypes); }
const SubWord kDeepSky[] = {
    {"on", Kind::kNone, switchFlag<camera::kFlagDeepSky, true>},
    {"off", Kind::kNone, switchFlag<camera::kFlagDeepSky, false>},
    {"flags", Kind::kHex, deepSkyTypes},
    {"all", Kind::kNone, deepSkyAll},
    {"magLimit", Kind::kReal, setReal<camera::Setting::kDeepSkyMagLimit>},
    {"simple", Kind::kNone, switchFlag<camera::kFlagDeepSkyTexture, false>},
    {"texture", Kind::kNone, switchFlag<camera::kFlagDeepSkyTexture, true>},
};

const SubWord kGalaxy[] = {
    {"on", Kind::kNone, switchFlag<camera::kFlagGalaxy, true>},
    {"off", Kind::kNone, switchFlag<camera::kFlagGalaxy, false>},
    {"simple", Kind::kNone, switchFlag<camera::kFlagGalaxyTexture, false>},
    {"texture", Kind::kNone, switchFlag<camera::kFlagGalaxyTexture, true>},
};

const SubWord kLabels[] = {
    {"on", Kind::kNone, switchFlag<camera::kFlagLabels, true>},
    {"off", Kind::kNone, switchFlag<camera::kFlagLabels, false>},
    {"magLimit", Kind::kReal, setReal<camera::Setting::kLabelMagLimit>},
};

// ---- ssys -------------------------------------------------------------------------------------

// "time" steps the star-system clock by the days given (negative goes back).
void systemTime(const Argument& a) {
    systems::advance(a.real);
    camera::settingsChanged(0);
}

const SubWord kSystem[] = {
    {"on", Kind::kNone, switchQuietly<camera::kFlagOrbits, true>},
    {"off", Kind::kNone, switchQuietly<camera::kFlagOrbits, false>},
    {"simple", Kind::kNone, switchQuietly<camera::kFlagBodyTexture, false>},
    {"texture", Kind::kNone, switchQuietly<camera::kFlagBodyTexture, true>},
    {"time", Kind::kReal, systemTime},
    {"timeStep", Kind::kReal, setReal<camera::Setting::kTimeStep>},
};

// ---- plugin -----------------------------------------------------------------------------------

void pluginAll(const Argument&) { consolePrint("\nPlugin(s) List:\n"); }
void pluginConsole(const Argument&) {
    consolePrint("\nConsole plugin(s):\n");
    for (int i = 0; i < commandCount(); ++i)
        if (commandName(i)[0]) consolePrint("%s\n", commandName(i));
}
const SubWord kPlugin[] = {
    {"all", Kind::kNone, pluginAll},
    {"con", Kind::kNone, pluginConsole},
    {"audience", Kind::kError, nullptr},
    {"listeners", Kind::kError, nullptr},
};

// ---- macros -----------------------------------------------------------------------------------

void macrosBind(const Argument& a) { defineMacro(a.key, a.text); }
void macrosUnbind(const Argument& a) { deleteMacro(a.key); }
void macrosLoad(const Argument&) { reloadMacros(); }
void macrosSave(const Argument&) { saveMacros(); }
void macrosList(const Argument&) {
    consolePrint("\nMacros List:");
    for (int key = 0; key < kMacroSlots; ++key) {
        const char* text = macroText(key);
        if (!text) continue;
        // A macro text can be longer than one formatted print holds; it is written whole.
        consolePrint("\nCtrl + '%c'=", key);
        consoleWrite(text, std::strlen(text));
    }
}
const SubWord kMacros[] = {
    {"bind", Kind::kBinding, macrosBind},  {"unbind", Kind::kKey, macrosUnbind},
    {"load", Kind::kNone, macrosLoad},     {"save", Kind::kNone, macrosSave},
    {"list", Kind::kNone, macrosList},
};

// ---- show -------------------------------------------------------------------------------------

void showVersion(const Argument&) { consolePrint("\nVyrex, Version 2.00 [Build 18]"); }

void showFps(const Argument&) {
    double current = 0, lowest = 0, highest = 0, average = 0;
    timer::timerStatistics(current, lowest, highest, average);
    consolePrint("\nFPS: %4.2lf", current);
    consolePrint(" (min=%4.2lf max=%4.2lf avg=%4.2lf)", lowest, highest, average);
}

void showRenderStatus(const Argument&) {
    const render::ListCounts n = render::listCounts();
    consolePrint("\nRender status:");
    consolePrint("\nstarList:%d,", n.stars);
    consolePrint(" lineList:%d,", n.lines);
    consolePrint(" textList:%d ", n.texts);
    consolePrint("\ndsmList:%d,", n.deepSky);
    consolePrint(" spotList:%d,", n.spots);
    consolePrint(" neb3dList:%d ", n.nebulaPoints);
    consolePrint("\nbodyList:%d", systems::bodyListCount());
    consolePrint(" [%d|%d|%d]", camera::rebuildSky, camera::lockChanged, camera::systemReload);
    consolePrint("\nSkyList:%d,", n.sky);
    consolePrint(" rList:%d", n.local);
}

void showRunTime(const Argument&) {
    const double elapsed = timer::secondsSinceProgramStart();
    const int seconds = elapsed > 0.0 ? static_cast<int>(elapsed) : 0;
    consolePrint("\nSection run time:%ds (%dh)", seconds, seconds / 3600);
}

void showPosition(const Argument&) {
    const CameraRecord& c = cam();
    consolePrint("\nIPos: (%lf,%lf,%lf) Ly", c.IPos.x, c.IPos.y, c.IPos.z);
    consolePrint("\nSPos: (%lf,%lf,%lf) AU", c.SPos.x / kKmPerAu, c.SPos.y / kKmPerAu, c.SPos.z / kKmPerAu);
    consolePrint("\nCam = | %lf %lf %lf |", c.Cam.m[0][0], c.Cam.m[0][1], c.Cam.m[0][2]);
    consolePrint("\n      | %lf %lf %lf |", c.Cam.m[1][0], c.Cam.m[1][1], c.Cam.m[1][2]);
    consolePrint("\n      | %lf %lf %lf |", c.Cam.m[2][0], c.Cam.m[2][1], c.Cam.m[2][2]);
    consolePrint("\nLock:%08X vLock:%08X central:%08X", static_cast<uint32_t>(c.lock),
                 static_cast<uint32_t>(c.vLock), static_cast<uint32_t>(c.central));
}

const SubWord kShow[] = {
    {"ver", Kind::kNone, showVersion},       {"fps", Kind::kNone, showFps},
    {"rstat", Kind::kNone, showRenderStatus}, {"cputime", Kind::kNone, showRunTime},
    {"pos", Kind::kNone, showPosition},
};

void nothing(const Argument&) {}
const SubWord kSet[] = {{"x", Kind::kNone, nothing}};

// ---- words without sub-words ------------------------------------------------------------------

void exitProgram() { app::quit = 1; }
void help() {}

// The console's own words; the "marker" words are added by the markers.
const CommandWord kCommands[] = {
    {"exit", nullptr, 0, exitProgram},
    {"help", nullptr, 0, help},
    withSubs("camera", kCamera),
    withSubs("stars", kStars),
    withSubs("deepsky", kDeepSky),
    withSubs("galaxy", kGalaxy),
    withSubs("ssys", kSystem),
    withSubs("labels", kLabels),
    withSubs("plugin", kPlugin),
    withSubs("macros", kMacros),
    withSubs("show", kShow),
    withSubs("set", kSet),
};

// ---- arguments --------------------------------------------------------------------------------

// "%x": an optional sign, an optional "0x", hexadecimal digits. Stops at the first other
// character; no digits reads as 0. A number that does not fit in 32 bits is refused.
bool readHex(const Word& w, uint32_t& out) {
    size_t i = 0;
    bool negative = false;
    if (i < w.length && (w.start[i] == '+' || w.start[i] == '-')) negative = w.start[i++] == '-';
    if (i + 2 < w.length && w.start[i] == '0' && (w.start[i + 1] | 0x20) == 'x' &&
        std::isxdigit(static_cast<unsigned char>(w.start[i + 2])))
        i += 2;
    uint64_t value = 0;
    for (; i < w.length && std::isxdigit(static_cast<unsigned char>(w.start[i])); ++i) {
        const char c = w.start[i];
        const int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        value = value * 16 + static_cast<uint64_t>(digit);
        if (value > 0xFFFFFFFFull) return false;
    }
    out = static_cast<uint32_t>(negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value));
    return true;
}

// "%lf": 0.0 when unreadable. Infinities and NaN are refused: no camera field can hold them.
bool readReal(const Word& w, double& out) {
    char text[kNumberBytes];
    std::memcpy(text, w.start, w.length);
    text[w.length] = '\0';
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end == text) {
        out = 0.0;
        return true;
    }
    if (!std::isfinite(value)) return false;
    out = value;
    return true;
}

enum class Read { kRun, kSkip, kError };

// Reads the argument of `kind` from `rest` (the text after the sub-word).
Read readArgument(Kind kind, const char* rest, Argument& a) {
    switch (kind) {
        case Kind::kNone: return Read::kRun;
        case Kind::kError: return Read::kError;
        case Kind::kHex: {
            const Word w = nextWord(rest);
            if (w.length >= kNumberBytes) return Read::kError;
            return readHex(w, a.hex) ? Read::kRun : Read::kError;
        }
        case Kind::kReal: {
            const Word w = nextWord(rest);
            if (w.length >= kNumberBytes) return Read::kError;
            return readReal(w, a.real) ? Read::kRun : Read::kError;
        }
        case Kind::kPosition:
            return catalog::readPosition(skipBlanks(rest), a.position) ? Read::kRun : Read::kSkip;
        case Kind::kFileName: {
            const Word w = nextWord(rest);
            if (w.length == 0) return Read::kSkip;
            if (w.length >= kNameBytes) return Read::kError;
            std::memcpy(a.name, w.start, w.length);
            a.name[w.length] = '\0';
            return Read::kRun;
        }
        case Kind::kDefinition:
            a.text = *rest ? rest + 1 : rest;
            return Read::kRun;
        case Kind::kBinding:
        case Kind::kKey: {
            const char* p = skipBlanks(rest);
            if (*p < '!' || *p > '~') return Read::kSkip;
            a.key = *p;
            // The text starts at the second character after the key; a key that ends the line
            // binds an empty text.
            if (kind == Kind::kBinding) a.text = p[1] ? p + 2 : p + 1;
            return Read::kRun;
        }
    }
    return Read::kError;
}

void errorLine(const char* line) {
    // The line may be longer than one formatted print holds; it is written whole.
    consolePrint("\n");
    consoleWrite(line, std::strlen(line));
    consolePrint(" ?");
}

const CommandWord* added[kMaxAddedWords];
int addedCount = 0;

const CommandWord* findCommand(const Word& w) {
    for (const CommandWord& c : kCommands)
        if (w.is(c.word)) return &c;
    for (int i = 0; i < addedCount; ++i)
        if (w.is(added[i]->word)) return added[i];
    return nullptr;
}

const SubWord* findSubWord(const CommandWord& c, const Word& w) {
    for (size_t i = 0; i < c.subCount; ++i) {
        const SubWord& s = c.subs[i];
        if (w.is(s.word)) return &s;
    }
    return nullptr;
}

}  // namespace

int addCommandWord(const CommandWord* word) {
    if (!word || !word->word || addedCount >= kMaxAddedWords) return 0;
    const char* s = word->word;
    const Word name = nextWord(s);
    if (name.length == 0 || findCommand(name)) return 0;
    added[addedCount++] = word;
    return 1;
}

void removeCommandWord(const CommandWord* word) {
    for (int i = 0; i < addedCount; ++i) {
        if (added[i] != word) continue;
        for (int k = i + 1; k < addedCount; ++k) added[k - 1] = added[k];
        added[--addedCount] = nullptr;
        return;
    }
}

int commandWordCount() { return static_cast<int>(std::size(kCommands)) + addedCount; }

const CommandWord* commandWordAt(int index) {
    const int own = static_cast<int>(std::size(kCommands));
    if (index < 0 || index >= own + addedCount) return nullptr;
    return index < own ? &kCommands[index] : added[index - own];
}

void consoleExecute(const char* line) {
    if (!line) return;
    const char* s = line;
    const Word first = nextWord(s);
    if (first.length == 0) return;
    if (first.length >= kWordBytes) {
        errorLine(line);
        return;
    }
    // Plug-in commands come first, in table order, so the first registration of a name wins.
    for (int i = 0; i < commandCount(); ++i) {
        if (commandName(i)[0] && first.is(commandName(i))) {
            zode::send(commandObject(i), kCommandMessage, i, reinterpret_cast<intptr_t>(s));
            return;
        }
    }
    const CommandWord* command = findCommand(first);
    if (!command) {
        errorLine(line);
        return;
    }
    if (!command->subs) {
        command->run();
        return;
    }
    const Word second = nextWord(s);
    const SubWord* sub = second.length && second.length < kWordBytes ? findSubWord(*command, second) : nullptr;
    if (!sub) {
        errorLine(line);
        return;
    }
    Argument argument;
    switch (readArgument(sub->kind, s, argument)) {
        case Read::kRun: sub->run(argument); break;
        case Read::kSkip: break;
        case Read::kError: errorLine(line); break;
    }
}

}  // namespace console
