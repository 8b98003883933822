// Shared set-up of the Z windows tests: a program folder whose packs hold the shipped interface
// bitmaps and font, the tests' own help text and pages, and the shipped catalogue (for the
// object notes); a running event bus with input started, cameras at their defaults, colour tables
// and a 640 × 480 drawing surface, and the Z windows started. Helpers play a user's pointer and
// keys through the main window's procedure, one main-loop pass at a time, as the program runs.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/app.h"
#include "base/input_state.h"
#include "base/timer.h"
#include "base/zode.h"
#include "catalog/catalog.h"
#include "navigation/camera_edit.h"
#include "platform/headless/headless.h"
#include "platform/store.h"
#include "program/input.h"
#include "program/window_proc.h"
#include "support/packwriter.h"
#include "support/programfolder.h"
#include "vfs/vfs.h"
#include "video/draw.h"
#include "video/video.h"
#include "zwindows/viewer.h"
#include "zwindows/widgets.h"
#include "zwindows/zwindows.h"

namespace zwtest {

// The tests' help text: three numbered pages after a head that is no page, the second with a
// link to the third, the third with a file link.
inline const char* const kHelpText =
    "<head>Test help</head>\n"
    "<help #7200>Start page. <a \"?7201\">Second</a> and <a \"?7202\">third</a>.\n"
    "<help #7201>The second page, linked to <a \"?7202\">the third</a>.\n"
    "<help #7202>The third page, linked to <a \"page.html\">a file</a>.\n"
    "<help #72a0>Written with a lower-case digit.\n";

// What a window's own object saw: every message but the paints.
struct Seen {
    int32_t object;
    uint32_t code;
    intptr_t a1, a2, a3;
};
inline std::vector<Seen>& seen() {
    static std::vector<Seen> list;
    return list;
}
inline int32_t recordProc(zode::Message* m) {
    if (m->code != zwindows::kPaint) seen().push_back({m->object, m->code, m->a1, m->a2, m->a3});
    return 1;
}
inline int count(uint32_t code) {
    int n = 0;
    for (const Seen& s : seen()) n += s.code == code;
    return n;
}
inline const Seen* last(uint32_t code) {
    for (auto it = seen().rbegin(); it != seen().rend(); ++it)
        if (it->code == code) return &*it;
    return nullptr;
}

class ZwindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vyrex-zwindows-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        std::filesystem::create_directories(root + "/data");
        std::snprintf(app::programFolder, sizeof app::programFolder, "%s", root.c_str());
        std::vector<packwriter::MemoryFile> files;
        for (const char* name : {"close.bmp", "scroll.bmp", "scrollup.bmp", "scrolldown.bmp", "default.bft"})
            files.push_back({name, programfolder::shipped("vyrex2", name)});
        files.push_back({"help.html", kHelpText});
        files.push_back({"page.html", "<p>A page of its own."});
        for (auto& [name, text] : extraFiles()) files.push_back({name, text});
        ASSERT_EQ(packwriter::writeBytes(root + "/data/vyrex2.vfs", packwriter::buildOrDie(files)), "");
        ASSERT_EQ(packwriter::writeBytes(root + "/data/catalog.vfs",
                                         packwriter::buildOrDie(programfolder::shippedCatalogue())),
                  "");
        ASSERT_EQ(vfs::openPacks(), 1);
        ASSERT_EQ(catalog::catalogLoad(), 1);
        store::setLocation(root + "/config/vyrex.reg");
        headless::reset();

        ASSERT_EQ(zode::start(), 1);
        ASSERT_EQ(input::startInput(), 1);
        for (int n = 0; n < camera::kCameras; ++n) *camera::editCamera(n) = camera::defaultRecord();
        camera::selectCamera(0);
        app::guiVisible = 1;
        app::quit = 0;

        video::buildColourTables(draw::kXrgb8888, video::colours);
        ASSERT_TRUE(draw::createSurface(surface, 640, 480));
        video::state.drawing = &surface;
        video::state.width = 639;
        video::state.height = 479;
        video::state.format = draw::kXrgb8888;

