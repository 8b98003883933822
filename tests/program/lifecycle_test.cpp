// Whole runs of the program on the headless backend: start-up, frames, closing the window,
// shutdown order and exit codes, and the fatal path.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/app.h"
#include "base/log.h"
#include "base/settings.h"
#include "base/zode.h"
#include "platform/headless/headless.h"
#include "platform/posix/store_internal.h"
#include "platform/store.h"
#include "program/lifecycle.h"
#include "support/packwriter.h"
#include "support/programfolder.h"
#include "vfs/vfs.h"

namespace {

int exitCode = -1;
int exits = 0;
void recordExit(int code) {
    exitCode = code;
    ++exits;
}

// What the frame counter saw.
int frames = 0;
int closeAfter = 0;      // push WM_CLOSE after this many frames
int deactivateAfter = 0; // clear the active flag after this many frames
int quitAfter = 0;       // set the quit flag after this many frames
std::vector<std::string> shutdownSeen;

int32_t frameCounter(zode::Message* m) {
    if (m->code == zode::kEventFrame) {
        ++frames;
        if (frames == closeAfter) headless::pushMessage(platform::WM_CLOSE);
        if (frames == deactivateAfter) app::active = 0;
        if (frames == quitAfter) app::quit = 1;
    } else if (m->code == zode::kDestroy) {
        // The shutdown undoes the start-up backwards: the bus stops after the packs close and
        // the window (made after the bus) is gone, before the log closes.
        size_t size = 0;
        shutdownSeen.push_back(vfs::loadFile("readme.txt", &size) ? "packs open" : "packs closed");
        shutdownSeen.push_back(logc::channelKind(1) != 0 ? "log open" : "log closed");
        shutdownSeen.push_back(headless::windowOpen() ? "window open" : "window gone");
    }
    return 0;
}

class Lifecycle : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vyrex-life-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        std::filesystem::create_directory(root + "/program");
        store::setLocation(root + "/config/vyrex.reg");
        headless::reset();
        lifecycle::fatalWaitMilliseconds = 0;
        lifecycle::setExitFunction(recordExit);
        exitCode = -1;
        exits = 0;
        frames = closeAfter = deactivateAfter = quitAfter = 0;
        shutdownSeen.clear();
        countFrames();
    }

    // Once the start-up is done (first pass of the loop), count the frame events.
    static void countFrames() {
        headless::setPeekHook([](int peek) {
            if (peek != 1) return;
            zode::createEventType(zode::kEventFrame);
            zode::Request r{0, reinterpret_cast<const void*>(&frameCounter), zode::kDirect, nullptr};
            int object = zode::registerObject(&r);
            zode::subscribe(zode::kEventFrame, object);
        });
    }
    void TearDown() override { programfolder::cleanUpRun(root); }

    std::string program() const { return root + "/program"; }

    void stagePacks() {
        std::filesystem::create_directory(program() + "/data");
        // The start-up's own files from the shipped ones, and one more that shutdown looks for.
        std::vector<packwriter::MemoryFile> files = programfolder::startupFiles();
        files.push_back({"readme.txt", "packed"});
        auto pack = packwriter::buildOrDie(files);
        ASSERT_EQ(packwriter::writeBytes(program() + "/data/vyrex2.vfs", pack), "");
        ASSERT_EQ(packwriter::writeBytes(program() + "/data/catalog.vfs", packwriter::buildOrDie(programfolder::shippedCatalogue())),
                  "");
    }

    int run(const std::string& options) { return lifecycle::entry(("-c -l" + program() + " " + options).c_str()); }

    std::string logText() const {
        std::ifstream in(program() + "/vyrex.log", std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::string root;
};

TEST_F(Lifecycle, ClosingTheWindowEndsTheRunWithCodeZero) {
    stagePacks();
    closeAfter = 5;
    EXPECT_EQ(run("-d"), 0);
    // Frame 5 asks to close; the close and the destroy are each taken in a pass that still
    // produces a frame, and the pass that takes WM_QUIT ends the loop at once.
    EXPECT_EQ(frames, 7);
    EXPECT_EQ(headless::windowsCreated(), 1);
    EXPECT_EQ(headless::windowTitle(), "Vyrex");
    EXPECT_TRUE(headless::windowClosed());
    EXPECT_FALSE(headless::windowOpen());
    EXPECT_EQ(headless::messageBoxes().size(), 0u);
    EXPECT_EQ(exits, 0);
    EXPECT_EQ(shutdownSeen, (std::vector<std::string>{"packs closed", "log open", "window gone"}));
    EXPECT_FALSE(zode::started());
    EXPECT_EQ(logc::channelKind(1), 0);

    // The log holds the header, then the subsystems' start-up lines.
    std::string log = logText();
    EXPECT_EQ(log.rfind("\r\n*****************************************************\r\n* Build: [0018|", 0), 0u);
    size_t path = log.find("\r\n\tPATH:" + program());
    ASSERT_NE(path, std::string::npos);
    EXPECT_NE(log.find("\r\n\tInit VFS:", path), std::string::npos);
    // A fresh store is a first run, which resets the cameras.
    EXPECT_NE(log.find("\r\n\tStart mode: DB1  SRV0  GUI1  CNF0  PLG1  RST1"), std::string::npos);
}

TEST_F(Lifecycle, RunsAppendToTheLogAndWriteNothingWithoutIt) {
    stagePacks();
    closeAfter = 1;
    EXPECT_EQ(run(""), 0);
    EXPECT_FALSE(std::filesystem::exists(program() + "/vyrex.log"));
    EXPECT_EQ(frames, 3);

    closeAfter = 1;
    frames = 0;
    headless::reset();
    countFrames();
    EXPECT_EQ(run("-d"), 0);
    size_t first = logText().size();
    frames = 0;
    headless::reset();
    countFrames();
    EXPECT_EQ(run("-d"), 0);
    std::string log = logText();
    EXPECT_GT(log.size(), first);
    EXPECT_EQ(log.find("* Bug Report", first) != std::string::npos, true);  // second header appended
}

TEST_F(Lifecycle, TheQuitFlagEndsTheLoopAfterItsPass) {
    stagePacks();
    quitAfter = 4;
    EXPECT_EQ(run(""), 0);
    EXPECT_EQ(frames, 4);
    EXPECT_FALSE(headless::windowOpen());
    EXPECT_EQ(shutdownSeen.size(), 3u);
}

TEST_F(Lifecycle, AnInactiveProgramWaitsForMessagesAndMakesNoFrames) {
    stagePacks();
    deactivateAfter = 3;
    static int idle = 0;
    idle = 0;
    headless::setIdleHook([] {
        // The program sleeps in the wait; a message wakes it, and a close ends it.
        if (++idle == 2) headless::pushMessage(platform::WM_CLOSE);
    });
    EXPECT_EQ(run("-g"), 0);
    EXPECT_EQ(frames, 3);
    EXPECT_GE(headless::waitCount(), 2);
    EXPECT_EQ(app::guiVisible, 0);  // copied from -g when the loop started
}

TEST_F(Lifecycle, AMissingPackEndsTheProgramThroughTheFatalPath) {
    closeAfter = 1;
    EXPECT_EQ(run("-d"), 1);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(exitCode, 1);
    ASSERT_EQ(headless::messageBoxes().size(), 1u);
    EXPECT_EQ(headless::messageBoxes()[0].caption, "Vyrex Fatal Error");
    EXPECT_EQ(headless::messageBoxes()[0].text, "Can't init or load VFS packs.");
    EXPECT_EQ(frames, 0);
    EXPECT_EQ(headless::peekCount(), 0);  // the loop never ran
    // The whole shutdown ran before the box.
    EXPECT_FALSE(headless::windowOpen());
    EXPECT_FALSE(zode::started());
    EXPECT_EQ(logc::channelKind(1), 0);

    std::string log = logText();
    EXPECT_NE(log.find("\r\n*** Exit in error (2:'Can't init or load VFS packs.') ***"
                       "\r\n*** Snap Shot *****************************"
                       "\n\n\tCamera number:0"
                       "\n\n\tCamera size:000001C8"),
              std::string::npos)
        << log;
}

TEST_F(Lifecycle, AWindowThatCannotBeCreatedShowsBothBoxes) {
    stagePacks();
    headless::failWindowCreation(true);
    EXPECT_EQ(run(""), 1);
    EXPECT_EQ(exitCode, 1);
    ASSERT_EQ(headless::messageBoxes().size(), 2u);
    EXPECT_EQ(headless::messageBoxes()[0].text, "Can't create back window.");
    EXPECT_EQ(headless::messageBoxes()[1].caption, "Vyrex Fatal Error");
    EXPECT_EQ(headless::messageBoxes()[1].text, "Can't init background window.");
    EXPECT_FALSE(zode::started());
}

TEST_F(Lifecycle, AStoreThatCouldNotBeReadIsReportedOnceTheLogIsOpen) {
    stagePacks();
    std::filesystem::create_directories(root + "/config");
    std::ofstream(root + "/config/vyrex.reg", std::ios::binary) << "not a store at all\n";
    store::detail::unload();
    quitAfter = 1;
    EXPECT_EQ(run("-d"), 0);
    const std::string log = logText();
    const size_t header = log.find("\r\n\tPATH:");
    const size_t report = log.find("\r\n\tStore: line 1 of " + root + "/config/vyrex.reg: ");
    ASSERT_NE(report, std::string::npos) << log;
    EXPECT_GT(report, header) << "after the header, as soon as the log is there";
    EXPECT_NE(log.find("moved aside to " + root + "/config/vyrex.reg.bad-", report), std::string::npos);
    EXPECT_EQ(log.find("\r\n\tStore:", report + 1), std::string::npos) << "said once";
}

TEST_F(Lifecycle, TheAutomaticDisplayModeStaysAutomaticInTheStore) {
    stagePacks();
    quitAfter = 1;
    EXPECT_EQ(run(""), 0);
    uint32_t stored = 0;
    ASSERT_TRUE(store::readDword(store::HKEY_LOCAL_MACHINE, std::string(app::registryRoot) + "\\startup",
                                 "VIDdefault", stored));
    EXPECT_EQ(stored, 0xFFFFFFFFu) << "-1, not the index chosen for this display";
    EXPECT_EQ(settings::VIDdefault, -1);
}

TEST_F(Lifecycle, WarningsUseTheirOwnCaption) {
    lifecycle::resetProcessState();
    lifecycle::fatalExit(1, "Careful.");
    ASSERT_EQ(headless::messageBoxes().size(), 1u);
    EXPECT_EQ(headless::messageBoxes()[0].caption, "Vyrex Warning");
    EXPECT_EQ(headless::messageBoxes()[0].text, "Careful.");
    EXPECT_EQ(exitCode, 1);
}

TEST_F(Lifecycle, TheExitCodeIsTheQuitMessageCode) {
    stagePacks();
    headless::setIdleHook(nullptr);
    headless::pushMessage(platform::WM_PAINT);
    headless::pushMessage(platform::WM_QUIT, 3);
    EXPECT_EQ(run(""), 3);
    EXPECT_EQ(frames, 1);  // the pass of WM_PAINT; the WM_QUIT pass makes no frame
    EXPECT_EQ(headless::dispatchCount(), 1);
}

}  // namespace
