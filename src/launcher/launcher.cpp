// The launcher: the mode list, the three dialogs as tables of controls with their handlers, and
// the run before the program starts.
#include "launcher/launcher.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/app.h"
#include "base/settings.h"
#include "console/console.h"
#include "launcher/launcher_internal.h"
#include "vfs/vfs.h"
#include "video/video.h"
#include "zwindows/paint.h"

namespace launcher {

using detail::Control;
using detail::Dialog;
using detail::DialogRun;
using detail::Kind;

namespace {

// ---- Control ids ------------------------------------------------------------------------------

enum : int {
    kOk = 1,  // also Run
    kCancel = 2,  // also Exit
    kSetup = 1000,
    kAbout = 1001,
    kModes = 1006,
    kBackBuffer = 1007,
    kBugReport = 1009,
    kResolutionsLabel = 1010,
    kDisablePlugins = 1011,
    kRetrace = 1012,
    kAboutText = 1013,
    kAddStartMenu = 1014,
    kResetCameras = 1016,
    kLauncherText = 1017,
    kStatus = 1100,  // what "Add Start Menu" did: this system's own line, not the original's
};

// ---- Dialog 101: the launcher -------------------------------------------------------------------

const char* const kLauncherLines[] = {
    "Vyrex, Version 2.00",
    " ",
    "A real-time 3D map of the stars: fly to",
    "any of them and visit their planets.",
    ".",
};

const Control kLauncherControls[] = {
    {kOk, Kind::kButton, "Run", 186, 10, 68, 16},
    {kSetup, Kind::kButton, "Setup", 186, 32, 68, 16},
    {kAbout, Kind::kButton, "About", 186, 54, 68, 16},
    {kCancel, Kind::kButton, "Exit", 186, 76, 68, 16},
    {0, Kind::kPicture, nullptr, 10, 10, 162, 80},
    {kLauncherText, Kind::kText, nullptr, 6, 104, 252, 48},
};

void launcherInit(DialogRun& run) { detail::setLines(run, kLauncherText, kLauncherLines); }
void launcherCommand(DialogRun& run, int id);

const Dialog kLauncher = {
    101, " Vyrex", 264, 160, kLauncherControls, int(std::size(kLauncherControls)), kOk, kCancel,
    launcherInit, launcherCommand,
};

// ---- Dialog 104: Setup --------------------------------------------------------------------------

constexpr int kStatusWidth = 312;  // pixels of the status lines under the groups

const Control kSetupControls[] = {
    {kModes, Kind::kList, nullptr, 18, 34, 292, 84},
    {kBackBuffer, Kind::kCheck, "Back Buffer in system memory", 18, 124, 200, 12},
    {kRetrace, Kind::kCheck, "Wait for Vertical Retrace", 18, 138, 200, 12},
    {kAddStartMenu, Kind::kButton, "Add Start Menu", 56, 186, 100, 16},
    {kResetCameras, Kind::kCheck, "Reset Cameras", 184, 178, 130, 12},
    {kDisablePlugins, Kind::kCheck, "Disable Plugins", 184, 192, 130, 12},
    {kBugReport, Kind::kCheck, "Bug Report", 184, 206, 130, 12},
    {kOk, Kind::kButton, "OK", 180, 254, 64, 18},
    {kCancel, Kind::kButton, "Cancel", 252, 254, 64, 18},
    {0, Kind::kGroup, "Display", 8, 6, 312, 152},
    {kResolutionsLabel, Kind::kLabel, "Screen Resolutions:", 18, 22, 200, 10},
    {0, Kind::kGroup, "Initial Setup", 8, 164, 160, 60},
    {0, Kind::kIcon, nullptr, 16, 178, 32, 32},
    {0, Kind::kGroup, "Misc", 176, 164, 144, 60},
    {kStatus, Kind::kStatus, nullptr, 8, 230, kStatusWidth, 20},
};

// The user picked a line of the mode list during this Setup; until then OK leaves VIDdefault
// alone, so that an automatic choice stays automatic on the next machine.
bool modeChosen = false;

void fillModes(DialogRun& run) {
    detail::listClear(run);
    char line[detail::kLineMax + 1];
    for (int i = 0; i < video::modeList.count; ++i) {
        modeLine(video::modeList.modes[i], video::modeList.desktop, line, sizeof line);
        detail::listAdd(run, line);
    }
    const int stored = settings::VIDdefault;
    detail::listSelect(run, stored >= 0 && stored < video::modeList.count ? stored : video::automaticMode(video::modeList));
}

void setupInit(DialogRun& run) {
    modeChosen = false;
    detail::setChecked(run, kBackBuffer, settings::VIDbckBuffSysMem != 0);
    fillModes(run);
    detail::setChecked(run, kRetrace, settings::VIDwVSync != 0);
    detail::setChecked(run, kResetCameras, app::mode.RST != 0);
    detail::setChecked(run, kDisablePlugins, app::mode.PLG == 0);
    detail::setChecked(run, kBugReport, app::mode.DB != 0);
}

// A folder as the status line can show it: "~/…" in the home folder, and cut at the left (where
// it matters least) to the line's width.
std::string shownFolder(const std::string& folder) {
    const std::string home = platform::homeFolder();
    std::string text = folder;
    if (home.size() > 1 && folder.compare(0, home.size(), home) == 0 && folder.size() > home.size() &&
        folder[home.size()] == '/')
        text = "~" + folder.substr(home.size());
    const size_t columns = size_t(kStatusWidth / zwindows::kCellWidth);
    if (text.size() > columns) text = "..." + text.substr(text.size() - (columns - 3));
    return text;
}

void setupCommand(DialogRun& run, int id) {
    switch (id) {
        case kBackBuffer:
            // At once: which modes are usable depends on it (a one-page mode needs the back
            // buffer), and the automatic choice is made again from the new list.
            settings::VIDbckBuffSysMem = detail::checked(run, kBackBuffer) ? 1 : 0;
            video::buildModeList();
            settings::VIDdefault = -1;
            modeChosen = false;
            fillModes(run);
            break;
        case kModes: modeChosen = true; break;
        case kAddStartMenu: {
            const ShortcutReport r = addStartMenuShortcut((std::string(desktopId()) + ".desktop").c_str(), "vyrex",
                                                          "Vyrex 2.00");
            if (r.written)
                detail::setStatus(run, ("Added to the menu as " + r.path.substr(r.path.rfind('/') + 1) + " in").c_str(),
                                  shownFolder(platform::parentFolder(r.path)).c_str());
            else
                detail::setStatus(run, "No menu entry was written:", r.reason.c_str());
            break;
        }
        case kOk:
            if (modeChosen && run.list.selected >= 0) settings::VIDdefault = run.list.selected;
            settings::VIDwVSync = detail::checked(run, kRetrace) ? 1 : 0;
            app::mode.RST = detail::checked(run, kResetCameras) ? 1 : 0;
            app::mode.PLG = detail::checked(run, kDisablePlugins) ? 0 : 1;
            app::mode.DB = detail::checked(run, kBugReport) ? 1 : 0;
            settings::writeStartupValues();
            detail::endDialog(run, 1);
            break;
        case kCancel: detail::endDialog(run, 0); break;
        default: break;
    }
}

const Dialog kSetupDialog = {
    104, "Setup", 328, 280, kSetupControls, int(std::size(kSetupControls)), kOk, kCancel, setupInit,
    setupCommand,
};

// ---- Dialog 105: About --------------------------------------------------------------------------

char libraryLine[64];  // the window library's version, filled when About opens

const char* const kAboutLines[] = {
    "Vyrex  Version 2.00",
    "A real-time 3D star map for the Linux desktop",
    "Free software: GNU GPL, version 3 or later",
    " ",
    "Stars: Hipparcos (ESA 1997; van Leeuwen 2007)",
    "Clusters: Dias et al. 2002; Harris 2010",
    "Pulsars: ATNF catalogue (Manchester et al. 2005)",
    "Maps, nebulae and figures: stellarium-data",
    "Fonts: X11 misc-fixed; Hershey (NBS)",
    "Every source and its terms: the file CREDITS",
    libraryLine,
    ".",
};

const Control kAboutControls[] = {
    {kOk, Kind::kButton, "OK", 124, 246, 64, 18},
    {0, Kind::kPicture, nullptr, 75, 8, 162, 80},
    {kAboutText, Kind::kText, nullptr, 6, 98, 300, 140},
};

void aboutInit(DialogRun& run) {
    // What the window and the input are made with, which the log's header reports too.
    const int* v = app::systemInfo.displayVersion;
    std::snprintf(libraryLine, sizeof libraryLine, "Window and input: %s %d.%d.%d", platform::backendName(), v[0],
                  v[1], v[2]);
    detail::setLines(run, kAboutText, kAboutLines);
}

void aboutCommand(DialogRun& run, int id) {
    if (id == kOk) detail::endDialog(run, 1);
}

const Dialog kAboutDialog = {
    105, "About Vyrex", 312, 272, kAboutControls, int(std::size(kAboutControls)), kOk, kOk, aboutInit,
    aboutCommand,
};

void launcherCommand(DialogRun& run, int id) {
    switch (id) {
        case kOk:
            // A new machine's first run starts the cameras from their defaults.
            if (app::firstRun) app::mode.RST = 1;
            detail::endDialog(run, 1);
            break;
        case kCancel: detail::endDialog(run, 0); break;
        case kSetup: detail::runDialog(kSetupDialog); break;
        case kAbout: detail::runDialog(kAboutDialog); break;
        default: break;
    }
}

const Dialog* const kDialogs[] = {&kLauncher, &kSetupDialog, &kAboutDialog};

// ---- The dialogs' font and pictures -------------------------------------------------------------

// Loads what the dialogs draw with while the packs are open; false without the font.
bool loadAssets() {
    size_t size = 0;
    const uint8_t* font = vfs::loadFile("default.bft", &size);
    if (!zwindows::useFont(font, size)) return false;
    // The colours of the in-scene windows, from the tables the video would build for its surface.
    static video::ColourTables tables;
    video::buildColourTables(draw::kXrgb8888, tables);
    detail::assets.colours = zwindows::standardColours(tables);
    detail::assets.picture = draw::loadBitmap("intro.bmp");
    detail::assets.icon = draw::loadBitmap("icon.bmp");
    detail::assets.scrollUp = draw::loadBitmap("scrollup.bmp");
    detail::assets.scrollDown = draw::loadBitmap("scrolldown.bmp");
    detail::assets.scrollThumb = draw::loadBitmap("scroll.bmp");
    return true;
}

void releaseAssets() {
    detail::assets = detail::Assets{};
    zwindows::useFont(nullptr, 0);
}

}  // namespace

void modeLine(const platform::DisplayMode& m, const platform::Desktop& d, char* out, size_t size) {
    if (!out || size == 0) return;
    const int n = std::snprintf(out, size, "%d x %d, %dbpp", m.width, m.height, m.bitsPerPixel);
    if (n < 0 || size_t(n) >= size) return;
    const double mm = video::pixelMillimetres(d.dpi, m.scale);
    if (m.scale > 1 && mm > 0) std::snprintf(out + n, size - n, " (x%d, %.2f mm)", m.scale, mm);
    else if (m.scale > 1) std::snprintf(out + n, size - n, " (x%d)", m.scale);
    else if (mm > 0 && m.width == d.width && m.height == d.height) std::snprintf(out + n, size - n, " (%.2f mm)", mm);
}

int dialogScale(const platform::Desktop& d, int width, int height) {
    if (width < 1 || height < 1) return 1;
    int k = d.height / 540;
    const double mm = video::pixelMillimetres(d.dpi, 1);
    if (mm > 0) k = int(std::lround(video::kComfortablePixelMm / mm));
    // No larger than the desktop holds; a desktop that is not known takes the pixels as they are.
    if (d.width > 0 && d.height > 0) k = std::min({k, d.width / width, d.height / height});
    return std::max(1, k);
}

bool controlRect(int dialog, int id, platform::Rect& rect) {
    for (const Dialog* d : kDialogs) {
        if (d->number != dialog) continue;
        for (int i = 0; i < d->count; ++i)
            if (d->controls[i].id == id && id != 0) {
                const Control& c = d->controls[i];
                rect = platform::Rect{c.x, c.y, c.width, c.height};
                return true;
            }
    }
    return false;
}

int runLauncher() {
    // The display's modes and the scaled ones; an automatic VIDdefault stays automatic, and the
    // video's start makes the choice.
    video::buildModeList();
    if (!app::mode.CNF) return 1;
    // The dialogs need the console's font from the packs; without it they cannot be drawn, and the
    // start-up will say what is missing.
    if (vfs::openPacks() != 1) return 1;
    const bool drawable = loadAssets();
    vfs::closePacks();
    int result = drawable ? detail::runDialog(kLauncher) : -1;
    platform::closeDialogWindow();
    detail::releaseDialogPicture();
    releaseAssets();
    // No window for the dialogs: the program starts, and its own window says what it can.
    if (result < 0) result = 1;
    return result;
}

}  // namespace launcher
