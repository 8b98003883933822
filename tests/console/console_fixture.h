// Shared set-up of the console tests: a program folder with packs that hold the shipped console
// font, a store of its own, a running event bus with the camera's events recorded, cameras at
// their defaults, colour tables, a drawing surface and a started console.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "console/console.h"
#include "console/macros.h"
#include "base/app.h"
#include "base/timer.h"
#include "program/input.h"
#include "base/zode.h"
#include "extensions/markers.h"
#include "navigation/camera_edit.h"
#include "platform/headless/headless.h"
#include "platform/store.h"
#include "support/programfolder.h"
#include "support/packwriter.h"
#include "vfs/vfs.h"
#include "video/draw.h"
#include "video/video.h"

namespace consoletest {

struct Event {
    uint32_t code;
    intptr_t a1, a2;
    std::string text;  // for the plug-in command message: the text a2 points to
};

inline std::vector<Event>& events() {
    static std::vector<Event> list;
    return list;
}

inline int32_t recordEvent(zode::Message* m) {
    Event e{m->code, m->a1, m->a2, ""};
    if (m->code == console::kCommandMessage) e.text = reinterpret_cast<const char*>(m->a2);
    events().push_back(e);
    return 1;
}

inline std::string shipped(const char* name) { return programfolder::shipped("vyrex2", name); }

class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vyrex-console-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        program = root + "/program";
        std::filesystem::create_directories(program + "/data");
        std::filesystem::create_directories(program + "/marker");
        std::snprintf(app::programFolder, sizeof app::programFolder, "%s", program.c_str());
        writePacks(shipped("default.bft"));
        ASSERT_EQ(vfs::openPacks(), 1);
        store::setLocation(root + "/config/vyrex.reg");
        headless::reset();

        ASSERT_EQ(zode::start(), 1);
        zode::Request request{0, reinterpret_cast<const void*>(&recordEvent), zode::kDirect, nullptr};
        recorder = zode::registerObject(&request);
        for (uint32_t code = 512; code <= 519; ++code) {
            ASSERT_EQ(zode::createEventType(code), 1);
            ASSERT_EQ(zode::subscribe(code, recorder), 1);
        }
        for (int n = 0; n < camera::kCameras; ++n) *camera::editCamera(n) = camera::defaultRecord();
        camera::selectCamera(0);
        camera::rebuildSky = camera::lockChanged = camera::systemReload = 0;
        // The markers add their "marker" words to the console.
        ASSERT_EQ(markers::markerStart(), 1);
        app::quit = 0;

        video::buildColourTables(draw::kXrgb8888, video::colours);
        ASSERT_TRUE(draw::createSurface(surface, 640, 480));
        video::state.drawing = &surface;
        video::state.width = 639;
        video::state.height = 479;

        ASSERT_EQ(console::consoleStart(), 1);
        events().clear();
    }

    void TearDown() override {
        console::consoleStop();
        console::macrosStop();
        console::setCommandRunner(nullptr);
        timer::setTimerClocks(nullptr, 0, nullptr);
        video::state.drawing = nullptr;
        video::state.width = video::state.height = 0;
        draw::destroySurface(surface);
        markers::markerStop();
        zode::stop();
        vfs::closePacks();
        store::setLocation("");
        headless::reset();
        app::quit = 0;
        std::snprintf(app::registryRoot, sizeof app::registryRoot, "%s", "SOFTWARE\\Oskarn Software\\Vyrex\\2.00");
        std::filesystem::remove_all(root);
    }

    void writePacks(const std::string& font) {
        std::vector<packwriter::MemoryFile> files = {{"readme.txt", "packed"}};
        if (!font.empty()) files.push_back({"default.bft", font});
        ASSERT_EQ(packwriter::writeBytes(program + "/data/vyrex2.vfs", packwriter::buildOrDie(files)), "");
        ASSERT_EQ(packwriter::writeBytes(program + "/data/catalog.vfs",
                                         packwriter::buildOrDie({{"stellar.note", "n"}})),
                  "");
    }

    // The screen from row 0 to the cursor's row, rows joined by "\n", trailing blanks dropped.
    // After a fresh start, this is exactly what was printed (while it fits the screen).
    static std::string screen() {
        std::string text;
        char row[console::kColumns + 1];
        for (int r = 0; r <= console::cursorRow(); ++r) {
            console::rowText(r, row);
            if (r) text += "\n";
            text += row;
        }
        return text;
    }

    static std::string rowAt(int r) {
        char row[console::kColumns + 1];
        console::rowText(r, row);
        return row;
    }

    // Runs one line on a blank screen and returns what it printed. The plug-in commands stay.
    static std::string said(const std::string& line) {
        blankScreen();
        console::consoleExecute(line.c_str());
        return screen();
    }

    // A blank screen with the cursor at row 0, column 0: a fresh start of the console, with the
    // plug-in commands that the start clears registered again in their order.
    static void blankScreen() {
        std::vector<std::pair<int, std::string>> kept;
        for (int i = 0; i < console::commandCount(); ++i)
            kept.push_back({console::commandObject(i), console::commandName(i)});
        console::consoleStart();
        for (auto& [object, name] : kept) console::consoleAddCommand(object, name.c_str());
    }

    static std::vector<uint32_t> codes() {
        std::vector<uint32_t> out;
        for (const Event& e : events()) out.push_back(e.code);
        return out;
    }

    static CameraRecord& cam() { return camera::editActive(); }

    std::string root, program;
    int recorder = -1;
    draw::Surface surface;
};

}  // namespace consoletest
