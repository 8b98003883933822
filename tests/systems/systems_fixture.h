// Shared helpers of the star-system tests: body lines written field by field, tables read from
// text, and a fixture with a synthetic catalogue, colour tables and a camera inside the system.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "base/app.h"
#include "base/input_state.h"
#include "base/vecmath.h"
#include "navigation/camera_edit.h"
#include "support/synthcatalog.h"
#include "systems/bodies.h"
#include "systems/ssd.h"
#include "systems/system.h"
#include "systems/systems.h"
#include "video/video.h"

namespace stest {

// The 19 fields of a body line with plain defaults: a rocky planet on a circular orbit of 1 AU
// around star 0 with a period of 365 days.
struct Line {
    std::string id = "2000001", parent = "0", host = "0", tilt = "0", kind = "10", radius = "6000";
    std::string axis = "1", ecc = "0", incl = "0", node = "0", peri = "0", anomaly = "0";
    std::string axisAngle = "0", period = "365", mass = "0.6", spin0 = "0", spinPeriod = "1";
    std::string colour = "4", name = "Planet";

    std::string text() const {
        return id + " " + parent + " " + host + " " + tilt + " " + kind + " " + radius + " " + axis + " " + ecc +
               " " + incl + " " + node + " " + peri + " " + anomaly + " " + axisAngle + " " + period + " " + mass +
               " " + spin0 + " " + spinPeriod + " " + colour + " " + name;
    }
};

inline systems::FileReport read(const std::string& text, systems::BodyTable& table, uint32_t filter = 0xFFFFFFFF) {
    return systems::readSystemFile(reinterpret_cast<const uint8_t*>(text.data()), text.size(), filter, table);
}

inline double norm(const Vector3& v) { return std::sqrt(vmath::lengthSquared(v)); }

inline double angleBetween(const Vector3& a, const Vector3& b) {
    const double c = vmath::dot(a, b) / (norm(a) * norm(b));
    return std::acos(std::fmax(-1.0, std::fmin(1.0, c)));
}

// A synthetic sky of two stars (the host at the origin, a second star 10 ly away), the colour
// tables, and the active camera in the star-system mode of star 0.
class SystemFixture : public ::testing::Test {
protected:
    synth::SynthCatalog sky;
    systems::BodyTable table;

    void SetUp() override {
        video::buildColourTables(draw::kXrgb8888, video::colours);
        sky.addStar({0, 0, 0}, 4.8, 0.65, 0, synth::hipCode(1));
        sky.addStar({10, 0, 0}, 1.0, 0.0, 0, synth::hipCode(2));
        sky.attach();
        CameraRecord& c = camera::editActive();
        c = camera::defaultRecord();
        c.system = 0;
        c.lock = 0;
        c.central = camera::kNone;
        c.systemTime = 0.0;
        c.SPos = {0, 0, 5e8};
        input::resetInputState();
        input::pointer.x = input::pointer.y = -1000;
        table.count = 0;
        // The layer runs (its body source answers the catalogue) over an empty program folder.
        useFolder();
        ASSERT_EQ(systems::start(), 1);
    }
    void TearDown() override {
        systems::stop();
        if (!folder.empty()) std::filesystem::remove_all(folder);
    }

    // A program folder of the test's own with an empty "systems" folder.
    std::filesystem::path folder;
    void useFolder() {
        folder = std::filesystem::temp_directory_path() /
                 ("vyrex_systems_" + std::to_string(::getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder / "systems");
        std::snprintf(app::programFolder, sizeof app::programFolder, "%s", folder.c_str());
    }
    void writeSystemFile(const std::string& name, const std::string& bytes) {
        std::ofstream(folder / "systems" / name, std::ios::binary) << bytes;
    }

    CameraRecord& cam() { return camera::editActive(); }

    // Reads `text` into the table and enters star 0.
    void enter(const std::string& text) {
        read(text, table);
        ASSERT_EQ(systems::enterSystem(0, table), 1);
    }

    const systems::SystemObject& object(int32_t id) {
        const systems::SystemObject* o = systems::findObject(id);
        EXPECT_NE(o, nullptr) << std::hex << id;
        static systems::SystemObject none{};
        return o ? *o : none;
    }
};

}  // namespace stest
