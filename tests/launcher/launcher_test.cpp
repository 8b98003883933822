// The launcher on the headless backend: its dialogs driven by keys and clicks, Setup's effect on
// the stored start-up values and the run's flags, the mode list with and without scaled modes,
// and the menu entry that "Add Start Menu" writes.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "base/app.h"
#include "base/settings.h"
#include "launcher/launcher.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_display.h"
#include "platform/store.h"
#include "program/lifecycle.h"
#include "support/golden.h"
#include "support/packwriter.h"
#include "support/programfolder.h"
#include "video/video.h"

namespace {

using platform::DisplayMode;

constexpr const char* kStartupKey = "SOFTWARE\\Oskarn Software\\Vyrex\\2.00\\startup";

uint32_t storedValue(const char* name) {
    uint32_t v = 0xDEADBEEF;
    store::readDword(store::HKEY_LOCAL_MACHINE, kStartupKey, name, v);
    return v;
}

intptr_t at(int x, int y) { return intptr_t(uint32_t(x) | (uint32_t(y) << 16)); }

// A click in the middle of a control of a dialog (101, 104, 105).
void click(int dialog, int id) {
    platform::Rect r;
    ASSERT_TRUE(launcher::controlRect(dialog, id, r)) << dialog << " has no control " << id;
    const intptr_t p = at(r.x + r.width / 2, r.y + r.height / 2);
    headless::pushMessage(platform::WM_LBUTTONDOWN, 0, p);
    headless::pushMessage(platform::WM_LBUTTONUP, 0, p);
}

void key(int vk) { headless::pushMessage(platform::WM_KEYDOWN, uintptr_t(vk), 0); }

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class Launcher : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vyrex-launch-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        std::filesystem::create_directories(root + "/program/data");
        store::setLocation(root + "/config/vyrex.reg");
        headless::reset();
        headless::resetDisplay();
        lifecycle::resetProcessState();
        std::snprintf(app::programFolder, sizeof app::programFolder, "%s", (root + "/program").c_str());
        app::settleFolders();
        // The dialogs' font and pictures; the catalogue pack only has to be there.
        std::vector<packwriter::MemoryFile> files = programfolder::startupFiles();
        for (const char* name : {"intro.bmp", "icon.bmp", "scroll.bmp", "scrollup.bmp", "scrolldown.bmp"})
            files.push_back({name, programfolder::shipped("vyrex2", name)});
        ASSERT_EQ(packwriter::writeBytes(root + "/program/data/vyrex2.vfs", packwriter::buildOrDie(files)), "");
        ASSERT_EQ(packwriter::writeBytes(root + "/program/data/catalog.vfs", packwriter::buildOrDie({{"none", "x"}})), "");
        settings::readStartupValues();
        idles = 0;
        onIdle = nullptr;
        // A dialog that is still up when the script has run out is closed, so that no test hangs.
        headless::setIdleHook([this] {
            ++idles;
            if (onIdle) {
                auto step = std::move(onIdle);
                onIdle = nullptr;
                step();
            } else {
                headless::pushMessage(platform::WM_CLOSE);
            }
        });
        setenv("XDG_DATA_HOME", (root + "/share").c_str(), 1);
    }
    void TearDown() override {
        unsetenv("XDG_DATA_HOME");
        headless::resetDisplay();
        programfolder::cleanUpRun(root);
    }

    std::string root;
    int idles = 0;
    std::function<void()> onIdle;  // run once when the dialog shown has taken every message
};

// ---- The launcher ------------------------------------------------------------------------------

TEST_F(Launcher, WithoutTheStartModeFlagNoDialogIsShown) {
    app::mode.CNF = 0;
    EXPECT_EQ(launcher::runLauncher(), 1);
    EXPECT_EQ(headless::dialogWindowsOpened(), 0);
    // The mode list is built all the same: the video's start picks from it.
    EXPECT_GT(video::modeList.count, 0);
}

