// The command interpreter driven through consoleExecute, with what it printed read back from the
// screen: every command word and sub-word, the argument kinds, the error line, plug-in commands
// and the reports.
#include <cstring>

#include "console_fixture.h"
#include "base/timer.h"
#include "support/synthcatalog.h"

namespace {

using consoletest::ConsoleTest;
using consoletest::events;
using namespace console;

class Commands : public ConsoleTest {
protected:
    void SetUp() override {
        ConsoleTest::SetUp();
        sky.addStar({1, 2, 3}, 1.0, 0.6, 0, synth::hipCode(7));
        sky.addStar({4, 5, 6}, 1.0, 0.6, 0, synth::hipCode(8));
        sky.attach();
    }

    // Runs a line that must print nothing.
    void silent(const std::string& line) { EXPECT_EQ(said(line), "") << line; }
    // Runs a line that must answer with the error line and change nothing.
    void refused(const std::string& line) {
        const CameraRecord before = cam();
        events().clear();
        EXPECT_EQ(said(line), "\n" + wrapped(line + " ?"));
        EXPECT_EQ(std::memcmp(&before, &cam(), sizeof before), 0) << line;
        EXPECT_TRUE(events().empty()) << line;
    }

    // The text as the screen shows it: rows of 80 characters.
    static std::string wrapped(const std::string& text) {
        std::string out;
        for (size_t i = 0; i < text.size(); i += kColumns) out += (i ? "\n" : "") + text.substr(i, kColumns);
        if (!text.empty() && text.size() % kColumns == 0) out += "\n";
        return out;
    }

