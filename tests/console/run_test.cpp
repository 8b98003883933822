// The console in whole runs on the headless backend: F12 slides it in over the scene and takes the
// keyboard, typed lines run, a macro bound and saved in one run is run with Ctrl+key in the next,
// the B key's setting and a saved camera survive the restart, and a missing font ends the start.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "console/console.h"
#include "base/app.h"
#include "program/lifecycle.h"
#include "base/settings.h"
#include "navigation/camera_edit.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_display.h"
#include "platform/store.h"
#include "support/packwriter.h"
#include "support/programfolder.h"
#include "support/synthcatalog.h"

namespace {

using platform::Message;

void type(std::vector<Message>& script, const std::string& text) {
    for (char c : text) script.push_back({platform::WM_CHAR, static_cast<uintptr_t>(static_cast<unsigned char>(c)), 1});
}
void key(std::vector<Message>& script, int vk) { script.push_back({platform::WM_KEYDOWN, static_cast<uintptr_t>(vk), 1}); }
void keyUp(std::vector<Message>& script, int vk) { script.push_back({platform::WM_KEYUP, static_cast<uintptr_t>(vk), 1}); }

// What the frame check saw at its pass.
struct Seen {
    uint32_t top = 0, line = 0, below = 0;
    int greenInText = 0;
    int flagsWhileOpen = -1;
} seen;

std::vector<Message> script;
int checkAtPeek = 0;

class ConsoleRun : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vyrex-console-run-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        program = root + "/program";
        std::filesystem::create_directories(program + "/data");
        // A catalogue of one star, so that the run needs nothing beyond what the test gives it.
        sky.addStar({10, 0, 0}, 1.0, 0.6, 0, synth::hipCode(1));
        ASSERT_EQ(packwriter::writeBytes(program + "/data/catalog.vfs",
                                         packwriter::buildOrDie(programfolder::catalogueFiles(sky.files()))),
                  "");
        store::setLocation(root + "/config/vyrex.reg");
        lifecycle::fatalWaitMilliseconds = 0;
        seen = Seen{};
        script.clear();
        checkAtPeek = 0;
    }
    void TearDown() override { programfolder::cleanUpRun(root); }

    void writeProgramPack(bool withFont) {
        ASSERT_EQ(packwriter::writeBytes(program + "/data/vyrex2.vfs",
                                         packwriter::buildOrDie(programfolder::startupFiles(withFont))),
                  "");
    }

    // One run: F12 at the first pass, the frame check at `checkAtPeek`, then the script.
    int run() {
        headless::reset();
        headless::setPeekHook([](int peek) {
            if (peek == 1) headless::pushMessage(platform::WM_KEYDOWN, platform::VK_F12, 1);
            // A run whose script failed to end it is closed rather than left running.
            if (peek == 5000) headless::pushMessage(platform::WM_CLOSE);
            if (peek != checkAtPeek) return;
            // Away from the top-left corner, where the mouse pointer is drawn.
            seen.top = headless::lastFramePixel(600, 2);
            seen.line = headless::lastFramePixel(600, 136);
            seen.below = headless::lastFramePixel(600, 140);
            for (int y = 0; y < 128; ++y)
                for (int x = 12; x < 12 + 6 * 80; ++x) seen.greenInText += headless::lastFramePixel(x, y) == 0x00FF00u;
            for (const Message& m : script) headless::pushMessage(m);
        });
        lifecycle::setExitFunction([](int) {});
        return lifecycle::entry(("-c -l" + program).c_str());
    }

    static std::vector<std::string> screenRows() {
        std::vector<std::string> rows;
        char row[console::kColumns + 1];
        for (int r = 0; r < console::kRows; ++r) {
            console::rowText(r, row);
            rows.push_back(row);
        }
        return rows;
    }
    static bool onScreen(const std::string& text) {
        for (const std::string& row : screenRows())
            if (row == text) return true;
        return false;
    }

    std::string root, program;
    synth::SynthCatalog sky;
};

