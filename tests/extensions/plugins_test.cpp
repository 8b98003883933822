// Whole runs of the program on the headless backend with plug-ins in its plugin folder: the three
// example plug-ins at work (a console command, an overlay on the frame, a window in the Plugins
// panel whose lines lock stars) and every kind of bad plug-in skipped with its log line and
// nothing of it left behind.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "base/app.h"
#include "base/zode.h"
#include "catalog/catalog.h"
#include "console/console.h"
#include "extensions/plugins.h"
#include "navigation/camera.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_display.h"
#include "platform/store.h"
#include "program/lifecycle.h"
#include "support/programfolder.h"
#include "video/draw.h"
#include "video/video.h"
#include "zwindows/panels.h"
#include "zwindows/zwindows.h"

namespace {

namespace fs = std::filesystem;
using vmath::operator-;
using platform::WM_LBUTTONDOWN;
using platform::WM_LBUTTONUP;
using platform::WM_MOUSEMOVE;

constexpr int kWidth = 640, kHeight = 480;
constexpr int kSettleFrames = 12;

struct Point {
    int x, y;
};

// One step of the user: the pointer goes to a point (worked out when the step comes, since
// windows are placed by the run), then `message` follows; or a probe runs.
struct Act {
    std::function<Point()> at;
    uint32_t message;  // 0: the probe runs instead
    std::function<void()> probe = nullptr;
};
Point pointer{-100, -100};

std::vector<Act> script;
std::function<void()> check;  // after the script and the settling frames, before the quit
std::vector<uint32_t> picture;  // the frame presented before `check`
int settled = 0;

// Three passes per step: the pointer is placed, the motion message's pass hit-tests it, and the
// step's message is routed against that frame's hit test.
void hook(int peek) {
    if (peek < 2) return;
    const size_t step = size_t(peek - 2) / 3;
    const int phase = (peek - 2) % 3;
    if (step < script.size()) {
        const Act& a = script[step];
        if (!a.message) {
            if (phase == 2 && a.probe) a.probe();
            return;
        }
        if (phase == 0) {
            pointer = a.at();
            headless::setPointer(pointer.x, pointer.y);
        }
        if (phase == 1) headless::pushMessage(WM_MOUSEMOVE, 0, (pointer.y << 16) | pointer.x);
        if (phase == 2) headless::pushMessage(a.message, 0, 1);
        return;
    }
    if (settled == 0) headless::setPointer(-100, -100);
    if (++settled < kSettleFrames) return;
    if (const uint32_t* shown = headless::lastFrame()) picture.assign(shown, shown + kWidth * kHeight);
    if (check) check();
    app::quit = 1;
}

void probe(std::function<void()> f) { script.push_back({nullptr, 0, std::move(f)}); }
// Lets `frames` main-loop passes go by (a pass of the script runs one frame).
void wait(int frames) {
    for (int i = 0; i < (frames + 2) / 3; ++i) probe(nullptr);
}
void click(std::function<Point()> at) {
    script.push_back({at, WM_LBUTTONDOWN});
    script.push_back({at, WM_LBUTTONUP});
}

// The console's screen as lines of text.
std::string screen() {
    std::string text;
    char row[console::kColumns + 1];
    for (int r = 0; r < console::kRows; ++r) {
        console::rowText(r, row);
        text += row;
        text += '\n';
    }
    return text;
}

// Pixels of `colour` in the picture's rectangle [x0, x1) × [y0, y1).
int count(uint32_t colour, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += (picture[size_t(y) * kWidth + x] & 0xFFFFFFu) == colour;
    return n;
}

uint32_t rgb(int r, int g, int b) { return draw::packColour(draw::kXrgb8888, r, g, b); }

// The stars nearest to a point, the star at the point itself left out, worked out here the plain
// way over the whole catalogue.
std::vector<uint32_t> nearestStars(const Vector3& at, size_t n) {
    std::vector<std::pair<double, uint32_t>> all;
    Vector3 p;
    for (uint32_t id = 0; catalog::objectPosition(id, p); ++id) {
        const double d = std::sqrt(vmath::lengthSquared(p - at));
        if (d >= 1e-3) all.push_back({d, id});
    }
    std::partial_sort(all.begin(), all.begin() + n, all.end());
    std::vector<uint32_t> ids;
    for (size_t i = 0; i < n; ++i) ids.push_back(all[i].second);
    return ids;
}

class Plugins : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vyrex-plugins-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        // The staged program folder with a plugin folder of the test's own.
        for (const char* folder : {"data", "systems", "marker"})
            fs::create_directory_symlink(fs::path(VYREX_STAGE_DIR) / folder, fs::path(root) / folder);
        fs::create_directory(root + "/plugin");
        store::setLocation(root + "/config/vyrex.reg");
        headless::reset();
        headless::resetDisplay();
        headless::setDesktop(kWidth, kHeight);
        headless::setPeekHook(hook);
        script.clear();
        picture.clear();
        check = nullptr;
        settled = 0;
    }
    void TearDown() override {
        check = nullptr;
        script.clear();
        programfolder::cleanUpRun(root);
    }

    void stage(const std::string& file, const std::string& from = VYREX_STAGE_DIR "/plugin") {
        fs::copy_file(fs::path(from) / file, fs::path(root) / "plugin" / file);
    }
    void stageTestPlugin(const std::string& file) { stage(file, VYREX_TEST_PLUGINS_DIR); }
    void write(const std::string& file, const std::string& bytes) {
        std::ofstream(root + "/plugin/" + file, std::ios::binary) << bytes;
    }
    int run(const std::string& options = "") {
        return lifecycle::entry(("-c -f -d " + options + " -l" + root).c_str());
    }
    std::string log() {
        std::ifstream in(root + "/vyrex.log", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::string root;
};

TEST_F(Plugins, TheWhereCommandAnswersThroughTheConsole) {
    stage("where.so");
    std::string afterLock, afterName, listed;
    probe([&] {
        console::consoleExecute("camera lock 128ce");  // Sirius
        console::consoleExecute("where");
        afterLock = screen();
        char name[catalog::kNameSize];
        catalog::starName(0x128ce, name);
        console::consoleExecute((std::string("where ") + name).c_str());
        console::consoleExecute("where no such star");
        afterName = screen();
        console::consoleExecute("plugin con");
        listed = screen();
    });
    ASSERT_EQ(run(), 0);

    EXPECT_NE(afterLock.find("Camera at ("), std::string::npos) << afterLock;
    // Sirius lies 8.6 light years from the Sun, where the default camera stands.
    EXPECT_NE(afterLock.find(" is 8.6"), std::string::npos) << afterLock;
    EXPECT_NE(afterLock.find(" ly away."), std::string::npos) << afterLock;
    EXPECT_NE(afterName.find("No object is named 'no such star'."), std::string::npos) << afterName;
    EXPECT_NE(listed.find("Console plugin(s):\nwhere\n"), std::string::npos) << listed;

    const std::string text = log();
    EXPECT_NE(text.find("\r\n\tLoad Plugins:\r\n\t\tLoading " + root + "/plugin/where.so ...["), std::string::npos)
        << text;
    EXPECT_NE(text.find("|1]"), std::string::npos);
    // The shutdown took it out again.
    EXPECT_EQ(extensions::pluginCount(), 0);
    EXPECT_EQ(extensions::registrationCount(), 0);
}

TEST_F(Plugins, TheOverlayDrawsAJourneysProgressAndTheCompass) {
    stage("journey-overlay.so");
    double travelled = -1;
    int filled = 0, compass = 0, barTop = 0, compassBefore = 0;
    probe([] {
        console::consoleExecute("camera mode 0");
        console::consoleExecute("camera lock 128ce");
        console::consoleExecute("camera speed 0.05");  // 8.6 ly in about 170 frames
        console::consoleExecute("camera start");
    });
    wait(45);
    check = [&] {
        const CameraRecord& c = *camera::activeCamera();
        ASSERT_EQ(c.travelling, 1);
        Vector3 sirius;
        ASSERT_TRUE(catalog::objectPosition(0x128ce, sirius));
        const double left = std::sqrt(vmath::lengthSquared(sirius - c.IPos));
        travelled = 1.0 - left / std::sqrt(vmath::lengthSquared(sirius - camera::defaultRecord().IPos));
        const uint32_t blue = rgb(0, 160, 255);
        // The bar's outline along its top edge, and its filled part along a middle row.
        barTop = count(blue, 0, kHeight - 64, kWidth, kHeight - 63);
        filled = count(blue, kWidth / 4 + 1, kHeight - 60, 3 * kWidth / 4, kHeight - 59);
        compass = count(blue, kWidth - 70, 18, kWidth - 10, 78);
    };
    ASSERT_EQ(run(), 0);
    EXPECT_EQ(barTop, kWidth / 2 + 1);
    // The fill follows the distance left, to a pixel or two of the frame before.
    ASSERT_GT(travelled, 0.05);
    EXPECT_NEAR(filled, travelled * (kWidth / 2 - 4), 4.0);
    EXPECT_GT(compass, 100);

    // Without plug-ins (-p) nothing of it is drawn.
    TearDown();
    SetUp();
    stage("journey-overlay.so");
    check = [&] { compassBefore = count(rgb(0, 160, 255), kWidth - 70, 18, kWidth - 10, 78); };
    ASSERT_EQ(run("-p"), 0);
    EXPECT_EQ(compassBefore, 0);
    EXPECT_EQ(log().find("Load Plugins:"), std::string::npos);
}

TEST_F(Plugins, TheNearestStarsWindowIsInThePluginsPanelAndItsLinesLockStars) {
    stage("nearest-stars.so");
    zwindows::Node window = zwindows::kNoNode;
    int announced = 0, linkPixels = 0, lockedPixels = 0;
    std::string name;
    bool closedAtStart = false, shownByPanel = false;
    int32_t lockedFromSun = -1, lockedFromSirius = -1;
    std::vector<uint32_t> fromSun, fromSirius;
    zwindows::Rect list{}, client{};
    constexpr int kLine = 10, kTop = 3;  // the window's lines: pixels apart, and the first one's top

    probe([&] {
        announced = zwindows::announcementCount();
        window = zwindows::announcedWindow(0);
        name = zwindows::announcedName(0);
        closedAtStart = (zwindows::nodeFlags(window) & zwindows::kClosed) != 0;
        zwindows::showPanel(zwindows::kPluginsPanel);
        list = zwindows::clientRect(zwindows::firstChild(zwindows::panelWindow(zwindows::kPluginsPanel)));
        fromSun = nearestStars(camera::activeCamera()->IPos, 10);
    });
    wait(3);
    click([&] { return Point{list.x + 12, list.y + 4}; });  // the panel's first item
    wait(3);
    probe([&] {
        shownByPanel = (zwindows::nodeFlags(window) & zwindows::kClosed) == 0;
        client = zwindows::clientRect(window);
    });
    click([&] { return Point{client.x + 20, client.y + kTop + 2 * kLine + 4}; });  // the third line
    wait(3);
    probe([&] {
        lockedFromSun = camera::activeCamera()->lock;
        console::consoleExecute("camera Ipos o(128ce)");  // to Sirius: the list is made again
        fromSirius = nearestStars(camera::activeCamera()->IPos, 10);
    });
    wait(6);
    click([&] { return Point{client.x + 20, client.y + kTop + 4}; });  // the first line
    check = [&] {
        lockedFromSirius = camera::activeCamera()->lock;
        linkPixels = count(rgb(159, 0, 0), client.x, client.y, client.x + client.width, client.y + client.height);
        lockedPixels = count(rgb(0, 0, 159), client.x, client.y + kTop, client.x + client.width, client.y + kTop + 8);
    };
    ASSERT_EQ(run(), 0);

    EXPECT_EQ(announced, 1);
    EXPECT_EQ(name, "Nearest stars");
    EXPECT_TRUE(closedAtStart);
    EXPECT_TRUE(shownByPanel);
    ASSERT_EQ(fromSun.size(), 10u);
    EXPECT_EQ(lockedFromSun, int32_t(fromSun[2]));
    EXPECT_EQ(lockedFromSirius, int32_t(fromSirius[0]));
    EXPECT_NE(fromSun[0], fromSirius[0]);
    // Nine lines of red links and the locked star's line in blue.
    EXPECT_GT(linkPixels, 9 * 40);
    EXPECT_GT(lockedPixels, 40);
}

TEST_F(Plugins, BadPluginsAreSkippedWithTheirLogLinesAndLeaveNothingBehind) {
    for (const char* file : {"no-entry.so", "fails-init.so", "missing-symbol.so", "needs-newer.so", "old-table.so"})
        stageTestPlugin(file);
    stage("where.so");
    write("notes.so", "These are notes, not a library.\n");
    // A library for another machine: the example's bytes with the ELF machine field made AArch64.
    std::ifstream in(std::string(VYREX_STAGE_DIR) + "/plugin/where.so", std::ios::binary);
    std::string elf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(elf.size(), 20u);
    elf[18] = char(183);
    elf[19] = 0;
    write("wrong-machine.so", elf);

    std::string answers;
    int started = 0, failingClass = 0, announced = 0, records = 0;
    probe([&] {
        started = extensions::pluginCount();
        records = extensions::registrationCount();
        failingClass = zwindows::findClass("ZFAILING");
        announced = zwindows::announcementCount();
        console::consoleExecute("failing now");
        console::consoleExecute("oldtable");
        console::consoleExecute("plugin con");
        answers = screen();
    });
    wait(6);  // frames and moves that the failed plug-in had subscribed to
    probe([] { console::consoleExecute("camera Ipos p(1,2,3)"); });
    wait(3);
    ASSERT_EQ(run(), 0);

    const std::string text = log();
    const std::string folder = root + "/plugin/";
    EXPECT_NE(text.find("\r\n\t\tCan't load 'missing-symbol.so': "), std::string::npos) << text;
    EXPECT_NE(text.find("vyrexNoSuchFunction"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n\t\tCan't load 'notes.so': "), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n\t\tCan't load 'wrong-machine.so': "), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n\t\tLoading " + folder + "no-entry.so ...\r\n\t\tInvalid Plugin 'no-entry.so'."),
              std::string::npos) << text;
    EXPECT_NE(text.find("\r\n\t\tLoading " + folder + "fails-init.so ...\r\n\t\tPlugin Fail to init 'fails-init.so'."),
              std::string::npos) << text;
    EXPECT_NE(text.find("\r\n\t\tLoading " + folder + "needs-newer.so ...\r\n\t\tPlugin Fail to init 'needs-newer.so'."),
              std::string::npos) << text;
    EXPECT_NE(text.find("\r\n\t\tLoading " + folder + "old-table.so ...["), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n\t\tLoading " + folder + "where.so ...["), std::string::npos) << text;

    // The two good ones run; of the failed one nothing is left: no command, class, window or
    // announcement, and only the good ones' objects and commands are recorded.
    EXPECT_EQ(started, 2);
    EXPECT_EQ(records, 4);
    EXPECT_EQ(failingClass, -1);
    EXPECT_EQ(announced, 0);
    EXPECT_NE(answers.find("failing now ?"), std::string::npos) << answers;
    EXPECT_NE(answers.find("An older plug-in, a table of 608 bytes."), std::string::npos) << answers;
    EXPECT_NE(answers.find("Console plugin(s):\noldtable\nwhere\n"), std::string::npos) << answers;
    EXPECT_EQ(extensions::registrationCount(), 0);
}

TEST_F(Plugins, MinusPLoadsNoneAndAnEmptyFolderOnlyTheHeading) {
    stage("where.so");
    std::string answer;
    probe([&] {
        console::consoleExecute("where");
        answer = screen();
    });
    ASSERT_EQ(run("-p"), 0);
    EXPECT_NE(answer.find("where ?"), std::string::npos) << answer;
    EXPECT_EQ(log().find("Plugin"), std::string::npos);

    TearDown();
    SetUp();
    ASSERT_EQ(run(), 0);
    const std::string text = log();
    const size_t heading = text.find("\r\n\tLoad Plugins:");
    ASSERT_NE(heading, std::string::npos) << text;
    // The next log line after the heading is no longer a plug-in's (one tab, not two).
    const size_t next = text.find("\r\n\t", heading + 16);
    ASSERT_NE(next, std::string::npos);
    EXPECT_NE(text[next + 3], '\t') << text;
}

}  // namespace
