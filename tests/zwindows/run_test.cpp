// Whole runs of the program on the headless backend over the staged program folder, with a
// window of every widget made once the start-up is done and worked by scripted pointer and key
// messages as a user's would arrive: the frames, the routing and the keyboard of the real main
// loop, and the scene that does not lock a star through a window.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/app.h"
#include "base/input_state.h"
#include "base/zode.h"
#include "console/console.h"
#include "navigation/camera.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_display.h"
#include "platform/store.h"
#include "program/lifecycle.h"
#include "support/golden.h"
#include "support/packwriter.h"
#include "support/programfolder.h"
#include "zwindows/viewer.h"
#include "zwindows/widgets.h"
#include "zwindows/zwindows.h"

namespace {

using namespace zwindows;
using platform::WM_CHAR;
using platform::WM_LBUTTONDOWN;
using platform::WM_LBUTTONUP;
using platform::WM_MOUSEMOVE;

constexpr int kWidth = 640, kHeight = 480;
constexpr int kSettleFrames = 20;  // after the script, for the lock highlight to shrink

// One step of the user: the pointer goes to (x, y) (a motion message), then `message` follows.
struct Act {
    int x, y;
    uint32_t message;  // 0: no message, the probe runs instead
    uintptr_t wParam = 0;
    std::function<void()> probe = nullptr;
};

std::function<void()> arrange;  // at the first pass: the windows
std::function<void()> check;    // once the script is done and the frames settled, before the quit
std::vector<Act> script;
int settled = 0;
std::vector<uint32_t> picture;

// The script takes three passes per step: the pointer is placed, the motion message's pass polls
// and hit-tests it, and the step's message is routed against that frame's hit test.
void hook(int peek) {
    if (peek == 1) {
        if (arrange) arrange();
        return;
    }
    const size_t step = size_t(peek - 2) / 3;
    const int phase = (peek - 2) % 3;
    if (step < script.size()) {
        const Act& a = script[step];
        if (phase == 0) headless::setPointer(a.x, a.y);
        if (phase == 1) headless::pushMessage(WM_MOUSEMOVE, 0, (a.y << 16) | a.x);
        if (phase == 2 && a.probe) a.probe();
        if (phase == 2 && a.message && a.message != WM_MOUSEMOVE) headless::pushMessage(a.message, a.wParam, 1);
        return;
    }
    if (settled == 0) headless::setPointer(-100, -100);  // the pointer out of the picture
    if (++settled < kSettleFrames) return;
    if (const uint32_t* shown = headless::lastFrame()) picture.assign(shown, shown + kWidth * kHeight);
    if (check) check();
    app::quit = 1;
}

// What the window's own object heard from its widgets.
std::vector<std::pair<Node, intptr_t>> notified;
int32_t formProc(zode::Message* m) {
    if (m->code == kNotify) notified.push_back({static_cast<Node>(m->a1), m->a2});
    return 1;
}

class Run : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vyrex-zwrun-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        store::setLocation(root + "/config/vyrex.reg");
        headless::reset();
        headless::resetDisplay();
        headless::setDesktop(kWidth, kHeight);
        headless::setPeekHook(hook);
        script.clear();
        notified.clear();
        picture.clear();
        settled = 0;
    }
    void TearDown() override {
        arrange = nullptr;
        check = nullptr;
        programfolder::cleanUpRun(root);
    }
    // No plug-ins (-p): the staged examples' windows and overlay are not part of these pictures.
    static int run() { return lifecycle::entry((std::string("-c -f -p -l") + VYREX_STAGE_DIR).c_str()); }
    static void type(const std::string& text) {
        for (char c : text) script.push_back({0, 0, WM_CHAR, static_cast<unsigned char>(c)});
    }
    static void click(int x, int y) {
        script.push_back({x, y, WM_LBUTTONDOWN});
        script.push_back({x, y, WM_LBUTTONUP});
    }
    std::string root;
};

struct Form {
    Node window, check, edit, list, html;
};
Form form;