    synth::SynthCatalog sky;
};

TEST_F(Commands, IdentifiersAreHexadecimal) {
    silent("camera lock f8fc");
    EXPECT_EQ(cam().lock, 63740);
    EXPECT_EQ(cam().lockBlink, 16);
    EXPECT_EQ(camera::lockChanged, 1);
    ASSERT_EQ(events().size(), 1u);
    EXPECT_EQ(events()[0].code, zode::kEventSelect);
    EXPECT_EQ(events()[0].a1, 63740);

    silent("camera lock 63740");
    EXPECT_EQ(cam().lock, 0x63740);
    silent("camera lock");
    EXPECT_EQ(cam().lock, 0) << "a missing identifier is star 0";
    silent("camera lock -1");
    EXPECT_EQ(cam().lock, -1);
    silent("camera lock zz");
    EXPECT_EQ(cam().lock, 0) << "an unreadable identifier is star 0";

    // Identifiers beyond 32 bits and words beyond the 64-character buffer are refused.
    refused("camera lock 123456789");
    refused("camera lock " + std::string(64, '0'));
    silent("camera lock " + std::string(62, '0') + "5");
    EXPECT_EQ(cam().lock, 5);

    camera::lockChanged = 0;
    camera::rebuildSky = 1;
    events().clear();
    silent("camera vlock 1");
    EXPECT_EQ(cam().vLock, 1);
    EXPECT_EQ(camera::lockChanged, 1);
    EXPECT_EQ(camera::rebuildSky, 0);
    EXPECT_EQ(codes(), std::vector<uint32_t>{zode::kEventCameraChanged});
}

TEST_F(Commands, UnknownOrMissingWordsAnswerWithTheErrorLine) {
    for (const char* line : {"camera 0", "camera 9", "camera", "stars", "stars bright", "set", "set y", "Camera 1",
                             "camera Lock 1", "camera ipos p(0,0,0)", "foo bar", "plugin audience",
                             "plugin listeners", "show", "macros", "ssys Time 5"})
        refused(line);
    refused("camera " + std::string(200, 'x'));
    refused(std::string(128, 'c'));
    // Silent lines.
    for (const char* line : {"", "   ", "help", "help me", "set x", "set x 5"}) silent(line);
    EXPECT_TRUE(events().empty());
    EXPECT_EQ(app::quit, 0);
    silent("exit");
    EXPECT_EQ(app::quit, 1);
    // Leading and repeated blanks separate words like one blank.
    silent("   camera    lock    2a");
    EXPECT_EQ(cam().lock, 0x2a);
}

TEST_F(Commands, CameraSelectionAndMotion) {
    silent("camera 3");
    EXPECT_EQ(camera::activeCameraIndex(), 2);
    silent("camera 1");
    EXPECT_EQ(camera::activeCameraIndex(), 0);

    const double view = cam().Cam.m[2][2];
    silent("camera back");
    EXPECT_NEAR(cam().Cam.m[2][2], -view, 1e-9) << "turned round";

    silent("camera lock 1");
    events().clear();
    silent("camera start");
    EXPECT_EQ(cam().travelling, 1);
    EXPECT_EQ(codes(), std::vector<uint32_t>{zode::kEventJourneyStart});
    events().clear();
    silent("camera stop");
    EXPECT_EQ(cam().travelling, 0);
    ASSERT_EQ(codes(), std::vector<uint32_t>{zode::kEventJourneyEnd});
    EXPECT_EQ(events()[0].a1, 0);
}

TEST_F(Commands, PositionsUseTheMarkerGrammar) {
    silent("camera Ipos p(1.5,-2,3e2)");
    EXPECT_EQ(cam().IPos.x, 1.5);
    EXPECT_EQ(cam().IPos.y, -2.0);
    EXPECT_EQ(cam().IPos.z, 300.0);
    silent("camera Ipos o(1)");
    EXPECT_EQ(cam().IPos.x, 4.0);
    EXPECT_EQ(cam().IPos.z, 6.0);
    silent("camera Ipos n(HIP 7)");
    EXPECT_EQ(cam().IPos.y, 2.0);
    EXPECT_EQ(camera::rebuildSky, 1);

    // Unreadable positions change nothing and print nothing.
    events().clear();
    for (const char* line : {"camera Ipos", "camera Ipos p(1,2)", "camera Ipos o(99)", "camera Ipos n(nobody)",
                             "camera Ipos q"})
        silent(line);
    EXPECT_EQ(cam().IPos.y, 2.0);
    EXPECT_TRUE(events().empty());

    silent("camera Spos p(1e8,0,-5)");
    EXPECT_EQ(cam().SPos.x, 1e8);
    EXPECT_EQ(cam().SPos.z, -5.0);
}

struct RealCase {
    const char* line;
    double CameraRecord::*field;
    double value;
    int rebuild;
};

TEST_F(Commands, RealSettingsRaiseTheirChangeWithTheRightRebuild) {
    const RealCase cases[] = {
        {"camera zoom 2.5", &CameraRecord::zoom, 2.5, 1},
        {"camera speed 0.25", &CameraRecord::speed, 0.25, 0},
        {"camera sspeed 1e6", &CameraRecord::sspeed, 1e6, 0},
        {"camera zclip 1e9", &CameraRecord::zclip, 1e9, 1},
        {"camera tree -0.5", &CameraRecord::tree, -0.5, 1},
        {"camera vradius 12", &CameraRecord::vradius, 12, 1},
        {"stars magLimit 6.5", &CameraRecord::starMagLimit, 6.5, 1},
        {"deepsky magLimit 11", &CameraRecord::deepSkyMagLimit, 11, 1},
        {"labels magLimit 2", &CameraRecord::labelMagLimit, 2, 1},
        {"ssys timeStep 3600", &CameraRecord::timeStep, 3600, 0},
        {"camera zoom", &CameraRecord::zoom, 0.0, 1},
        {"camera zoom abc", &CameraRecord::zoom, 0.0, 1},
        {"camera vradius 0.2", &CameraRecord::vradius, 1.0, 1},
    };
    for (const RealCase& c : cases) {
        camera::rebuildSky = 1 - c.rebuild;
        events().clear();
        silent(c.line);
        EXPECT_EQ(cam().*c.field, c.value) << c.line;
        EXPECT_EQ(camera::rebuildSky, c.rebuild) << c.line;
        EXPECT_EQ(codes(), std::vector<uint32_t>{zode::kEventCameraChanged}) << c.line;
    }
    refused("camera zoom nan");
    refused("camera zoom 1e999");
    refused("camera speed -inf");

    silent("camera mode 7");
    EXPECT_EQ(cam().mode, 7) << "set directly, without the mode checks";
    silent("deepsky flags 1a");
    EXPECT_EQ(cam().deepSkyTypes, 0x1Au);
    silent("deepsky all");
    EXPECT_EQ(cam().deepSkyTypes, 0xFFFFu);
}

struct FlagCase {
    const char* line;
    uint32_t bit;
    bool set;
};

TEST_F(Commands, DisplaySwitches) {
    const FlagCase cases[] = {
        {"stars off", 0x001, false},      {"stars on", 0x001, true},
        {"labels on", 0x002, true},       {"labels off", 0x002, false},
        {"deepsky off", 0x004, false},    {"deepsky on", 0x004, true},
        {"deepsky texture", 0x008, true}, {"deepsky simple", 0x008, false},
        {"galaxy off", 0x020, false},     {"galaxy on", 0x020, true},
        {"galaxy texture", 0x040, true},  {"galaxy simple", 0x040, false},
    };
    for (const FlagCase& c : cases) {
        cam().flags = c.set ? 0u : 0xFFFFFFFFu;
        camera::rebuildSky = 0;
        events().clear();
        silent(c.line);
        EXPECT_EQ(cam().flags, c.set ? c.bit : ~c.bit) << c.line;
        EXPECT_EQ(camera::rebuildSky, 1) << c.line;
        EXPECT_EQ(codes(), std::vector<uint32_t>{zode::kEventCameraChanged}) << c.line;
    }
    // The star-system switches change the flags and nothing else.
    const FlagCase quiet[] = {
        {"ssys on", 0x100, true}, {"ssys off", 0x100, false},
        {"ssys texture", 0x200, true}, {"ssys simple", 0x200, false},
    };
    for (const FlagCase& c : quiet) {
        cam().flags = c.set ? 0u : 0xFFFFFFFFu;
        camera::rebuildSky = 0;
        events().clear();
        silent(c.line);
        EXPECT_EQ(cam().flags, c.set ? c.bit : ~c.bit) << c.line;
        EXPECT_EQ(camera::rebuildSky, 0) << c.line;
        EXPECT_TRUE(events().empty()) << c.line;
    }
}

// The star-system clock steps by the days given, and settings changed without a rebuild.
TEST_F(Commands, SystemTimeStepsTheStarSystemClock) {
    const double before = cam().systemTime;
    camera::rebuildSky = 1;
    silent("ssys time 5.5");
    EXPECT_DOUBLE_EQ(cam().systemTime, before + 5.5);
    EXPECT_EQ(camera::rebuildSky, 0);
    EXPECT_EQ(codes(), std::vector<uint32_t>{zode::kEventCameraChanged});
    silent("ssys time -2");
    EXPECT_DOUBLE_EQ(cam().systemTime, before + 3.5);
}

TEST_F(Commands, SavedCamerasThroughTheConsole) {
    silent("camera zoom 3");
    silent("camera save");
    silent("camera zoom 5");
    camera::rebuildSky = 0;
    silent("camera load");
    EXPECT_EQ(cam().zoom, 3.0);
    EXPECT_EQ(camera::rebuildSky, 1);
    // The active camera is the one saved and loaded.
    silent("camera 4");
    silent("camera zoom 7");
    silent("camera save");
    *camera::editCamera(3) = camera::defaultRecord();
    silent("camera load");
    EXPECT_EQ(camera::editCamera(3)->zoom, 7.0);
    EXPECT_EQ(camera::editCamera(0)->zoom, 3.0);
}

TEST_F(Commands, Markers) {
    std::ofstream(program + "/marker/a.map") << "l{p(0,0,0);o(1);rgb(ff0000)}\nm{p(1,1,1);rgb(ff);c}\n";
    std::ofstream(program + "/marker/b.map") << "// nothing\n";
    EXPECT_EQ(said("marker list"), "\nMarkers:\na.map b.map\n");
    camera::rebuildSky = 0;
    silent("marker load a.map");
    EXPECT_EQ(markers::markerCount(), 2);
    EXPECT_EQ(camera::rebuildSky, 1);
    silent("marker load a.map");
    EXPECT_EQ(markers::markerCount(), 4);
    silent("marker load");
    silent("marker load nothing.map");
    EXPECT_EQ(markers::markerCount(), 4);
    camera::rebuildSky = 0;
    silent("marker clear");
    EXPECT_EQ(markers::markerCount(), 0);
    EXPECT_EQ(camera::rebuildSky, 1);
    silent("marker draw t{n(HIP 8);rgb(ff00);\"here\"}");
    ASSERT_EQ(markers::markerCount(), 1);
    EXPECT_STREQ(markers::markerAt(0)->text, "here");
    EXPECT_EQ(markers::markerAt(0)->point1.z, 6.0);
    silent("marker draw nonsense");
    EXPECT_EQ(markers::markerCount(), 1);
    events().clear();
    silent("marker on");
    EXPECT_EQ(markers::markersShown, 1);
    silent("marker off");
    EXPECT_EQ(markers::markersShown, 0);
    EXPECT_EQ(codes(), (std::vector<uint32_t>{zode::kEventCameraChanged, zode::kEventCameraChanged}));

    // A listing longer than one formatted print is shown whole.
    const std::string name(120, 'm');
    std::ofstream(program + "/marker/" + name + ".map") << "\n";
    said("marker list");
    EXPECT_EQ(rowAt(2) + rowAt(3), "a.map b.map " + name + ".map");
}

TEST_F(Commands, PluginCommandsComeFirst) {
    EXPECT_EQ(said("plugin all"), "\nPlugin(s) List:\n");
    EXPECT_EQ(consoleAddCommand(recorder, "zap"), 0);
    EXPECT_EQ(consoleAddCommand(recorder, "show"), 1);
    EXPECT_EQ(consoleAddCommand(recorder + 1, "show"), 2);  // a second "show" is never reached
    EXPECT_EQ(said("plugin con"), "\nConsole plugin(s):\nzap\nshow\nshow\n");

    events().clear();
    silent("show ver");
    ASSERT_EQ(events().size(), 1u);
    EXPECT_EQ(events()[0].code, kCommandMessage);
    EXPECT_EQ(events()[0].a1, 1);
    EXPECT_EQ(events()[0].text, " ver");
    events().clear();
    silent("  zap   a  b ");
    silent("zap");
    ASSERT_EQ(events().size(), 2u);
    EXPECT_EQ(events()[0].a1, 0);
    EXPECT_EQ(events()[0].text, "   a  b ");
    EXPECT_EQ(events()[1].text, "");
    refused("zapper");
}

TEST_F(Commands, MacrosThroughTheConsole) {
    silent("macros bind a camera back;labels off");
    EXPECT_STREQ(macroText('A'), "camera back;labels off");
    EXPECT_EQ(macroText('a'), nullptr);
    silent("macros bind  Z  x");
    EXPECT_STREQ(macroText('Z'), " x") << "the text starts at the second character after the key";
    silent("macros bind q");
    EXPECT_EQ(macroText('Q'), nullptr) << "a key alone binds an empty text";
    silent("macros bind \x7f text");
    silent("macros bind");
    EXPECT_EQ(said("macros list"), "\nMacros List:\nCtrl + 'A'=camera back;labels off\nCtrl + 'Z'= x");
    silent("macros unbind Z");
    EXPECT_EQ(macroText('Z'), nullptr);
    silent("macros save");
    std::string stored;
    EXPECT_TRUE(store::readString(store::HKEY_LOCAL_MACHINE, std::string(app::registryRoot) + "\\macros", "M41",
                                  stored));
    EXPECT_EQ(stored, "camera back;labels off");
    silent("macros unbind a");
    silent("macros load");
    EXPECT_STREQ(macroText('A'), "camera back;labels off") << "reloaded from the store";
}

TEST_F(Commands, Reports) {
    EXPECT_EQ(said("show ver"), "\nVyrex, Version 2.00 [Build 18]");

    static uint64_t ticks = 0;
    ticks = 0;
    timer::setTimerClocks([] { return ticks; }, 0.001, nullptr);
    timer::startTimer();
    ticks = 20;
    timer::tickTimer();  // 50 frames per second
    ticks = 45;
    timer::tickTimer();  // 40
    EXPECT_EQ(said("show fps"), "\nFPS: 40.00 (min=40.00 max=50.00 avg=44.44)");
    timer::setTimerClocks(nullptr, 0, nullptr);

    camera::rebuildSky = 1;
    camera::lockChanged = 0;
    camera::systemReload = 1;
    EXPECT_EQ(said("show rstat"),
              "\nRender status:\nstarList:0, lineList:0, textList:0\ndsmList:0, spotList:0, neb3dList:0"
              "\nbodyList:0 [1|0|1]\nSkyList:0, rList:0");

    // The run time counts from the program's start, not the console's.
    ticks = 1000;
    timer::setTimerClocks([] { return ticks; }, 1.0, nullptr);
    timer::markProgramStart();
    ticks += 7322;
    consoleStop();
    ASSERT_EQ(consoleStart(), 1);
    blankScreen();
    consoleExecute("show cputime");
    EXPECT_EQ(screen(), "\nSection run time:7322s (2h)");
    timer::setTimerClocks(nullptr, 0, nullptr);

    cam().IPos = {1.5, -2, 3};
    cam().SPos = {2 * 149600000.0, 0, -74800000.0};
    cam().Cam = Matrix4{};
    for (int i = 0; i < 3; ++i) cam().Cam.m[i][i] = 1.0;
    cam().Cam.m[0][1] = -0.25;
    cam().lock = 0x63740;
    cam().vLock = -1;
    cam().central = 0x02000001;
    EXPECT_EQ(said("show pos"),
              "\nIPos: (1.500000,-2.000000,3.000000) Ly"
              "\nSPos: (2.000000,0.000000,-0.500000) AU"
              "\nCam = | 1.000000 -0.250000 0.000000 |"
              "\n      | 0.000000 1.000000 0.000000 |"
              "\n      | 0.000000 0.000000 1.000000 |"
              "\nLock:00063740 vLock:FFFFFFFF central:02000001");
}

}  // namespace
