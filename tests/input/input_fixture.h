// Shared set-up of the input tests: a running event bus with input started (so the program's
// event types exist), an observer of the input and camera events, cameras at their defaults, a
// private store file and program folder, and helpers that hand messages to the main window's
// procedure as the main loop does.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/app.h"
#include "program/input.h"
#include "base/settings.h"
#include "program/window_proc.h"
#include "base/zode.h"
#include "extensions/markers.h"
#include "navigation/camera_edit.h"
#include "console/console.h"
#include "console/macros.h"
#include "platform/headless/headless.h"
#include "platform/store.h"
#include "video/video.h"

namespace itest {

struct Seen {
    uint32_t code;
    intptr_t a1, a2;
    int quitAtThatTime;  // app::quit when the event arrived
};

inline std::vector<Seen>& seen() {
    static std::vector<Seen> events;
    return events;
}

inline int32_t observe(zode::Message* m) {
    if (m->code >= zode::kEventPointer) seen().push_back({m->code, m->a1, m->a2, app::quit});
    return 1;
}

class InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        headless::reset();
        dir = std::filesystem::temp_directory_path() /
              ("vyrex_input_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        store::setLocation((dir / "vyrex.reg").string());
        std::snprintf(app::programFolder, sizeof app::programFolder, "%s", dir.c_str());
        ASSERT_EQ(zode::start(), 1);
        ASSERT_EQ(input::startInput(), 1);
        zode::Request request{0, reinterpret_cast<const void*>(&observe), zode::kDirect, nullptr};
        const int object = zode::registerObject(&request);
        for (uint32_t code : {257u, 258u, 259u, 512u, 513u, 514u, 515u, 516u, 517u, 518u, 519u})
            ASSERT_EQ(zode::subscribe(code, object), 1) << code;
        for (int n = 0; n < camera::kCameras; ++n) *camera::editCamera(n) = camera::defaultRecord();
        camera::selectCamera(0);
        camera::rebuildSky = camera::lockChanged = camera::systemReload = camera::frameChanged = 0;
        app::active = 1;
        app::quit = 0;
        app::guiVisible = 1;
        markers::markersShown = 0;
        settings::LSmagDiam = 1;
        video::state.screenshotPending = 0;
        seen().clear();
    }

    void TearDown() override {
        input::stopInput();
        console::consoleClose();
        console::macrosStop();
        console::setCommandRunner(nullptr);
        zode::stop();
        store::setLocation("");
        headless::reset();
        video::state.screenshotPending = 0;
        std::filesystem::remove_all(dir);
    }

    // A key press as the main loop dispatches it, with the modifiers held meanwhile.
    static void key(int vk, bool shift = false, bool ctrl = false) {
        headless::setKeyHeld(platform::VK_SHIFT, shift);
        headless::setKeyHeld(platform::VK_CONTROL, ctrl);
        app::mainWindowProc({platform::WM_KEYDOWN, static_cast<uintptr_t>(vk), 1});
        headless::setKeyHeld(platform::VK_SHIFT, false);
        headless::setKeyHeld(platform::VK_CONTROL, false);
    }
    static intptr_t message(uint32_t code, uintptr_t wParam = 0, intptr_t lParam = 0) {
        return app::mainWindowProc({code, wParam, lParam});
    }
    static void wheel(int delta) {
        message(platform::WM_MOUSEWHEEL, static_cast<uintptr_t>(static_cast<uint16_t>(delta)) << 16);
    }

    static std::vector<uint32_t> codes() {
        std::vector<uint32_t> out;
        for (const Seen& s : seen()) out.push_back(s.code);
        return out;
    }
    static int count(uint32_t code) {
        int n = 0;
        for (const Seen& s : seen()) n += s.code == code;
        return n;
    }

    static CameraRecord& cam() { return camera::editActive(); }

    std::filesystem::path dir;
};

}  // namespace itest