TEST_F(Launcher, RunExitAndClosingDecideWhetherTheProgramStarts) {
    key(platform::VK_RETURN);
    EXPECT_EQ(launcher::runLauncher(), 1);
    EXPECT_EQ(headless::dialogWindowTitle(), " Vyrex");
    EXPECT_FALSE(headless::dialogWindowOpen());  // closed before the program's window is made
    // A fresh store is a first run: Run resets the cameras.
    EXPECT_EQ(app::mode.RST, 1);

    app::mode.RST = 0;
    app::firstRun = 0;
    key(platform::VK_ESCAPE);
    EXPECT_EQ(launcher::runLauncher(), 0);
    EXPECT_EQ(app::mode.RST, 0);

    click(101, 2);  // Exit
    EXPECT_EQ(launcher::runLauncher(), 0);
    headless::pushMessage(platform::WM_CLOSE);
    EXPECT_EQ(launcher::runLauncher(), 0);
    click(101, 1);  // Run
    EXPECT_EQ(launcher::runLauncher(), 1);
    EXPECT_EQ(app::mode.RST, 0);  // not a first run any more
}

TEST_F(Launcher, TabMovesTheFocusAndEnterPressesTheFocusedButton) {
    // Run, Setup, About, Exit: three Tabs reach Exit.
    key(platform::VK_TAB);
    key(platform::VK_TAB);
    key(platform::VK_TAB);
    key(platform::VK_RETURN);
    EXPECT_EQ(launcher::runLauncher(), 0);
    // Shift+Tab goes back from Run to Exit.
    headless::setKeyHeld(platform::VK_SHIFT, true);
    key(platform::VK_TAB);
    onIdle = [] {
        headless::setKeyHeld(platform::VK_SHIFT, false);
        key(platform::VK_SPACE);
    };
    EXPECT_EQ(launcher::runLauncher(), 0);
}

TEST_F(Launcher, APressDraggedOffItsButtonIsTakenBack) {
    platform::Rect r;
    ASSERT_TRUE(launcher::controlRect(101, 2, r));
    headless::pushMessage(platform::WM_LBUTTONDOWN, 0, at(r.x + 2, r.y + 2));
    headless::pushMessage(platform::WM_MOUSEMOVE, 0, at(r.x - 20, r.y + 2));
    headless::pushMessage(platform::WM_LBUTTONUP, 0, at(r.x - 20, r.y + 2));
    bool stillUp = false;
    onIdle = [&] {
        stillUp = true;  // Exit was not pressed
        click(101, 1);
    };
    EXPECT_EQ(launcher::runLauncher(), 1);
    EXPECT_TRUE(stillUp);
}

TEST_F(Launcher, AboutOpensItsOwnDialogAndGivesTheWindowBack) {
    click(101, 1001);
    std::string aboutTitle;
    int aboutWidth = 0;
    onIdle = [&] {
        aboutTitle = headless::dialogWindowTitle();
        aboutWidth = headless::dialogWindowWidth();
        key(platform::VK_RETURN);  // OK
        onIdle = [] { key(platform::VK_ESCAPE); };
    };
    EXPECT_EQ(launcher::runLauncher(), 0);
    EXPECT_EQ(aboutTitle, "About Vyrex");
    EXPECT_GT(aboutWidth, 0);
    EXPECT_EQ(headless::dialogWindowsOpened(), 3);  // the launcher, About, the launcher again
}

TEST_F(Launcher, TheDialogsLookAsTheyShould) {
    // A 1280 × 800 desktop of unknown density shows the dialogs one to one.
    std::string launcherPicture, setupPicture, aboutPicture;
    auto grab = [](const char* name) {
        return golden::compareFrame(headless::lastFrame(), headless::targetWidth(), headless::targetHeight(), name);
    };
    onIdle = [&] {
        launcherPicture = grab("launcher");
        click(101, 1000);
        onIdle = [&] {
            setupPicture = grab("launcher-setup");
            key(platform::VK_ESCAPE);
            onIdle = [&] {
                click(101, 1001);
                onIdle = [&] {
                    aboutPicture = grab("launcher-about");
                    key(platform::VK_ESCAPE);
                    onIdle = [] { key(platform::VK_ESCAPE); };
                };
            };
        };
    };
    EXPECT_EQ(launcher::runLauncher(), 0);
    EXPECT_EQ(launcherPicture, "");
    EXPECT_EQ(setupPicture, "");
    EXPECT_EQ(aboutPicture, "");
}