TEST_F(Run, AWindowOfEveryWidgetIsDraggedClickedTypedIntoAndScrolled) {
    arrange = [] {
        const zode::Request r{0, reinterpret_cast<const void*>(&formProc), zode::kDirect, nullptr};
        registerClass("ZDEMO", r);
        form.window = createNode(kNoNode, "ZDEMO", "Every widget", 40, 40, 300, 240,
                                 kTitleBar | kFramed | kFilled | kVisible);
        createNode(form.window, "BUTTON", "Load", 4, 4, 48, 16, kVisible | kFilled);
        form.check = createNode(form.window, "CHECK", "Show stars", 60, 6, 90, 12, kVisible | kFilled);
        // As a panel lays out a group: the frame, a node of the panel's class inside it that hears
        // the widgets, and the widgets in that.
        const Node group = createNode(form.window, "GROUP", "Stars", 4, 24, 140, 34, kVisible);
        const Node content = createNode(group, "ZDEMO", "", 4, 10, 130, 20, kVisible);
        form.edit = createNode(content, "EDIT", "mag:", 0, 4, 120, 12, kVisible | kFilled);
        form.list = createNode(form.window, "LIST", "", 4, 62, 140, 60, kVisible | kFilled);
        // The shipped marker files: twelve items in seven rows.
        for (const char* name : {"bayer-family.map", "galaxy.map", "heavenly-waters.map", "hercules-family-1.map",
                                 "hercules-family-2.map", "la-caille-family.map", "nearest.map",
                                 "orion-family.map", "perseus-family.map", "ursa-major-family.map", "zodiac-1.map",
                                 "zodiac-2.map"})
            zode::send(nodeHandler(form.list), kListAdd, -1, reinterpret_cast<intptr_t>(name), 0);
        form.html = createNode(form.window, "HTML", "", 150, 24, 144, 196, kVisible | kFilled);
        zode::send(nodeHandler(form.html), kHtmlOpen, reinterpret_cast<intptr_t>("@f8fc"));  // the Sun's note
        console::consoleExecute("camera mode 0");
    };
    // Drag by the title bar from (60, 45) to (160, 85): the window moves by (100, 40).
    script.push_back({60, 45, WM_LBUTTONDOWN});
    for (int i = 1; i <= 5; ++i) script.push_back({60 + 20 * i, 45 + 8 * i, WM_MOUSEMOVE});
    script.push_back({160, 85, WM_LBUTTONUP});
    // The window's client area is now at (141, 96).
    click(141 + 62, 96 + 12);  // the check box
    click(141 + 8 + 40, 96 + 38 + 6);  // the edit field
    type("6.5\r");
    // The list's down arrow, held for four more messages than the press.
    const int arrowX = 141 + 4 + 140 - 8, arrowY = 96 + 62 + 60 - 6;
    script.push_back({arrowX, arrowY, WM_LBUTTONDOWN});
    for (int i = 0; i < 4; ++i) script.push_back({arrowX + (i & 1), arrowY, WM_MOUSEMOVE});
    script.push_back({arrowX, arrowY, WM_LBUTTONUP});
    click(141 + 20, 96 + 62 + 2 + 4);  // the first row shown, now item 5

    struct Seen {
        Rect window;
        int check = -1, selected = -1, editHasKeyboard = -1;
        char text[kEditMax + 1] = "";
        std::string firstLine;
    };
    static Seen seen;
    seen = Seen{};
    check = [] {
        seen.window = nodeRect(form.window);
        seen.check = zode::send(nodeHandler(form.check), kCheckGet);
        seen.selected = zode::send(nodeHandler(form.list), kListSelected);
        zode::send(nodeHandler(form.edit), kEditGetText, reinterpret_cast<intptr_t>(seen.text), sizeof seen.text);
        seen.editHasKeyboard = input::editHasKeyboard;
        const Viewer* v = htmlViewer(form.html);
        if (v && v->itemCount) seen.firstLine.assign(v->text + v->items[0].text, v->items[0].length);
    };
    ASSERT_EQ(run(), 0);
    EXPECT_EQ(seen.window.x, 140);
    EXPECT_EQ(seen.window.y, 80);
    EXPECT_EQ(seen.check, 1);
    EXPECT_STREQ(seen.text, "6.5");
    EXPECT_EQ(seen.editHasKeyboard, 0);  // the click on the list took it back
    EXPECT_EQ(seen.selected, 5);
    EXPECT_EQ(seen.firstLine.rfind("The Sun", 0), 0u);
    // The window heard the check (1), the edit's Enter ("6.5"), the list's item.
    bool checkHeard = false, editHeard = false, itemHeard = false;
    for (auto& [node, value] : notified) {
        checkHeard |= node == form.check && value == 1;
        editHeard |= node == form.edit;
        itemHeard |= node == form.list && value == 5;
    }
    EXPECT_TRUE(checkHeard);
    EXPECT_TRUE(editHeard);
    EXPECT_TRUE(itemHeard);
    ASSERT_EQ(picture.size(), size_t(kWidth * kHeight));
    EXPECT_EQ(golden::compareFrame(picture.data(), kWidth, kHeight, "zwindows-run"), "");
}

