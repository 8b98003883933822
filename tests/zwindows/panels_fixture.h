// Shared set-up of the toolbar, information text and panel tests: the staged program folder (its
// packs, star-system files and marker files), the shipped catalogue, a running event bus with
// input, cameras at their defaults, colour tables and a 640 × 480 drawing surface, the Z windows,
// the line font, the star systems, the toolbar and the panels started as the start-up does.
// Helpers play a user's pointer and keys through the main window's procedure, one main-loop pass
// at a time.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "base/app.h"
#include "base/input_state.h"
#include "base/settings.h"
#include "base/timer.h"
#include "base/zode.h"
#include "catalog/catalog.h"
#include "extensions/markers.h"
#include "navigation/camera_edit.h"
#include "platform/headless/headless.h"
#include "platform/store.h"
#include "program/input.h"
#include "program/window_proc.h"
#include "render/linefont.h"
#include "systems/system.h"
#include "systems/systems.h"
#include "vfs/vfs.h"
#include "video/draw.h"
#include "video/video.h"
#include "zwindows/info.h"
#include "zwindows/panels.h"
#include "zwindows/toolbar.h"
#include "zwindows/widgets.h"
#include "zwindows/zwindows.h"
#include "zwindows/zwindows_internal.h"

namespace ptest {

using namespace zwindows;

constexpr int kWidth = 640, kHeight = 480;

class PanelsTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vyrex-panels-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        std::snprintf(app::programFolder, sizeof app::programFolder, "%s", VYREX_STAGE_DIR);
        store::setLocation(root + "/config/vyrex.reg");
        headless::reset();
        settings::loadFilter = 0xFFFFFFFF;
        settings::LSmagDiam = 1;
        ASSERT_EQ(vfs::openPacks(), 1);
        ASSERT_EQ(catalog::catalogLoad(), 1);
        ASSERT_EQ(zode::start(), 1);
        ASSERT_EQ(input::startInput(), 1);
        for (int n = 0; n < camera::kCameras; ++n) *camera::editCamera(n) = camera::defaultRecord();
        camera::selectCamera(0);
        app::guiVisible = 1;
        app::quit = 0;
        app::active = 1;

        video::buildColourTables(draw::kXrgb8888, video::colours);
        ASSERT_TRUE(draw::createSurface(surface, kWidth, kHeight));
        video::state.drawing = &surface;
        video::state.width = kWidth - 1;
        video::state.height = kHeight - 1;
        video::state.format = draw::kXrgb8888;
        clock() = 0;
        timer::setTimerClocks([] { return clock(); }, 0.001, nullptr);
        timer::markProgramStart();

        ASSERT_EQ(zwindows::start(), 1);
        ASSERT_EQ(render::loadLineFont(), 1);
        ASSERT_EQ(systems::start(), 1);
        ASSERT_EQ(toolbarStart(), 1);
        ASSERT_EQ(panelsStart(), 1);
        ASSERT_EQ(markers::markersPanelStart(), 1);
        moveTo(-100, -100);
    }

    void TearDown() override {
        markers::markersPanelStop();
        markers::markerClear();
        markers::markersShown = 0;
        panelsStop();
        toolbarStop();
        systems::stop();
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
        settings::loadFilter = 0xFFFFFFFF;
        settings::LSmagDiam = 1;
        std::filesystem::remove_all(root);
    }

    static uint64_t& clock() {
        static uint64_t ms = 0;
        return ms;
    }

    static CameraRecord& cam() { return camera::editActive(); }

    // One main-loop pass: the poll, one message through the main window's procedure (the
    // toolbar's and the windows' routing), the camera's frame, and the windows' and the
    // toolbar's frames on a cleared surface.
    void pass(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) {
        input::pollInput();
        app::mainWindowProc({message, wParam, lParam});
        frame();
    }
    void frame() {
        camera::cameraFrame();
        draw::clear(surface, 0);
        zwindows::drawFrame();
        toolbarDraw();
        zode::broadcast(zode::kEventFrame);
    }
    void moveTo(int x, int y) {
        headless::setPointer(x, y);
        pass(platform::WM_MOUSEMOVE, 0, (y << 16) | x);
    }
    void press() { pass(platform::WM_LBUTTONDOWN); }
    void release() { pass(platform::WM_LBUTTONUP); }
    void click(int x, int y) {
        moveTo(x, y);
        press();
        release();
    }
    void key(int vk) { pass(platform::WM_KEYDOWN, static_cast<uintptr_t>(vk), 0); }
    void type(const std::string& text) {
        for (char c : text) pass(platform::WM_CHAR, static_cast<unsigned char>(c), 1);
    }

    // The toolbar's geometry on this surface.
    static int W() { return kWidth - 1; }
    static int H() { return kHeight - 1; }
    static int R() { return W() - 231; }
    // A click on a toolbar button or menu entry: its middle, at the bar's top now.
    void clickAction(const ToolbarAction& a) {
        const int T = toolbarTop();
        click(R() + (a.from + a.to) / 2, T + (a.top + a.bottom) / 2);
    }
    void openToolbar() {
        toolbarOpen();
        for (int i = 0; i < 8; ++i) frame();
    }

    // The n-th node (in table order) of class `cls` below `top`, searching depth first.
    static Node find(Node top, const char* cls, int n = 0) {
        const int wanted = findClass(cls);
        Node found = kNoNode;
        walk(top, [&](Node node) {
            if (found == kNoNode && classOf(node) == wanted && n-- == 0) found = node;
        });
        return found;
    }
    // The widget of `cls` with that caption below `top`.
    static Node byCaption(Node top, const char* cls, const char* caption) {
        const int wanted = findClass(cls);
        Node found = kNoNode;
        walk(top, [&](Node node) {
            if (found == kNoNode && classOf(node) == wanted && std::strcmp(nodeCaption(node), caption) == 0)
                found = node;
        });
        return found;
    }
    template <typename F>
    static void walk(Node top, F f) {
        for (Node c = firstChild(top); c != kNoNode; c = nextSibling(c)) {
            f(c);
            walk(c, f);
        }
    }
    static int classOf(Node node) { return detail::nodeClass(node); }

    static int32_t sendTo(Node node, uint32_t code, intptr_t a1 = 0, intptr_t a2 = 0, intptr_t a3 = 0) {
        return zode::send(nodeHandler(node), code, a1, a2, a3);
    }
    // A click at (dx, dy) of a node's client area; the node's window is shown first.
    void clickIn(Node node, int dx = 4, int dy = 4) {
        const Rect r = clientRect(node);
        click(r.x + dx, r.y + dy);
    }
    // Types into an EDIT: a click into its box, its text removed, `text` and then Enter.
    void typeInto(Node edit, const std::string& text) {
        const Rect r = clientRect(edit);
        click(r.x + r.width - 3, r.y + r.height / 2);
        for (int i = 0; i < kEditMax; ++i) pass(platform::WM_CHAR, 8, 1);
        type(text + "\r");
    }
    static std::string editText(Node edit) {
        char text[kEditMax + 1] = "";
        sendTo(edit, kEditGetText, reinterpret_cast<intptr_t>(text), sizeof text);
        return text;
    }
    static int checked(Node check) { return sendTo(check, kCheckGet); }

    std::string root;
    draw::Surface surface;
};

}  // namespace ptest