TEST_F(Launcher, DialogsGrowByWholePixelsOnDenseDesktops) {
    platform::Desktop d{3840, 2160, 24, 163};  // a 27-inch 4K screen: 0.156 mm pixels
    EXPECT_EQ(launcher::dialogScale(d, 264, 160), 3);
    d.dpi = 0;  // unknown: one step per 540 rows
    EXPECT_EQ(launcher::dialogScale(d, 264, 160), 4);
    d = platform::Desktop{1280, 800, 24, 96};
    EXPECT_EQ(launcher::dialogScale(d, 264, 160), 2);
    // Never larger than the desktop holds, never below 1.
    d = platform::Desktop{600, 300, 24, 40};
    EXPECT_EQ(launcher::dialogScale(d, 328, 280), 1);
    d = platform::Desktop{3840, 2160, 24, 600};
    EXPECT_EQ(launcher::dialogScale(d, 328, 280), 7);

    headless::setDesktop(3840, 2160);
    headless::setDesktopDpi(163);
    int width = 0, height = 0;
    onIdle = [&] {
        width = headless::targetWidth();
        height = headless::targetHeight();
        key(platform::VK_ESCAPE);
    };
    EXPECT_EQ(launcher::runLauncher(), 0);
    EXPECT_EQ(width, 264 * 3);
    EXPECT_EQ(height, 160 * 3);
}

// ---- The launcher in the program's entry ----------------------------------------------------------

int exits = 0;
void countExit(int) { ++exits; }

class Entry : public Launcher {
protected:
    void SetUp() override {
        Launcher::SetUp();
        exits = 0;
        lifecycle::fatalWaitMilliseconds = 0;
        lifecycle::setExitFunction(countExit);
        // The program needs the real catalogue to start.
        ASSERT_EQ(packwriter::writeBytes(program() + "/data/catalog.vfs",
                                         packwriter::buildOrDie(programfolder::shippedCatalogue())),
                  "");
        // Once the main window shows frames, note the frame size and close it.
        headless::setPeekHook([this](int) {
            if (headless::windowOpen() && headless::displayOpen() && frameWidth == 0) {
                frameWidth = headless::displayWidth();
                fullScreen = headless::displayFullScreen();
                headless::pushMessage(platform::WM_CLOSE);
            }
        });
    }
    std::string program() const { return root + "/program"; }
    int entry(const std::string& options) { return lifecycle::entry((options + " -l" + program()).c_str()); }
    int frameWidth = 0;
    bool fullScreen = false;
};

TEST_F(Entry, ExitLeavesBeforeAnythingOfTheProgramExists) {
    key(platform::VK_ESCAPE);
    EXPECT_EQ(entry("-d"), 0);
    EXPECT_EQ(headless::dialogWindowsOpened(), 1);
    EXPECT_EQ(headless::windowsCreated(), 0);
    EXPECT_FALSE(std::filesystem::exists(program() + "/vyrex.log"));  // the log had not started
    EXPECT_EQ(exits, 0);
}

TEST_F(Entry, WithMinusCTheProgramStartsAtOnceWithTheStoredValues) {
    store::writeDword(store::HKEY_LOCAL_MACHINE, kStartupKey, "VIDdefault", 1);
    EXPECT_EQ(entry("-c"), 0);
    EXPECT_EQ(headless::dialogWindowsOpened(), 0);
    EXPECT_EQ(headless::windowsCreated(), 1);
    ASSERT_GT(video::modeList.count, 1);
    EXPECT_EQ(frameWidth, video::modeList.modes[1].width);
    EXPECT_EQ(exits, 0);
}

