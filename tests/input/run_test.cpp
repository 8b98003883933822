// Input inside a whole run on the headless backend: the event types exist when the loop starts,
// every pass polls the pointer, keys act through the window procedure, and Escape ends the run
// with the settings saved.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/app.h"
#include "program/input.h"
#include "program/lifecycle.h"
#include "base/zode.h"
#include "platform/headless/headless.h"
#include "platform/store.h"
#include "support/packwriter.h"
#include "support/programfolder.h"
#include "support/synthcatalog.h"

namespace {

struct RunSeen {
    int pointerEvents = 0;
    int lastX = -1, lastY = -1;
    int keys = 0;
    int quitWhenEscapeSeen = -1;
    int subscribed = 0;
} runSeen;

int32_t watch(zode::Message* m) {
    if (m->code == zode::kEventPointer) {
        ++runSeen.pointerEvents;
        runSeen.lastX = static_cast<int>(m->a1);
        runSeen.lastY = static_cast<int>(m->a2);
    } else if (m->code == zode::kEventKey) {
        ++runSeen.keys;
        if (m->a1 == platform::VK_ESCAPE) runSeen.quitWhenEscapeSeen = app::quit;
    }
    return 1;
}

TEST(InputRun, KeysActInTheLoopAndEscapeEndsItWithTheSettingsSaved) {
    char pattern[] = "/tmp/vyrex-input-run-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string root = pattern;
    const std::string program = root + "/program";
    std::filesystem::create_directories(program + "/data");
    // A catalogue of one star, so that the run needs nothing beyond what the test gives it.
    synth::SynthCatalog sky;
    sky.addStar({10, 0, 0}, 1.0, 0.6, 0, synth::hipCode(1));
    ASSERT_EQ(packwriter::writeBytes(program + "/data/catalog.vfs",
                                     packwriter::buildOrDie(programfolder::catalogueFiles(sky.files()))),
              "");
    ASSERT_EQ(packwriter::writeBytes(program + "/data/vyrex2.vfs", packwriter::buildOrDie(programfolder::startupFiles())),
              "");
    store::setLocation(root + "/config/vyrex.reg");
    headless::reset();
    runSeen = RunSeen{};

    headless::setPeekHook([](int peek) {
        if (peek == 1) {
            // Input started before the loop: its event types take subscriptions.
            zode::Request r{0, reinterpret_cast<const void*>(&watch), zode::kDirect, nullptr};
            const int object = zode::registerObject(&r);
            runSeen.subscribed = zode::subscribe(zode::kEventPointer, object) +
                                 zode::subscribe(zode::kEventKey, object);
            headless::setPointer(321, 123);
            headless::pushMessage(platform::WM_KEYDOWN, 'B', 1);
        }
        if (peek == 4) headless::pushMessage(platform::WM_KEYDOWN, platform::VK_ESCAPE, 1);
    });
    lifecycle::fatalWaitMilliseconds = 0;
    lifecycle::setExitFunction([](int) { ADD_FAILURE() << "fatal exit"; });
    // Escape ends the program normally: exit code 0, not the key's code.
    EXPECT_EQ(lifecycle::entry(("-c -l" + program).c_str()), 0);
    lifecycle::setExitFunction(nullptr);
    lifecycle::fatalWaitMilliseconds = 2000;

    EXPECT_EQ(runSeen.subscribed, 2);
    EXPECT_EQ(runSeen.keys, 2);
    EXPECT_EQ(runSeen.quitWhenEscapeSeen, 1);
    // Passes 2 to 4 (the pass of the Escape included) polled after the observer subscribed.
    EXPECT_EQ(runSeen.pointerEvents, 3);
    EXPECT_EQ(runSeen.lastX, 321);
    EXPECT_EQ(runSeen.lastY, 123);
    EXPECT_EQ(headless::messageBoxes().size(), 0u);

    uint32_t stored = 99;
    EXPECT_TRUE(store::readDword(store::HKEY_LOCAL_MACHINE,
                                 std::string(app::registryRoot) + "\\settings", "LSmagDiam", stored));
    EXPECT_EQ(stored, 0u) << "B toggled it and the shutdown saved it";

    lifecycle::resetProcessState();
    headless::reset();
    store::setLocation("");
    std::filesystem::remove_all(root);
}

}  // namespace
