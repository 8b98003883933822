// Process entry, command line, start-up and shutdown sequences, main loop and fatal exit.
#include "program/lifecycle.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/app.h"
#include "base/log.h"
#include "base/settings.h"
#include "base/timer.h"
#include "base/zode.h"
#include "catalog/catalog.h"
#include "console/console.h"
#include "console/macros.h"
#include "extensions/markers.h"
#include "extensions/plugins.h"
#include "launcher/launcher.h"
#include "navigation/camera.h"
#include "platform/platform.h"
#include "platform/store.h"
#include "program/input.h"
#include "program/window_proc.h"
#include "render/render.h"
#include "systems/systems.h"
#include "vfs/vfs.h"
#include "video/splash.h"
#include "video/video.h"
#include "zwindows/panels.h"
#include "zwindows/toolbar.h"
#include "zwindows/zwindows.h"

namespace lifecycle {

int fatalWaitMilliseconds = 2000;

namespace {

void defaultExit(int code) { platform::exitProcess(code); }

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
        // An installed copy logs to its own folder under $XDG_STATE_HOME, made on first use.
        const bool elsewhere = std::strcmp(app::logFolder, app::programFolder) != 0;
        if (elsewhere) platform::makeFolders(app::logFolder);
        const std::string file = platform::joinPath(app::logFolder, "vyrex.log");
        logc::openChannel(1, ("$" + file).c_str());
        // The log was asked for: a log that cannot be written is said where it can be.
        if (logc::channelKind(1) != 2)
            platform::writeStandardError("vyrex: the log cannot be written to " + file + ": " +
                                         platform::fileErrorText() + "\n");
        logc::writeHeader();
        if (elsewhere) logc::print(1, "\r\n\tLog: %s (the program folder cannot be written)", app::logFolder);
        if (std::strcmp(app::pictureFolder, app::programFolder) != 0)
            logc::print(1, "\r\n\tScreenshots: %s", app::pictureFolder);
    } else {
        logc::openChannel(1, "null:");
    }
    // The store was first read before there was a log; what went wrong then is said now.
    const std::string report = store::takeReport();
    if (!report.empty()) {
        // One message per line: each is cut at the log's message length on its own.
        for (size_t at = 0; at < report.size();) {
            size_t next = report.find("\r\n", at + 2);
            if (next == std::string::npos) next = report.size();
            logc::print(1, "%s", report.substr(at, next - at).c_str());
            at = next;
        }
        platform::writeStandardError("vyrex: configuration store:" + report + "\n");
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

// The panels of the in-scene windows and the markers' own, made closed once the cameras they
// show are loaded.
int startPanels() {
    zwindows::panelsStart();
    markers::markersPanelStart();
    return 1;
}
void stopPanels() {
    markers::markersPanelStop();
    zwindows::panelsStop();
}

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
    int (*start)();           // 1 on success
    void (*stop)();           // undoes the step; null when there is nothing to undo
    const char* fatalText;    // failure ends the program with this text; null: result ignored
    bool splashStep = false;  // advance the splash's progress bar once the step is done
};

// The start-up sequence, in order; the shutdown runs the stops of the steps that started, from
// the last to the first. The steps between the splash's begin and end advance its bar.
const StartStep kSteps[] = {
    {"log channels and header", startLog, logc::closeChannels, nullptr},
    {"marker list", markers::markerStart, markers::markerStop, nullptr},
    {"event bus", zode::start, zode::stop, "Can't init ZODE."},
    // Destroyed after everything that presents into it; the fatal message box has no owner.
    {"main window", createWindow, platform::destroyMainWindow, "Can't init background window."},
    {"frame timer", timer::startTimer, timer::writeTimerSummary, nullptr},
    {"packs", vfs::openPacks, vfs::closePacks, "Can't init or load VFS packs."},
    {"video layer", video::start, video::stop, "Can't init video system."},
    {"splash begin", beginSplash, splash::splashRelease, nullptr},
    {"settings", loadSettings, settings::saveSettings, nullptr, true},
    {"input", input::startInput, input::stopInput, nullptr, true},
    {"catalogues", catalog::catalogLoad, catalog::catalogClose, "Can't find default catalogs.", true},
    {"console", console::consoleStart, console::consoleStop, "Can't init console.", true},
    {"Z windows system", zwindows::start, zwindows::stop, "Can't init Z windows system.", true},
    // Before the toolbar, the cameras and the panels: a plug-in's windows are announced to the
    // Plugins panel before it is made. Its stop takes the plug-ins out before the windows, the
    // console and the bus they registered with.
    {"plug-ins", extensions::pluginsLoad, extensions::pluginsStop, nullptr, true},
    {"toolbar", zwindows::toolbarStart, zwindows::toolbarStop, "Can't init toolbar.", true},
    // The renderers load their sprites, font and tree index and add their layers to the scene
    // before the cameras' step sets the first camera's mode.
    {"renderers", render::start, render::stop, nullptr},
    // Body graphics and the star-system files; the system itself is entered by the first frame.
    {"star systems", systems::start, systems::stop, nullptr},
    {"cameras", startCameras, camera::cameraStop, nullptr, true},
    {"panels", startPanels, stopPanels, nullptr, true},
    {"macros", console::loadMacros, console::macrosStop, nullptr, true},
    {"splash end", endSplash, nullptr, nullptr},
};
constexpr int kStepCount = static_cast<int>(sizeof kSteps / sizeof kSteps[0]);

// Steps begun so far (a failing step counts: its stop must tolerate a start that failed).
int stepsBegun = 0;

// Index of the active camera for the fatal snapshot.
int snapshotCameraIndex() { return camera::activeCameraIndex(); }

}  // namespace