TEST_F(Entry, RunStartsInTheModeSetupChoseAndTheBoxesApplyToThatRun) {
    // 1920 × 1080 at 141 dpi: the automatic choice would be 960 × 540 (×2); the user takes the
    // desktop's own mode, line 0, and asks for the log.
    headless::setDesktop(1920, 1080);
    headless::setDesktopDpi(141);
    click(101, 1000);
    onIdle = [this] {
        key(platform::VK_HOME);
        click(104, 1009);  // Bug Report
        click(104, 1);
        onIdle = [] { click(101, 1); };
    };
    EXPECT_EQ(entry(""), 0);
    EXPECT_EQ(frameWidth, 1920);
    EXPECT_FALSE(fullScreen);
    EXPECT_EQ(storedValue("VIDdefault"), 0u);
    EXPECT_TRUE(std::filesystem::exists(program() + "/vyrex.log"));
    EXPECT_EQ(exits, 0);
}

TEST_F(Entry, AFirstRunOnADenseScreenTakesTheScaledModeFullScreen) {
    headless::setDesktop(1920, 1080);
    headless::setDesktopDpi(141);
    EXPECT_EQ(entry("-c"), 0);
    EXPECT_EQ(frameWidth, 960);
    EXPECT_TRUE(fullScreen);
    EXPECT_EQ(storedValue("VIDdefault"), 0xFFFFFFFFu);  // still automatic for the next machine
}

// ---- Setup -------------------------------------------------------------------------------------

class Setup : public Launcher {
protected:
    // Opens Setup from the launcher, runs `inSetup` once Setup is shown, then leaves the launcher
    // with Run or Exit (unless `inSetup` has set the next step itself). Returns the launcher's
    // result.
    int throughSetup(std::function<void()> inSetup, bool run = false) {
        click(101, 1000);
        onIdle = [this, inSetup, run] {
            setupTitle = headless::dialogWindowTitle();
            onIdle = [run] { click(101, run ? 1 : 2); };
            inSetup();
        };
        return launcher::runLauncher();
    }
    std::string setupTitle;
};

TEST_F(Setup, OkWithoutChangesWritesTheStartupValuesUnchanged) {
    store::writeDword(store::HKEY_LOCAL_MACHINE, kStartupKey, "VIDdefault", 2);
    store::writeDword(store::HKEY_LOCAL_MACHINE, kStartupKey, "VIDwVSync", 0);
    settings::readStartupValues();
    const std::string before = fileText(root + "/config/vyrex.reg");
    EXPECT_EQ(throughSetup([] { key(platform::VK_RETURN); }, true), 1);
    EXPECT_EQ(setupTitle, "Setup");
    EXPECT_EQ(fileText(root + "/config/vyrex.reg"), before);
    EXPECT_EQ(settings::VIDdefault, 2);

    // An automatic choice stays automatic when the list is left alone.
    store::writeDword(store::HKEY_LOCAL_MACHINE, kStartupKey, "VIDdefault", 0xFFFFFFFF);
    settings::readStartupValues();
    EXPECT_EQ(throughSetup([] { click(104, 1); }), 0);
    EXPECT_EQ(storedValue("VIDdefault"), 0xFFFFFFFFu);
}

TEST_F(Setup, OkTakesTheChosenModeAndTheBoxes) {
    ASSERT_GE(video::modeList.count, 0);
    // The desktop of unknown density: the automatic choice is its own mode, line 0. Down picks
    // line 1; Tab from the list reaches the back-buffer box, and Space on it would rebuild the
    // list, so the other boxes are clicked.
    EXPECT_EQ(throughSetup([] {
                  key(platform::VK_DOWN);
                  click(104, 1012);  // retrace: on by default, now off
                  click(104, 1016);  // reset cameras
                  click(104, 1011);  // disable plug-ins
                  click(104, 1009);  // bug report
                  key(platform::VK_RETURN);
              }),
              0);
    EXPECT_EQ(settings::VIDdefault, 1);
    EXPECT_EQ(storedValue("VIDdefault"), 1u);
    EXPECT_EQ(storedValue("VIDwVSync"), 0u);
    EXPECT_EQ(app::mode.RST, 1);
    EXPECT_EQ(app::mode.PLG, 0);
    EXPECT_EQ(app::mode.DB, 1);
    // The run's own flags are not stored: a new process starts from the defaults again.
    EXPECT_EQ(store::valueNames(store::HKEY_LOCAL_MACHINE, kStartupKey).size(), 4u);
    lifecycle::resetProcessState();
    EXPECT_EQ(app::mode.PLG, 1);
    EXPECT_EQ(app::mode.DB, 0);
}

