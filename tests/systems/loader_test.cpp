// The "systems" folder: which files are read in which order, the load filter, and a reload
// after the filter changed.
#include <gtest/gtest.h>

#include <string>

#include "base/settings.h"
#include "systems_fixture.h"

namespace {

using stest::Line;

class Loader : public stest::SystemFixture {
protected:
    void TearDown() override {
        settings::loadFilter = 0xFFFFFFFF;
        SystemFixture::TearDown();
    }
    static std::string body(int id, int parent = 0) {
        Line l;
        char text[16];
        std::snprintf(text, sizeof text, "%x", id);
        l.id = text;
        std::snprintf(text, sizeof text, "%x", parent);
        l.parent = text;
        return l.text() + "\n";
    }
    std::vector<int32_t> ids() const {
        std::vector<int32_t> out;
        const systems::BodyTable& t = systems::bodyTable();
        for (int i = 0; i < t.count; ++i) out.push_back(t.records[i].id);
        return out;
    }
};

TEST_F(Loader, SolarFirstThenSolarExtThenTheRestByName) {
    // Moons in solarext.ssd and in a later file find their planet in solar.ssd, which is read
    // first whatever the names' order; names that begin like the two are not read again.
    writeSystemFile("a.ssd", body(0x2000003, 0x2000001));
    writeSystemFile("solarext.ssd", body(0x2000002, 0x2000001));
    writeSystemFile("solar.ssd", body(0x2000001));
    writeSystemFile("SOLAR.SSD.ssd", body(0x2000009));
    writeSystemFile("Solarext.ssd2.ssd", body(0x2000008));
    writeSystemFile("z.txt", body(0x2000007));
    writeSystemFile("b.SSD", body(0x2000004));
    systems::loadSystemFiles(true);
    EXPECT_EQ(ids(), (std::vector<int32_t>{0x2000001, 0x2000002, 0x2000003, 0x2000004}));
}

TEST_F(Loader, AReloadAfterTheFilterChangedDropsASystem) {
    writeSystemFile("solar.ssd", "[S]\n" + body(0x2000001) + "[C]\n" + body(0x2000002));
    writeSystemFile("other.ssd", "[X]\n" + body(0x2000003));
    systems::loadSystemFiles(true);
    ASSERT_EQ(ids().size(), 3u);
    cam().mode = camera::kModeSystem;
    cam().system = 0;
    cam().lock = 0;
    ASSERT_EQ(systems::enterCameraSystem(), 1);
    ASSERT_EQ(systems::objectCount(), 4);

    // Only the Solar System's first section: the rest of solar.ssd and the other file go.
    settings::loadFilter = systems::kSectionSolar;
    camera::systemReload = 0;
    systems::reloadSystems();
    EXPECT_EQ(ids(), (std::vector<int32_t>{0x2000001}));
    EXPECT_EQ(camera::systemReload, 1);  // the camera asks for the system anew
    ASSERT_EQ(systems::enterCameraSystem(), 1);
    EXPECT_EQ(systems::objectCount(), 2);

    // With a body locked the camera refuses its mode again: the system is rebuilt at once.
    settings::loadFilter = 0;
    cam().lock = 0x2000001;
    camera::systemReload = 0;
    systems::reloadSystems();
    EXPECT_TRUE(ids().empty());
    EXPECT_EQ(systems::objectCount(), 1);
}

}  // namespace