TEST_F(Run, TheSceneLocksNoStarThroughAWindowAndAnObjectLinkLocksOne) {
    static std::vector<int32_t> locks;
    static int32_t linked = -1;
    locks.clear();
    const auto recordLock = [] { locks.push_back(camera::activeCamera()->lock); };
    arrange = [recordLock] {
        console::consoleExecute("camera mode 0");
        console::consoleExecute("camera lookAt 128ce");  // Sirius in the middle of the picture
        console::consoleExecute("camera lock f8fc");
        const zode::Request r{0, reinterpret_cast<const void*>(&formProc), zode::kDirect, nullptr};
        registerClass("ZDEMO", r);
        createNode(kNoNode, "ZDEMO", "Over Sirius", 270, 200, 100, 80, kTitleBar | kFilled | kVisible);
        // Above the toolbar, which takes the clicks on it.
        const Node note = createNode(kNoNode, "ZDEMO", "Sirius", 400, 250, 230, 170, kTitleBar | kFilled | kVisible);
        const Node html = createNode(note, "HTML", "", 2, 2, 224, 148, kVisible | kFilled);
        zode::send(nodeHandler(html), kHtmlOpen, reinterpret_cast<intptr_t>("@128ce"));  // Sirius's note
        // Its first link, an object link to Procyon: clicked where it is drawn.
        const Viewer* v = htmlViewer(html);
        ASSERT_TRUE(v && v->linkCount > 0);
        ASSERT_EQ(v->links[0].reference[0], '@');
        linked = int32_t(std::stoul(v->links[0].reference + 1, nullptr, 16));
        const Rect page = clientRect(html);
        const int x = page.x + v->links[0].x + 3, y = page.y + 2 + v->links[0].y + 4;
        script.push_back({x, y, WM_LBUTTONDOWN});
        script.push_back({x, y, WM_LBUTTONUP});
        script.push_back({x, y, 0, 0, recordLock});
    };
    click(320, 240);  // on the window over Sirius
    script.push_back({320, 240, 0, 0, recordLock});
    ASSERT_EQ(run(), 0);
    ASSERT_EQ(locks.size(), 2u);
    EXPECT_EQ(locks[0], 0xF8FC);  // still the Sun
    EXPECT_EQ(locks[1], linked);
    EXPECT_NE(linked, 0x128CE);

    // Without the windows the same click locks Sirius.
    arrange = [] {
        console::consoleExecute("camera mode 0");
        console::consoleExecute("camera lookAt 128ce");
        console::consoleExecute("camera lock f8fc");
    };
    script.clear();
    settled = 0;
    locks.clear();
    headless::reset();
    headless::resetDisplay();
    headless::setDesktop(kWidth, kHeight);
    headless::setPeekHook(hook);
    click(320, 240);
    script.push_back({320, 240, 0, 0, recordLock});
    ASSERT_EQ(run(), 0);
    ASSERT_EQ(locks.size(), 1u);
    EXPECT_EQ(locks[0], 0x128CE);
}