TEST_F(ConsoleRun, TheConsoleTakesTheKeyboardAndMacrosAndSettingsSurviveARestart) {
    writeProgramPack(true);
    // First run: the console opens with F12 and slides down over 17 frames.
    checkAtPeek = 20;
    type(script, "show ver\r");
    type(script, "labels off\r");
    key(script, 'A');  // typed while the console has the keyboard: the scene sees no key
    key(script, 'G');
    type(script, "camera lock f8fc\r");
    key(script, platform::VK_F12);  // closes the console; keys reach the scene again
    key(script, 'B');               // toggles LSmagDiam
    // F12 reopens the console once it has slid up: while it closes it is still on screen.
    for (int i = 0; i < console::kSlideSteps; ++i) script.push_back({platform::WM_PAINT, 0, 0});
    key(script, platform::VK_F12);
    type(script, "macros bind a camera lock 2a;labels on\r");
    type(script, "macros save\r");
    type(script, "camera zoom 3\r");
    type(script, "camera save\r");
    type(script, "exit\r");
    run();
    EXPECT_TRUE(headless::messageBoxes().empty());

    EXPECT_EQ(seen.top, 0x00003Fu) << "the panel's background";
    EXPECT_EQ(seen.line, 0x00FFFFFFu) << "the white line under the open panel";
    EXPECT_NE(seen.below, 0x00003Fu);
    EXPECT_GT(seen.greenInText, 0) << "the prompt is drawn";

    EXPECT_TRUE(onScreen(">show ver"));
    EXPECT_TRUE(onScreen("Vyrex, Version 2.00 [Build 18]"));
    EXPECT_TRUE(onScreen(">exit"));
    const CameraRecord& c = camera::editActive();
    EXPECT_EQ(c.flags & (camera::kFlagLabels | camera::kFlagGalaxy), camera::kDefaultFlags & camera::kFlagGalaxy)
        << "labels off from the console; A and G never reached the scene";
    EXPECT_EQ(c.lock, 0xf8fc);
    uint32_t magDiam = 99;
    const std::string rootKey = std::string(app::registryRoot);
    EXPECT_TRUE(store::readDword(store::HKEY_LOCAL_MACHINE, rootKey + "\\settings", "LSmagDiam", magDiam));
    EXPECT_EQ(magDiam, 0u) << "B toggled it and the shutdown stored it";
    std::string macro;
    EXPECT_TRUE(store::readString(store::HKEY_LOCAL_MACHINE, rootKey + "\\macros", "M41", macro));
    EXPECT_EQ(macro, "camera lock 2a;labels on");

    // Second run: Ctrl+A runs the stored macro; the saved camera and the setting are back.
    script.clear();
    checkAtPeek = 2;
    key(script, platform::VK_F12);  // close the console again first
    key(script, platform::VK_CONTROL);
    key(script, 'A');
    keyUp(script, 'A');
    keyUp(script, platform::VK_CONTROL);
    key(script, platform::VK_ESCAPE);
    script.push_back({platform::WM_KEYUP, platform::VK_ESCAPE, 1});
    run();
    EXPECT_TRUE(headless::messageBoxes().empty());
    const CameraRecord& again = camera::editActive();
    EXPECT_EQ(again.lock, 0x2a);
    EXPECT_NE(again.flags & camera::kFlagLabels, 0u);
    EXPECT_EQ(again.zoom, 3.0);
    EXPECT_EQ(settings::LSmagDiam, 0);
}

TEST_F(ConsoleRun, AMissingFontEndsTheStart) {
    writeProgramPack(false);
    int code = -1;
    static int exitCode;
    exitCode = -1;
    headless::reset();
    lifecycle::setExitFunction([](int c) { exitCode = c; });
    code = lifecycle::entry(("-c -l" + program).c_str());
    EXPECT_EQ(code, 1);
    EXPECT_EQ(exitCode, 1);
    ASSERT_EQ(headless::messageBoxes().size(), 1u);
    EXPECT_EQ(headless::messageBoxes()[0].caption, "Vyrex Fatal Error");
    EXPECT_EQ(headless::messageBoxes()[0].text, "Can't init console.");
}

}  // namespace
