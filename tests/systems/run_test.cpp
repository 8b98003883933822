// Whole runs of the program on the headless backend over the staged program folder, scripted
// frame by frame through the console: journeys to the Earth and to Saturn compared with their
// golden images, the clock's console word, the body count of the render status, and the log.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "base/app.h"
#include "base/zode.h"
#include "console/console.h"
#include "navigation/camera.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_display.h"
#include "platform/store.h"
#include "program/lifecycle.h"
#include "support/golden.h"
#include "support/programfolder.h"
#include "systems/system.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;

// What to do at which frame: console lines, or a check.
std::map<int, std::function<void()>> script;
int frames = 0, lastFrame = 0;
std::vector<uint32_t> picture;

int32_t onFrame(zode::Message* m) {
    if (m->code != zode::kEventFrame) return 0;
    ++frames;
    const auto it = script.find(frames);
    if (it != script.end()) it->second();
    if (frames > lastFrame) {
        const uint32_t* shown = headless::lastFrame();
        if (shown) picture.assign(shown, shown + kWidth * kHeight);
        app::quit = 1;
    }
    return 0;
}

void run(const char* line) { console::consoleExecute(line); }

class SystemRun : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vyrex-systems-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        store::setLocation(root + "/config/vyrex.reg");
        headless::reset();
        headless::resetDisplay();
        headless::setDesktop(kWidth, kHeight);
        frames = 0;
        picture.clear();
        headless::setPeekHook([](int peek) {
            if (peek != 1) return;
            zode::Request r{0, reinterpret_cast<const void*>(&onFrame), zode::kDirect, nullptr};
            zode::subscribe(zode::kEventFrame, zode::registerObject(&r));
        });
        headless::setPointer(-100, -100);
    }
    void TearDown() override {
        script.clear();
        programfolder::cleanUpRun(root);
    }

    // Runs the staged program with its cameras reset until frame `last`, then keeps that frame.
    // No plug-ins (-p): the examples staged beside the program draw over the frame.
    void runTo(int last, const char* options = "-c -f -g -p -l") {
        lastFrame = last;
        ASSERT_EQ(lifecycle::entry((std::string(options) + VYREX_STAGE_DIR).c_str()), 0);
        ASSERT_EQ(picture.size(), static_cast<size_t>(kWidth * kHeight));
    }

    std::string root;
};

// The first frame enters the Sun's system at the default camera's clock (1 day after J2000);
// from the second the bodies answer, so the journey is started then.
void journeyTo(const char* id) {
    script[2] = [id] {
        run((std::string("camera lock ") + id).c_str());
        run((std::string("camera vlock ") + id).c_str());
        run("camera sspeed 1e12");  // one step: arrival the frame after
        run("camera start");
    };
}

TEST_F(SystemRun, TheEarthSixRadiiOut) {
    journeyTo("2000300");
    runTo(24);
    EXPECT_EQ(camera::activeCamera()->lock, 0x2000300);
    EXPECT_EQ(golden::compareFrame(picture.data(), kWidth, kHeight, "earth"), "");
}

TEST_F(SystemRun, SaturnAndItsRings) {
    journeyTo("2000600");
    script[3] = [] { run("labels on"); };
    runTo(24);
    EXPECT_EQ(golden::compareFrame(picture.data(), kWidth, kHeight, "saturn"), "");
}

TEST_F(SystemRun, TheClockWordAndTheBodyCount) {
    static double before = 0, after = 0;
    static int bodies = -1;
    static std::string status;
    script[3] = [] {
        before = camera::activeCamera()->systemTime;
        run("ssys time 365.25");
        after = camera::activeCamera()->systemTime;
        run("ssys time nonsense");  // reads as 0: no step
        run("show rstat");
        bodies = systems::objectCount();
        char row[console::kColumns + 1];
        status.clear();
        for (int r = 0; r < console::kRows; ++r) {
            console::rowText(r, row);
            status += std::string(row) + "\n";
        }
    };
    runTo(4);
    EXPECT_DOUBLE_EQ(before, 1.0);  // the default camera's clock
    EXPECT_DOUBLE_EQ(after, 366.25);
    EXPECT_DOUBLE_EQ(camera::activeCamera()->systemTime, 366.25);
    EXPECT_GT(bodies, 20);  // the Sun, its planets, their moons and Saturn's rings
    EXPECT_NE(status.find("bodyList:"), std::string::npos) << status;
    EXPECT_EQ(status.find("bodyList:0 "), std::string::npos) << status;
}

TEST_F(SystemRun, TheLogNamesTheFilesRead) {
    runTo(2, "-c -f -g -p -d -l");
    std::ifstream log(std::string(VYREX_STAGE_DIR) + "/vyrex.log", std::ios::binary);
    std::stringstream text;
    text << log.rdbuf();
    const std::string s = text.str();
    const size_t heading = s.rfind("\tLoad Star Systems:");
    ASSERT_NE(heading, std::string::npos);
    EXPECT_NE(s.find("\t\tloading " + std::string(VYREX_STAGE_DIR) + "/systems/exoplanets.ssd ...", heading),
              std::string::npos);
    // The two Solar System files are read first and without a line of their own.
    EXPECT_EQ(s.find("solar.ssd ...", heading), std::string::npos);
}

}  // namespace