TEST_F(Setup, CancelKeepsEverythingButTheBackBuffer) {
    const std::string before = fileText(root + "/config/vyrex.reg");
    EXPECT_EQ(throughSetup([] {
                  key(platform::VK_END);
                  click(104, 1012);
                  click(104, 1009);
                  key(platform::VK_ESCAPE);
              }),
              0);
    EXPECT_EQ(fileText(root + "/config/vyrex.reg"), before);
    EXPECT_EQ(settings::VIDwVSync, 1);
    EXPECT_EQ(settings::VIDdefault, -1);
    EXPECT_EQ(app::mode.DB, 0);
}

TEST_F(Setup, TheBackBufferBoxDecidesWhetherSinglePageModesAreListed) {
    headless::setModes({{1280, 800, 24, 2}, {1024, 768, 24, 1}, {800, 600, 24, 2}});
    settings::VIDdefault = 1;
    int countBefore = -1, countTicked = -1, countAfter = -1;
    EXPECT_EQ(throughSetup([&] {
                  countBefore = video::modeList.count;
                  click(104, 1007);
                  onIdle = [&] {
                      countTicked = video::modeList.count;
                      // The automatic choice was made again.
                      EXPECT_EQ(settings::VIDdefault, -1);
                      click(104, 1007);
                      onIdle = [&] {
                          countAfter = video::modeList.count;
                          key(platform::VK_ESCAPE);
                          onIdle = [] { key(platform::VK_ESCAPE); };
                      };
                  };
              }),
              0);
    // Page flipping needs two pages: 1024 × 768 only while the box is ticked. The desktop's
    // three scaled modes (640 × 400 is usable; 426 and 320 wide are not) follow the display's.
    EXPECT_EQ(countBefore, 3);
    EXPECT_EQ(countTicked, 4);
    EXPECT_EQ(countAfter, 3);
    // The box takes effect at once, even though Setup was cancelled.
    EXPECT_EQ(settings::VIDbckBuffSysMem, 0);
}

// ---- Add Start Menu ----------------------------------------------------------------------------

std::string entryPath(const std::string& share) {
    return share + "/applications/" + launcher::desktopId() + ".desktop";
}

TEST_F(Setup, AddStartMenuWritesTheMenuEntryWhereXdgSays) {
    EXPECT_EQ(throughSetup([this] {
                  click(104, 1014);
                  onIdle = [this] {
                      key(platform::VK_ESCAPE);
                      onIdle = [] { key(platform::VK_ESCAPE); };
                  };
              }),
              0);
    const std::string path = entryPath(root + "/share");
    const std::string text = fileText(path);
    ASSERT_FALSE(text.empty()) << path;
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(text.find("\nName=Vyrex\n"), std::string::npos);
    EXPECT_NE(text.find("\nComment=Vyrex 2.00\n"), std::string::npos);
    EXPECT_NE(text.find("\nPath=" + root + "/program\n"), std::string::npos);
    EXPECT_NE(text.find("\nExec=\""), std::string::npos);
    // The freedesktop tools accept it (when they are installed, as scripts/setup.sh does).
    if (std::system("command -v desktop-file-validate >/dev/null 2>&1") == 0) {
        EXPECT_EQ(std::system(("desktop-file-validate '" + path + "'").c_str()), 0);
    }
    // Nothing else is left in the folder (the temporary file was renamed over the entry).
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(root + "/share/applications")) files += e.is_regular_file();
    EXPECT_EQ(files, 1);
}

