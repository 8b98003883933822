// Saved cameras and stored settings through the configuration store, on a private store file.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <limits>
#include <vector>

#include "camera_fixture.h"
#include "base/app.h"
#include "base/log.h"
#include "base/settings.h"
#include "platform/store.h"

namespace {

const char* const kDefaultRoot = "SOFTWARE\\Oskarn Software\\Vyrex\\2.00";

class StoreTest : public CameraTest {
protected:
    void SetUp() override {
        CameraTest::SetUp();
        dir = std::filesystem::temp_directory_path() /
              ("vyrex_camera_store_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        store::setLocation((dir / "vyrex.reg").string());
        std::snprintf(app::registryRoot, sizeof app::registryRoot, "%s", kDefaultRoot);
        app::firstRun = 0;
    }
    void TearDown() override {
        std::snprintf(app::registryRoot, sizeof app::registryRoot, "%s", kDefaultRoot);
        std::filesystem::remove_all(dir);
        CameraTest::TearDown();
    }

    static std::string key(const char* sub) { return std::string(app::registryRoot) + "\\" + sub; }

    static std::vector<uint8_t> storedCamera(int n) {
        store::ValueType type = store::REG_NONE;
        std::vector<uint8_t> data;
        const std::string name = "camera" + std::to_string(n);
        if (!store::readValue(store::HKEY_LOCAL_MACHINE, key("cameras"), name, type, data)) return {};
        EXPECT_EQ(type, store::REG_BINARY);
        return data;
    }

    static bool sameBytes(const CameraRecord& a, const CameraRecord& b) {
        return std::memcmp(&a, &b, sizeof a) == 0;
    }

    static std::vector<uint8_t> bytesOf(const CameraRecord& r) {
        const auto* p = reinterpret_cast<const uint8_t*>(&r);
        return {p, p + sizeof r};
    }

    std::filesystem::path dir;
};

TEST_F(StoreTest, FirstRunGivesEveryCameraTheDefaultAndStoresAllEight) {
    camera::editCamera(3)->speed = 99;
    camera::loadAllCameras(0);
    for (int n = 0; n < camera::kCameras; ++n) {
        EXPECT_TRUE(sameBytes(*camera::editCamera(n), camera::defaultRecord())) << n;
        EXPECT_EQ(storedCamera(n), bytesOf(camera::defaultRecord())) << n;
    }
    // One 517 per camera, and the sky is due for a rebuild.
    EXPECT_EQ(codes(), std::vector<uint32_t>(8, 517));
    EXPECT_EQ(camera::rebuildSky, 1);
}

TEST_F(StoreTest, SavedCameraComesBackByteForByteAndResetOverwritesIt) {
    CameraRecord& c = *camera::editCamera(2);
    c.IPos = {1.25, -8.5, 4096};
    c.flags = 0x1FF;
    c.lock = 0x01000007;
    // Turned a quarter round the viewing axis: right becomes down, down becomes left.
    for (int k = 0; k < 4; ++k) {
        const double right = c.Cam.m[0][k];
        c.Cam.m[0][k] = -c.Cam.m[1][k];
        c.Cam.m[1][k] = right;
    }
    const CameraRecord saved = c;
    EXPECT_EQ(camera::saveCamera(2), 1);
    EXPECT_EQ(codes(), (std::vector<uint32_t>{517}));

    c = camera::defaultRecord();
    EXPECT_EQ(camera::loadCamera(2), 1);
    EXPECT_TRUE(sameBytes(c, saved));

    camera::loadAllCameras(0);
    EXPECT_TRUE(sameBytes(*camera::editCamera(2), saved));

    camera::loadAllCameras(1);
    EXPECT_TRUE(sameBytes(*camera::editCamera(2), camera::defaultRecord()));
    EXPECT_EQ(storedCamera(2), bytesOf(camera::defaultRecord()));

    EXPECT_EQ(camera::saveCamera(8), 0);
    EXPECT_EQ(camera::loadCamera(-1), 0);
}

TEST_F(StoreTest, LongerValueIsReplacedByTheDefaultAndShorterOneFillsOnlyTheStart) {
    store::createKey(store::HKEY_LOCAL_MACHINE, key("cameras"));
    std::vector<uint8_t> tooLong(457, 0xAB);
    store::writeValue(store::HKEY_LOCAL_MACHINE, key("cameras"), "camera4", store::REG_BINARY,
                      tooLong.data(), tooLong.size());
    CameraRecord& c = *camera::editCamera(4);
    c.speed = 42;
    EXPECT_EQ(camera::loadCamera(4), 0);
    EXPECT_TRUE(sameBytes(c, camera::defaultRecord()));
    EXPECT_EQ(storedCamera(4), bytesOf(camera::defaultRecord()));  // written back

    // A 24-byte value (an IPos only) sets the position and leaves the rest as it was.
    const double ipos[3] = {10, 20, 30};
    store::writeValue(store::HKEY_LOCAL_MACHINE, key("cameras"), "camera4", store::REG_BINARY, ipos,
                      sizeof ipos);
    c.speed = 42;
    c.IPos = {0, 0, 0};
    EXPECT_EQ(camera::loadCamera(4), 1);
    EXPECT_EQ(c.IPos.x, 10);
    EXPECT_EQ(c.IPos.z, 30);
    EXPECT_EQ(c.speed, 42);

    // A value of another type is no camera: the default replaces it.
    store::writeDword(store::HKEY_LOCAL_MACHINE, key("cameras"), "camera4", 7);
    EXPECT_EQ(camera::loadCamera(4), 0);
    EXPECT_TRUE(sameBytes(c, camera::defaultRecord()));
}

// A damaged store can hold a record of the right size whose bytes are no camera: a value that
// is not a number anywhere, or an orientation that is no rotation, is refused like a longer one.
TEST_F(StoreTest, ARecordThatCannotBeFlownIsReplacedByTheDefault) {
    store::createKey(store::HKEY_LOCAL_MACHINE, key("cameras"));
    CameraRecord& c = *camera::editCamera(4);
    const auto refused = [&](const void* bytes, size_t size) {
        store::writeValue(store::HKEY_LOCAL_MACHINE, key("cameras"), "camera4", store::REG_BINARY, bytes, size);
        c.speed = 42;
        const int loaded = camera::loadCamera(4);
        return loaded == 0 && sameBytes(c, camera::defaultRecord()) && storedCamera(4) == bytesOf(camera::defaultRecord());
    };
    const std::vector<uint8_t> ones(sizeof(CameraRecord), 0xFF);  // every double a NaN
    EXPECT_TRUE(refused(ones.data(), ones.size()));
    EXPECT_TRUE(refused(ones.data(), 10)) << "a short value whose first double is a NaN";
    CameraRecord r = camera::defaultRecord();
    r.systemTime = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(refused(&r, sizeof r));
    r = camera::defaultRecord();
    r.Cam.m[1][0] = 0.5;  // no longer at right angles to row 0
    EXPECT_TRUE(refused(&r, sizeof r));
    const std::vector<uint8_t> huge(sizeof(CameraRecord), 0x7F);  // finite, and no rotation
    EXPECT_TRUE(refused(huge.data(), huge.size()));

    // A record that has been flown is taken as it is.
    r = camera::defaultRecord();
    r.IPos = {1e6, -3, 2};
    r.systemTime = 9131.5;
    store::writeValue(store::HKEY_LOCAL_MACHINE, key("cameras"), "camera4", store::REG_BINARY, &r, sizeof r);
    EXPECT_EQ(camera::loadCamera(4), 1);
    EXPECT_TRUE(sameBytes(c, r));
}

TEST_F(StoreTest, CameraStartLoadsActivatesCameraZeroAndEntersItsMode) {
    CameraRecord& c0 = *camera::editCamera(0);
    c0.mode = camera::kModeLocalSpace;
    c0.vradius = 5;
    camera::saveCamera(0);
    camera::selectCamera(6);
    camera::lockChanged = 1;
    camera::rebuildSky = camera::systemReload = camera::frameChanged = 0;

    EXPECT_EQ(camera::cameraStart(0), 1);
    EXPECT_EQ(camera::activeCameraIndex(), 0);
    EXPECT_EQ(camera::editActive().vradius, 5);
    EXPECT_EQ(camera::editActive().mode, camera::kModeLocalSpace);
    EXPECT_EQ(camera::rebuildSky, 1);
    EXPECT_EQ(camera::systemReload, 1);
    EXPECT_EQ(camera::frameChanged, 1);
    EXPECT_EQ(camera::lockChanged, 0);

    // The reset option starts every camera from the default.
    EXPECT_EQ(camera::cameraStart(1), 1);
    EXPECT_TRUE(sameBytes(camera::editActive(), camera::defaultRecord()));
}

TEST_F(StoreTest, FirstStartCreatesTheStartupAndSettingsValuesWithDefaults) {
    settings::VIDbckBuffSysMem = 5;
    settings::VIDwVSync = 5;
    settings::VIDdefault = 5;
    settings::loadFilter = 5;
    settings::LSmagDiam = 5;
    settings::readStartupValues();
    settings::loadSettings();
    EXPECT_EQ(app::firstRun, 1);
    EXPECT_EQ(settings::VIDbckBuffSysMem, 0);
    EXPECT_EQ(settings::VIDwVSync, 1);
    EXPECT_EQ(settings::VIDdefault, -1);
    EXPECT_EQ(settings::loadFilter, 0xFFFFFFFFu);
    EXPECT_EQ(settings::LSmagDiam, 1);

    uint32_t v = 0;
    const auto hklm = store::HKEY_LOCAL_MACHINE;
    ASSERT_TRUE(store::readDword(hklm, key("startup"), "VIDbckBuffSysMem", v));
    EXPECT_EQ(v, 0u);
    ASSERT_TRUE(store::readDword(hklm, key("startup"), "VIDwVSync", v));
    EXPECT_EQ(v, 1u);
    ASSERT_TRUE(store::readDword(hklm, key("startup"), "VIDdefault", v));
    EXPECT_EQ(v, 0xFFFFFFFFu);
    ASSERT_TRUE(store::readDword(hklm, key("settings"), "loadFilter", v));
    EXPECT_EQ(v, 0xFFFFFFFFu);
    ASSERT_TRUE(store::readDword(hklm, key("settings"), "LSmagDiam", v));
    EXPECT_EQ(v, 1u);

    // The next start is not a first run, and one missing value alone does not make it one.
    app::firstRun = 0;
    store::deleteValue(hklm, key("startup"), "VIDwVSync");
    settings::readStartupValues();
    EXPECT_EQ(app::firstRun, 0);
}

TEST_F(StoreTest, ChangedSettingsSurviveARestartAndStayUnderTheirOwnRoot) {
    settings::readStartupValues();
    settings::loadSettings();
    settings::LSmagDiam ^= 1;  // the B key
    settings::loadFilter = 0x00000F0F;
    settings::VIDdefault = 12;
    settings::VIDwVSync = 0;
    settings::saveSettings();
    settings::writeStartupValues();

    // Another root (-r) starts from the defaults and leaves the first one alone.
    std::snprintf(app::registryRoot, sizeof app::registryRoot, "%s", "SOFTWARE\\Vyrex test root");
    app::firstRun = 0;
    settings::readStartupValues();
    settings::loadSettings();
    EXPECT_EQ(app::firstRun, 1);
    EXPECT_EQ(settings::LSmagDiam, 1);
    EXPECT_EQ(settings::VIDdefault, -1);
    camera::editCamera(1)->speed = 3;
    camera::saveCamera(1);

    std::snprintf(app::registryRoot, sizeof app::registryRoot, "%s", kDefaultRoot);
    app::firstRun = 0;
    settings::readStartupValues();
    settings::loadSettings();
    EXPECT_EQ(app::firstRun, 0);
    EXPECT_EQ(settings::LSmagDiam, 0);
    EXPECT_EQ(settings::loadFilter, 0x00000F0Fu);
    EXPECT_EQ(settings::VIDdefault, 12);
    EXPECT_EQ(settings::VIDwVSync, 0);
    EXPECT_TRUE(storedCamera(1).empty());  // that camera went to the other root
}

TEST_F(StoreTest, SettingsAreNotSavedOverStoredOnesBeforeTheyWereLoaded) {
    const auto hklm = store::HKEY_LOCAL_MACHINE;
    store::createKey(hklm, key("settings"));
    store::writeDword(hklm, key("settings"), "LSmagDiam", 0);
    store::writeDword(hklm, key("settings"), "loadFilter", 0x11);
    settings::settingsLoaded = 0;
    settings::LSmagDiam = 1;  // the defaults of a start-up that failed early
    settings::loadFilter = 0xFFFFFFFFu;
    settings::saveSettings();
    uint32_t v = 7;
    ASSERT_TRUE(store::readDword(hklm, key("settings"), "LSmagDiam", v));
    EXPECT_EQ(v, 0u);

    settings::loadSettings();
    EXPECT_EQ(settings::loadFilter, 0x11u);
    settings::LSmagDiam = 1;
    settings::saveSettings();
    ASSERT_TRUE(store::readDword(hklm, key("settings"), "LSmagDiam", v));
    EXPECT_EQ(v, 1u);
}

TEST_F(StoreTest, VerboseStartLogsTheLoadedSettings) {
    const std::string logFile = (dir / "settings.log").string();
    logc::openChannel(1, ("$" + logFile).c_str());
    app::mode.DB = 1;
    settings::loadSettings();
    app::mode.DB = 0;
    logc::closeChannels();
    std::FILE* f = std::fopen(logFile.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    char text[256] = {};
    const size_t n = std::fread(text, 1, sizeof text - 1, f);
    std::fclose(f);
    EXPECT_EQ(std::string(text, n), "\r\n\tsettings:\r\n\t\tLF:FFFFFFFF MD:00000001");
}

}  // namespace