        // The held button repeats on the program's running time: frozen unless a test moves it.
        clock() = 0;
        timer::setTimerClocks([] { return clock(); }, 0.001, nullptr);
        timer::markProgramStart();

        ASSERT_EQ(zwindows::start(), 1);
        seen().clear();
        const zode::Request request{0, reinterpret_cast<const void*>(&recordProc), zode::kDirect, nullptr};
        ASSERT_GT(zwindows::registerClass("TESTWINDOW", request), 0);
    }

    void TearDown() override {
        zwindows::stop();
        input::stopInput();
        zode::stop();
        timer::setTimerClocks(nullptr, 0, nullptr);
        video::state.drawing = nullptr;
        video::state.width = video::state.height = 0;
        draw::destroySurface(surface);
        catalog::catalogClose();
        vfs::closePacks();
        store::setLocation("");
        headless::reset();
        input::resetInputState();
        std::filesystem::remove_all(root);
    }

    // More files for the program pack, for a test that needs pages of its own.
    virtual std::vector<std::pair<std::string, std::string>> extraFiles() { return {}; }

    static uint64_t& clock() {
        static uint64_t ms = 0;
        return ms;
    }

    // One main-loop pass: the poll, one message through the main window's procedure (and so the
    // routing pass), and the windows' frame.
    static void pass(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) {
        input::pollInput();
        app::mainWindowProc({message, wParam, lParam});
        zwindows::drawFrame();
    }
    // The pointer moves to (x, y): one pass with the motion message.
    static void moveTo(int x, int y) {
        headless::setPointer(x, y);
        pass(platform::WM_MOUSEMOVE, 0, (y << 16) | x);
    }
    static void press() { pass(platform::WM_LBUTTONDOWN); }
    static void release() { pass(platform::WM_LBUTTONUP); }
    static void click(int x, int y) {
        moveTo(x, y);
        press();
        release();
    }
    static void type(const std::string& text) {
        for (char c : text) pass(platform::WM_CHAR, static_cast<unsigned char>(c), 1);
    }
    static void frame() { zwindows::drawFrame(); }

    // A window of the tests' class, its messages recorded.
    static zwindows::Node window(const char* caption, int x, int y, int w, int h,
                                 uint32_t flags = zwindows::kTitleBar | zwindows::kFramed | zwindows::kFilled |
                                                  zwindows::kVisible) {
        return zwindows::createNode(zwindows::kNoNode, "TESTWINDOW", caption, x, y, w, h, flags);
    }
    static zwindows::Node widget(zwindows::Node parent, const char* cls, const char* caption, int x, int y, int w,
                                 int h) {
        return zwindows::createNode(parent, cls, caption, x, y, w, h, zwindows::kVisible | zwindows::kFilled);
    }
    static int32_t sendTo(zwindows::Node node, uint32_t code, intptr_t a1 = 0, intptr_t a2 = 0, intptr_t a3 = 0,
                          intptr_t a4 = 0) {
        return zode::send(zwindows::nodeHandler(node), code, a1, a2, a3, a4);
    }
    // The screen point at (dx, dy) from a node's client area's top left.
    static void clientPoint(zwindows::Node node, int dx, int dy, int& x, int& y) {
        const zwindows::Rect r = zwindows::clientRect(node);
        x = r.x + dx;
        y = r.y + dy;
    }
    // The notifications a window's object got from `widget`, as (value, extra).
    static std::vector<std::pair<intptr_t, intptr_t>> notes(zwindows::Node widget) {
        std::vector<std::pair<intptr_t, intptr_t>> out;
        for (const Seen& s : seen())
            if (s.code == zwindows::kNotify && s.a1 == widget) out.push_back({s.a2, s.a3});
        return out;
    }
    uint32_t pixel(int x, int y) const { return draw::getPixel(surface, x, y); }

    std::string root;
    draw::Surface surface;
};

}  // namespace zwtest