TEST_F(Launcher, AMenuFolderThatCannotBeWrittenIsSaidAndWritesNothing) {
    std::filesystem::create_directories(root + "/share");
    std::ofstream(root + "/share/applications") << "a file where the folder should be";
    const launcher::ShortcutReport r =
        launcher::addStartMenuShortcut((std::string(launcher::desktopId()) + ".desktop").c_str(), "vyrex", "Vyrex 2.00");
    EXPECT_FALSE(r.written);
    EXPECT_FALSE(r.reason.empty());
    EXPECT_EQ(fileText(root + "/share/applications"), "a file where the folder should be");
    // XDG_DATA_HOME that is not absolute is ignored: the entry goes under the home folder.
    setenv("XDG_DATA_HOME", "relative/share", 1);
    const std::string home = root + "/home";
    const char* oldHome = getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    setenv("HOME", home.c_str(), 1);
    const launcher::ShortcutReport h = launcher::addStartMenuShortcut("x.desktop", "vyrex", "Vyrex 2.00");
    if (oldHome) setenv("HOME", savedHome.c_str(), 1);
    else unsetenv("HOME");
    EXPECT_TRUE(h.written) << h.reason;
    EXPECT_EQ(h.path, home + "/.local/share/applications/x.desktop");
}

TEST(MenuEntry, PathsAreQuotedForExecAndUnwritableOnesAreRefused) {
    const std::string text = launcher::menuEntryText("/opt/my stars/100% \"vy\"$x\\", "/opt/my stars", "icon", "Vyrex 2.00");
    // Exec's argument quoted, its ", $ and \ escaped inside the quotes, % doubled, and the whole
    // value escaped again as a string value (so the backslashes double).
    EXPECT_NE(text.find("\nExec=\"/opt/my stars/100%% \\\\\"vy\\\\\"\\\\$x\\\\\\\\\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nPath=/opt/my stars\n"), std::string::npos);
    EXPECT_EQ(launcher::menuEntryText("/opt/a\nb", "/opt", "icon", "d"), "");
    EXPECT_EQ(launcher::menuEntryText("/opt/\xff", "/opt", "icon", "d"), "");
    EXPECT_EQ(launcher::menuEntryText("/opt/a", "/opt", "icon", "line\nbreak"), "");
    EXPECT_NE(launcher::menuEntryText("/opt/\xc3\xa9toiles", "/opt", "icon", "d"), "");
}

TEST(MenuEntry, TheInstalledEntryHasTheKeysOfTheWrittenOne) {
    const std::string installed = programfolder::shipped("desktop", "vyrex.desktop.in");
    ASSERT_FALSE(installed.empty());
    const std::string written = launcher::menuEntryText("/p/vyrex", "/p", "icon", "Vyrex 2.00");
    std::istringstream lines(written);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("Exec=", 0) == 0 || line.rfind("TryExec=", 0) == 0 || line.rfind("Path=", 0) == 0 ||
            line.rfind("Icon=", 0) == 0)
            continue;
        EXPECT_NE(installed.find(line + "\n"), std::string::npos) << line;
    }
}

// ---- The mode list -----------------------------------------------------------------------------

video::ModeList listOf(const std::vector<DisplayMode>& modes, const platform::Desktop& desktop, int bb = 0) {
    video::ModeList list;
    video::filterModes(modes.data(), int(modes.size()), bb, list);
    video::addScaledModes(desktop, bb, list);
    return list;
}

TEST(ModeList, ScaledModesFollowTheDisplaysOwnModes) {
    const platform::Desktop full{1920, 1080, 24, 96};
    const video::ModeList list = listOf({{1920, 1080, 24, 2}, {1280, 720, 24, 2}, {1024, 768, 24, 2, 3}}, full);
    ASSERT_EQ(list.count, 5);
    // Stored indexes of the display's modes keep their meaning; a table's own scale is ignored.
    EXPECT_EQ(list.modes[2].scale, 1);
    EXPECT_EQ(list.modes[3].width, 960);
    EXPECT_EQ(list.modes[3].height, 540);
    EXPECT_EQ(list.modes[3].scale, 2);
    EXPECT_EQ(list.modes[4].width, 640);
    EXPECT_EQ(list.modes[4].height, 360);
    EXPECT_EQ(list.modes[4].scale, 3);  // 480 wide is too narrow for ÷ 4
    char line[64];
    launcher::modeLine(list.modes[0], list.desktop, line, sizeof line);
    EXPECT_STREQ(line, "1920 x 1080, 24bpp (0.26 mm)");
    launcher::modeLine(list.modes[1], list.desktop, line, sizeof line);
    EXPECT_STREQ(line, "1280 x 720, 24bpp");
    launcher::modeLine(list.modes[3], list.desktop, line, sizeof line);
    EXPECT_STREQ(line, "960 x 540, 24bpp (x2, 0.53 mm)");
    launcher::modeLine(list.modes[3], platform::Desktop{1920, 1080, 24, 0}, line, sizeof line);
    EXPECT_STREQ(line, "960 x 540, 24bpp (x2)");
    launcher::modeLine(list.modes[3], list.desktop, line, 8);  // cut, never overrun
    EXPECT_STREQ(line, "960 x 5");
}