void resetProcessState() {
    app::resetProcessState();
    input::resetInputState();
    settings::settingsLoaded = 0;
    inFatalPath = false;
    stepsBegun = 0;
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
            case 'l':
                app::programFolderGiven = 1;
                return takeValue(after, app::programFolder);
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
    for (const StartStep& step : kSteps) {
        ++stepsBegun;
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
            camera::cameraFrame();   // motion, journeys, the view lock
            render::sceneFrame();    // the scene, rebuilt when asked and drawn every frame
            // With the GUI shown the in-scene windows, then the toolbar over them.
            if (app::guiVisible) {
                zwindows::drawFrame();
                zwindows::toolbarDraw();
            } else {
                zwindows::hiddenFrame();
                zwindows::toolbarHidden();
            }
            console::consoleFrame();
            // A help pick ended by a press over neither a window nor the toolbar: no topic.
            if (!input::pointerOverWindow && !input::pointerOverToolbar && zwindows::helpPickActive() &&
                input::pointer.leftDown)
                zwindows::endHelpPick(0xFFFF);
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
    for (int i = (stepsBegun < kStepCount ? stepsBegun : kStepCount) - 1; i >= 0; --i)
        if (kSteps[i].stop) kSteps[i].stop();
    stepsBegun = 0;
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
    timer::markProgramStart();
    resetProcessState();
    std::snprintf(app::commandLine, sizeof app::commandLine, "%s", commandLine ? commandLine : "");
    parseCommandLine(app::commandLine);
    app::settleFolders();
    app::systemInfo = platform::gatherSystemInfo();
    settings::readStartupValues();
    // The launcher's Run resets the cameras on a first run; without the launcher, entry does.
    if (app::firstRun) app::mode.RST = 1;
    parseVideoOptions(app::commandLine);
    // The mode list, and without -c the launcher's dialogs: Exit leaves before anything of the
    // program exists.
    if (!launcher::runLauncher()) return 0;

    if (!startup()) return 1;
    int result = mainLoop();
    shutdown();
    return result;
}

}  // namespace lifecycle
