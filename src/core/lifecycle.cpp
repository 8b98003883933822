// Process entry, command line, start-up and shutdown sequences, main loop and fatal exit.
#include "core/lifecycle.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "catalog/catalog.h"
#include "console/console.h"
#include "console/macros.h"
#include "core/app.h"
#include "core/input.h"
#include "core/log.h"
#include "core/settings.h"
#include "core/splash.h"
#include "core/system_info.h"
#include "core/timer.h"
#include "core/window_proc.h"
#include "core/zode.h"
#include "extensions/markers.h"
#include "navigation/camera.h"
#include "platform/platform.h"
#include "render/render.h"
#include "vfs/vfs.h"
#include "video/video.h"

namespace lifecycle {

int fatalWaitMilliseconds = 2000;

namespace {

void defaultExit(int code) { std::exit(code); }

ExitFunction exitFunction = defaultExit;
bool inFatalPath = false;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Copies an option's value (up to the next blank) into `out`, at most app::kPathMax characters;
// returns the position after the whole value, so that a value is never read as options.
const char* takeValue(const char* p, char* out) {
    size_t n = 0;
    while (p[n] && !isBlank(p[n])) ++n;
    size_t kept = n < static_cast<size_t>(app::kPathMax) ? n : static_cast<size_t>(app::kPathMax);
    std::memcpy(out, p, kept);
    out[kept] = 0;
    return p + n;
}

const char* skipValue(const char* p) {
    while (*p && !isBlank(*p)) ++p;
    return p;
}

int lower(char c) { return std::tolower(static_cast<unsigned char>(c)); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// ---- Start-up steps ------------------------------------------------------------------------

int startLog() {
    logc::resetChannels();
    logc::openChannel(0, "null:");
    if (app::mode.DB) {
        std::string sink = "$" + platform::joinPath(app::programFolder, "vyrex.log");
        logc::openChannel(1, sink.c_str());
        logc::writeHeader();
    } else {
        logc::openChannel(1, "null:");
    }
    return 1;
}

int createWindow() {
    // There is no window class to register here, so "Can't register back window." never shows.
    if (!platform::createMainWindow("Vyrex", app::mainWindowProc)) {
        platform::messageBox("Vyrex Fatal Error", "Can't create back window.");
        return 0;
    }
    return 1;
}

int loadSettings() {
    settings::loadSettings();
    return 1;
}

// The camera-reset option (-f, or the first run) starts all eight cameras from the default.
int startCameras() { return camera::cameraStart(app::mode.RST); }

// The splash's begin and end as start-up steps; each later step presents its progress with
// splash::splashStep.
int beginSplash() {
    splash::splashBegin(9);
    return 1;
}
int endSplash() {
    splash::splashEnd();
    return 1;
}

struct StartStep {
    const char* what;
    int (*start)();         // 1 on success
    const char* fatalText;  // failure ends the program with this text; null: result ignored
    bool splashStep = false;  // advance the splash's progress bar once the step is done
};

// The start-up sequence, in order. Each subsystem adds its line at its place below; the steps
// between the splash's begin and end advance its bar.
const StartStep kStartup[] = {
    {"log channels and header", startLog, nullptr},
    {"marker list", markers::markerStart, nullptr},
    {"event bus", zode::start, "Can't init ZODE."},
    {"main window", createWindow, "Can't init background window."},
    {"frame timer", timer::startTimer, nullptr},
    {"packs", vfs::openPacks, "Can't init or load VFS packs."},
    {"video layer", video::start, "Can't init video system."},
    {"splash begin", beginSplash, nullptr},
    {"settings", loadSettings, nullptr, true},
    {"input", input::startInput, nullptr, true},
    {"catalogues", catalog::catalogLoad, "Can't find default catalogs.", true},
    {"console", console::consoleStart, "Can't init console.", true},
    // Z windows system: "Can't init Z windows system."; splash step
    // plug-ins (result ignored); splash step
    // toolbar: "Can't init toolbar."; splash step
    // The renderers put their hooks in place before the camera step prepares them.
    {"renderers", render::renderInstall, nullptr},
    {"cameras", startCameras, nullptr, true},
    // panels; splash step
    {"macros", console::loadMacros, nullptr, true},
    {"splash end", endSplash, nullptr},
};

// The shutdown sequence, in order; the fatal path runs it too, so every stop operation must be
// safe for a subsystem that never started.
void (*const kShutdown[])() = {
    console::macrosStop,
    // stop hooks of panels, cameras, toolbar, plug-ins, Z windows, toolbar
    console::consoleStop,
    // catalogues
    input::stopInput,
    settings::saveSettings,
    video::stop,
    vfs::closePacks,
    timer::writeTimerSummary,
    zode::stop,
    logc::closeChannels,
    // Last, after the video layer has let go of it; the fatal message box has no owner window.
    platform::destroyMainWindow,
};

// Index of the active camera for the fatal snapshot.
int snapshotCameraIndex() { return camera::activeCameraIndex(); }

}  // namespace

void resetProcessState() {
    app::mode = app::StartMode{};
    app::firstRun = 0;
    std::snprintf(app::registryRoot, sizeof app::registryRoot, "%s", "SOFTWARE\\Oskarn Software\\Vyrex\\2.00");
    std::snprintf(app::programFolder, sizeof app::programFolder, "%s", platform::currentDirectory().c_str());
    app::active = 1;
    app::quit = 0;
    app::guiVisible = 1;
    app::pointerDrawn = 0;
    app::pointerOverWindow = 0;
    app::pointerOverToolbar = 0;
    settings::settingsLoaded = 0;
    inFatalPath = false;
}

// An option is '-' or '/' and one letter; the scan goes on right after the letter, so a letter
// directly after another option's letter is not an option. `option` gets the lower-case letter
// and the text after it and returns where the scan goes on. Both passes skip the values of l and r
// as a whole: a folder such as "/home/data" would otherwise read as the options h and d.
template <typename Option>
void scanOptions(const char* text, Option option) {
    if (!text) return;
    for (const char* p = text; *p;) {
        if ((*p != '-' && *p != '/') || !p[1]) {
            ++p;
            continue;
        }
        p = option(lower(p[1]), p + 2);
    }
}

void parseCommandLine(const char* text) {
    scanOptions(text, [](int letter, const char* after) {
        switch (letter) {
            case 'd': app::mode.DB = 1; break;
            case 's': app::mode.SRV = 1; break;
            case 'g': app::mode.GUI = 0; break;
            case 'c': app::mode.CNF = 0; break;
            case 'p': app::mode.PLG = 0; break;
            case 'f':
                app::mode.RST = 1;
                app::firstRun = 1;
                break;
            case 'l': return takeValue(after, app::programFolder);
            case 'r': return takeValue(after, app::registryRoot);
            default: break;
        }
        return after;
    });
}

void parseVideoOptions(const char* text) {
    scanOptions(text, [](int letter, const char* q) {
        if (letter == 'l' || letter == 'r') return skipValue(q);
        if (letter != 'v') return q;
        const int second = lower(*q);
        if (second == 'b' && isDigit(q[1])) settings::VIDbckBuffSysMem = q[1] - '0';
        else if (second == 'w' && isDigit(q[1])) settings::VIDwVSync = q[1] - '0';
        else if (second == 'm') {
            if (!isDigit(q[1])) settings::VIDdefault = -1;
            else if (isDigit(q[2])) settings::VIDdefault = (q[1] - '0') * 10 + (q[2] - '0');
            else settings::VIDdefault = q[1] - '0';
        }
        return q;
    });
}

int startup() {
    for (const StartStep& step : kStartup) {
        if (step.start() != 1 && step.fatalText) {
            fatalExit(2, step.fatalText);
            return 0;
        }
        if (step.splashStep) splash::splashStep();
    }
    return 1;
}

int mainLoop() {
    app::guiVisible = app::mode.GUI;
    if (!app::mode.GUI) app::pointerDrawn = 0;
    app::active = 1;
    app::quit = 0;

    platform::Message msg;
    for (;;) {
        input::pollInput();  // pointer position and motion, mouse-look

        if (platform::peekMessage(msg)) {
            if (msg.message == platform::WM_QUIT) break;
            platform::dispatchMessage(msg);
        }

        if (!app::active) {
            platform::waitMessage();
        } else {
            timer::tickTimer();
            camera::cameraFrame();  // scene step: camera motion, journeys, drawing of the scene
            // if app::guiVisible: Z windows frame, toolbar frame
            console::consoleFrame();
            // help pick: completed with 0xFFFF on a left press over neither a window nor the toolbar
            zode::broadcast(zode::kEventFrame);
            video::present();
        }

        // Escape, "exit" and the toolbar's exit end here; the last message's wParam would be a
        // key code, which a shell would take for a failure.
        if (app::quit) return 0;
    }
    return static_cast<int>(static_cast<intptr_t>(msg.wParam));
}

void shutdown() {
    for (void (*stop)() : kShutdown) stop();
}

void fatalExit(int kind, const char* text) {
    // The text may live in a block that the shutdown releases.
    char copy[256];
    std::snprintf(copy, sizeof copy, "%s", text ? text : "");
    if (app::mode.DB) {
        logc::print(1, "\r\n*** Exit in error (%d:'%s') ***", kind, copy);
        logc::print(1, "\r\n*** Snap Shot *****************************");
        logc::print(1, "\n\n\tCamera number:%d", snapshotCameraIndex());
        logc::print(1, "\n\n\tCamera size:%08zX", sizeof(CameraRecord));
    }
    // A stop operation that fails fatally again must not run the shutdown a second time.
    if (!inFatalPath) {
        inFatalPath = true;
        shutdown();
    }
    platform::sleepMilliseconds(fatalWaitMilliseconds);
    platform::messageBox(kind == 1 ? "Vyrex Warning" : "Vyrex Fatal Error", copy);
    exitFunction(1);
}

void setExitFunction(ExitFunction f) { exitFunction = f ? f : defaultExit; }

int entry(const char* commandLine) {
    resetProcessState();
    std::snprintf(app::commandLine, sizeof app::commandLine, "%s", commandLine ? commandLine : "");
    parseCommandLine(app::commandLine);
    app::systemInfo = platform::gatherSystemInfo();
    settings::readStartupValues();
    // The launcher's Run resets the cameras on a first run; without the launcher, entry does.
    if (app::firstRun) app::mode.RST = 1;
    parseVideoOptions(app::commandLine);
    // launcher: register the display drivers; with CNF show the launcher dialog, and return 0 at
    // once when the user leaves it with Exit

    if (!startup()) return 1;
    int result = mainLoop();
    shutdown();
    return result;
}

}  // namespace lifecycle