TEST(ModeList, NoScaledModesWithoutAUsableDesktop) {
    const std::vector<DisplayMode> modes = {{1280, 1024, 24, 2}, {800, 600, 16, 2}};
    EXPECT_EQ(listOf(modes, platform::Desktop{}).count, 2);                  // no display
    EXPECT_EQ(listOf(modes, platform::Desktop{2560, 1440, 32, 96}).count, 2);  // 32 bits are not usable
    // A full list has no room for them, and stays whole.
    std::vector<DisplayMode> many;
    for (int i = 0; i < video::kMaxModes + 5; ++i) many.push_back({640 + i, 480, 24, 2});
    const video::ModeList full = listOf(many, platform::Desktop{3840, 2160, 24, 140});
    EXPECT_EQ(full.count, video::kMaxModes);
    EXPECT_EQ(full.modes[video::kMaxModes - 1].scale, 1);
}

TEST(ModeList, TheAutomaticChoiceComesClosestToTheSkysPixel) {
    struct Case {
        platform::Desktop desktop;
        int width;  // of the mode chosen
        int scale;
    };
    const Case cases[] = {
        {{1920, 1080, 24, 96}, 960, 2},    // 24-inch 1080p: 0.26 mm → ×2 0.53 mm beats ×1 by a hair
        {{1920, 1080, 24, 141}, 960, 2},   // 15.6-inch laptop: 0.18 mm → ×2 0.36 mm
        {{3840, 2160, 24, 163}, 1280, 3},  // 27-inch 4K: 0.156 mm → ×3 0.47 mm
        {{3840, 2160, 24, 282}, 960, 4},   // 15.6-inch 4K: 0.09 mm → ×4 0.36 mm
        {{1280, 1024, 24, 64}, 1280, 1},   // an old 0.4 mm monitor keeps its own pixels
        {{1920, 1080, 24, 0}, 1920, 1},    // density unknown: the desktop's own mode
        {{1920, 1080, 24, 3000}, 1920, 1}, // a density no display has: as unknown
    };
    for (const Case& c : cases) {
        const video::ModeList list = listOf({{c.desktop.width, c.desktop.height, 24, 2}, {1024, 768, 24, 2}}, c.desktop);
        const int chosen = video::automaticMode(list);
        ASSERT_GE(chosen, 0);
        EXPECT_EQ(list.modes[chosen].width, c.width) << c.desktop.width << " at " << c.desktop.dpi << " dpi";
        EXPECT_EQ(list.modes[chosen].scale, c.scale) << c.desktop.width << " at " << c.desktop.dpi << " dpi";
    }
    // A scaled mode below 480 rows is never the automatic choice (a 1280 × 720 laptop at 0.2 mm).
    const platform::Desktop small{1280, 720, 24, 127};
    const video::ModeList list = listOf({{1280, 720, 24, 2}}, small);
    EXPECT_EQ(list.modes[video::automaticMode(list)].scale, 1);
}

TEST(ModeList, TheModeNumberOfTheCommandLineReachesEveryMode) {
    // -vm takes one or two digits: every line of a full list can be named.
    lifecycle::resetProcessState();
    settings::VIDdefault = -1;
    lifecycle::parseVideoOptions("-c -vm12");
    EXPECT_EQ(settings::VIDdefault, 12);
    lifecycle::parseVideoOptions("-vm3");
    EXPECT_EQ(settings::VIDdefault, 3);
    lifecycle::parseVideoOptions("-vmx");
    EXPECT_EQ(settings::VIDdefault, -1);
    lifecycle::resetProcessState();
}

}  // namespace