TEST_F(Run, AClickThatBeganOrEndedOnAWindowLocksNoStarBehindIt) {
    static std::vector<int32_t> locks;
    static bool closed = false;
    static Node closer = kNoNode;
    locks.clear();
    const auto recordLock = [] { locks.push_back(camera::activeCamera()->lock); };
    arrange = [] {
        console::consoleExecute("camera mode 0");
        console::consoleExecute("camera lookAt 128ce");  // Sirius in the middle of the picture
        console::consoleExecute("camera lock f8fc");
        const zode::Request r{0, reinterpret_cast<const void*>(&formProc), zode::kDirect, nullptr};
        registerClass("ZDEMO", r);
        // Its close box right over Sirius.
        closer = createNode(kNoNode, "ZDEMO", "Closer", 320 + 8 - 100, 240 - 8, 100, 80, kTitleBar | kFilled | kVisible);
        createNode(kNoNode, "ZDEMO", "Other", 400, 300, 200, 150, kTitleBar | kFilled | kVisible);
    };
    click(320, 240);  // the close box
    script.push_back({320, 240, 0, 0, [recordLock] {
        closed = (nodeFlags(closer) & kClosed) != 0;
        recordLock();
    }});
    // Pressed on a window, released on the sky over Sirius.
    script.push_back({500, 400, WM_LBUTTONDOWN});
    script.push_back({320, 240, WM_LBUTTONUP});
    script.push_back({320, 240, 0, 0, recordLock});
    // Pressed on the sky, released over a window, then back over Sirius.
    script.push_back({100, 100, WM_LBUTTONDOWN});
    script.push_back({500, 400, WM_LBUTTONUP});
    script.push_back({320, 240, WM_MOUSEMOVE});
    script.push_back({320, 240, 0, 0, recordLock});
    // A plain click on Sirius locks it.
    click(320, 240);
    script.push_back({320, 240, 0, 0, recordLock});
    ASSERT_EQ(run(), 0);
    EXPECT_TRUE(closed);
    EXPECT_EQ(locks, (std::vector<int32_t>{0xF8FC, 0xF8FC, 0xF8FC, 0x128CE}));
}

std::vector<intptr_t> topics;
int32_t helpProc(zode::Message* m) {
    if (m->code == kHelpPick) topics.push_back(m->a1);
    return 1;
}

TEST_F(Run, AHelpPickEndedOffTheWindowsGivesNoTopic) {
    topics.clear();
    static int activeAtEnd = -1;
    arrange = [] {
        const zode::Request r{0, reinterpret_cast<const void*>(&helpProc), zode::kDirect, nullptr};
        registerClass("ZHELPER", r);
        setHelpHandler(createNode(kNoNode, "ZHELPER", "Help", 400, 300, 200, 150, kTitleBar | kVisible));
        startHelpPick();
    };
    click(100, 100);  // empty sky
    check = [] { activeAtEnd = helpPickActive(); };
    ASSERT_EQ(run(), 0);
    EXPECT_EQ(topics, (std::vector<intptr_t>{0xFFFF}));
    EXPECT_EQ(activeAtEnd, 0);
}

TEST_F(Run, WithoutTheCloseBoxTheStartEndsWithItsText) {
    const std::string program = root + "/program";
    std::filesystem::create_directories(program + "/data");
    std::vector<packwriter::MemoryFile> files;
    for (const packwriter::MemoryFile& f : programfolder::startupFiles())
        if (f.name != "close.bmp") files.push_back(f);
    ASSERT_EQ(packwriter::writeBytes(program + "/data/vyrex2.vfs", packwriter::buildOrDie(files)), "");
    ASSERT_EQ(packwriter::writeBytes(program + "/data/catalog.vfs",
                                     packwriter::buildOrDie(programfolder::shippedCatalogue())),
              "");
    static int exitCode;
    exitCode = -1;
    lifecycle::fatalWaitMilliseconds = 0;
    lifecycle::setExitFunction([](int c) { exitCode = c; });
    EXPECT_EQ(lifecycle::entry(("-c -l" + program).c_str()), 1);
    EXPECT_EQ(exitCode, 1);
    ASSERT_EQ(headless::messageBoxes().size(), 1u);
    EXPECT_EQ(headless::messageBoxes()[0].caption, "Vyrex Fatal Error");
    EXPECT_EQ(headless::messageBoxes()[0].text, "Can't init Z windows system.");
    EXPECT_FALSE(zode::started());
}

}  // namespace
