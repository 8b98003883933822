// The video layer on the headless backend: the mode list, start and stop, whole presents with the
// pointer, screenshots, the application switch, error reports and the splash.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/app.h"
#include "base/input_state.h"
#include "base/log.h"
#include "base/settings.h"
#include "platform/store.h"
#include "video/pacing.h"
#include "video/splash.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_display.h"
#include "support/packwriter.h"
#include "vfs/vfs.h"
#include "video/video.h"

namespace {

using platform::DisplayMode;

constexpr uint32_t kMagenta = 0xFF00FF, kWhite = 0xFFFFFF, kRed = 0xFF0000, kGreen = 0x00FF00,
                   kBlue = 0x0000FF;

// A 24-bit bottom-up BMP of the given rows (top row first) of 0xRRGGBB pixels.
std::string bmp(const std::vector<std::vector<uint32_t>>& rows) {
    const int w = (int)rows[0].size(), h = (int)rows.size();
    const int rowBytes = (w * 3 + 3) & ~3;
    std::string b(54 + (size_t)rowBytes * h, '\0');
    auto put = [&](size_t at, uint32_t v, int n) {
        for (int i = 0; i < n; ++i) b[at + i] = (char)(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put(2, (uint32_t)b.size(), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, (uint32_t)w, 4);
    put(22, (uint32_t)h, 4);
    put(26, 1, 2);
    put(28, 24, 2);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) put(54 + (size_t)(h - 1 - y) * rowBytes + 3 * x, rows[y][x], 3);
    return b;
}

std::string solid(int w, int h, uint32_t colour) {
    return bmp(std::vector<std::vector<uint32_t>>(h, std::vector<uint32_t>(w, colour)));
}

intptr_t quietProc(const platform::Message&) { return 0; }

TEST(ModeList, FilterKeepsUsableModesOnceInOrder) {
    const DisplayMode modes[] = {
        {1280, 800, 24, 2}, {1280, 800, 24, 2},  // listed once
        {800, 600, 8, 2},                        // too few colours
        {1024, 768, 32, 2},                      // more than 24 bits as reported
        {320, 240, 16, 2},                       // too narrow
        {640, 400, 16, 2},  {1024, 768, 16, 1},  // one page: only with the memory back buffer
        {1600, 900, 24, 2}, {800, 600, 15, 0},   // no page at all
    };
    video::ModeList list;
    video::filterModes(modes, 9, 0, list);
    ASSERT_EQ(list.count, 3);
    EXPECT_EQ(list.modes[1].width, 640);
    EXPECT_EQ(list.modes[2].width, 1600);
    video::filterModes(modes, 9, 1, list);
    ASSERT_EQ(list.count, 4);
    EXPECT_EQ(list.modes[2].pages, 1);

    // The automatic choice skips modes lower than 480 and falls back to the first.
    video::filterModes(modes + 5, 3, 1, list);
    EXPECT_EQ(video::automaticMode(list), 1);
    video::filterModes(modes + 5, 1, 1, list);
    EXPECT_EQ(video::automaticMode(list), 0);
    video::ModeList many;
    std::vector<DisplayMode> lots(100, DisplayMode{640, 480, 16, 2});
    for (int i = 0; i < 100; ++i) lots[i].width = 640 + i;
    video::filterModes(lots.data(), 100, 0, many);
    EXPECT_EQ(many.count, video::kMaxModes);
}

// A program folder with test bitmaps in its packs, a headless window, the log on a file, and the
// video settings and mode list as a fresh process has them.
class Video : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vyrex-video-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        std::filesystem::create_directory(root + "/data");
        std::strcpy(saved, app::programFolder);
        std::snprintf(app::programFolder, sizeof app::programFolder, "%s", root.c_str());
        headless::reset();
        headless::resetDisplay();
        headless::setModes({{640, 480, 24, 2}});
        settings::VIDbckBuffSysMem = 0;
        settings::VIDwVSync = 1;
        settings::VIDdefault = -1;
        video::modeList.count = 0;
        app::pointerDrawn = 0;
        app::active = 1;
        logc::resetChannels();
        logc::openChannel(1, ("$" + root + "/log.txt").c_str());
        ASSERT_TRUE(platform::createMainWindow("Vyrex", quietProc));
    }
    void TearDown() override {
        video::stop();
        input::resetInputState();
        input::pointer.x = input::pointer.y = 0;
        platform::destroyMainWindow();
        vfs::closePacks();
        logc::closeChannels();
        headless::reset();
        headless::resetDisplay();
        settings::VIDbckBuffSysMem = 0;
        settings::VIDwVSync = 1;
        settings::VIDdefault = -1;
        settings::VIDpresent = 0;
        video::modeList.count = 0;
        std::strcpy(app::programFolder, saved);
        std::filesystem::remove_all(root);
    }

    // The pointer: white, (key), red / (key), green, (key). The help pointer: blue with a key pixel.
    void packs(bool withPointers = true, std::vector<packwriter::MemoryFile> more = {}) {
        if (withPointers) {
            more.push_back({"pointer.bmp", bmp({{kWhite, kMagenta, kRed}, {kMagenta, kGreen, kMagenta}})});
            more.push_back({"hpointer.bmp", bmp({{kBlue, kMagenta}, {kBlue, kBlue}})});
        }
        more.push_back({"filler", "x"});
        ASSERT_EQ(packwriter::writeBytes(root + "/data/vyrex2.vfs", packwriter::buildOrDie(more)), "");
        ASSERT_EQ(packwriter::writeBytes(root + "/data/catalog.vfs", packwriter::buildOrDie({{"stars", "S"}})), "");
        ASSERT_EQ(vfs::openPacks(), 1);
    }

    std::string log() {
        std::ifstream in(root + "/log.txt", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static uint32_t shown(int x, int y) { return headless::lastFramePixel(x, y); }
    static draw::Surface& drawing() { return *video::state.drawing; }

    std::string root;
    char saved[app::kPathMax + 1];
};

TEST_F(Video, BuildsTheModeListFromTheDisplayAndKeepsTheAutomaticChoiceAutomatic) {
    headless::setModes({{640, 400, 16, 2}, {800, 600, 24, 2}, {1024, 768, 24, 1}});
    EXPECT_EQ(video::buildModeList(), 2);
    EXPECT_EQ(video::automaticMode(video::modeList), 1);
    EXPECT_EQ(settings::VIDdefault, -1) << "the stored -1 means automatic on every machine";
    settings::VIDdefault = 0;
    settings::VIDbckBuffSysMem = 1;
    EXPECT_EQ(video::buildModeList(), 3);
    EXPECT_EQ(settings::VIDdefault, 0);  // a chosen mode stays chosen

    // With no list given, the desktop's size comes first and the common sizes that fit follow.
    headless::setModes({});
    headless::setDesktop(1366, 768);
    settings::VIDdefault = -1;
    ASSERT_GE(video::buildModeList(), 4);
    EXPECT_EQ(video::modeList.modes[0].width, 1366);
    EXPECT_EQ(settings::VIDdefault, -1);
    for (int i = 1; i < video::modeList.count; ++i) EXPECT_LE(video::modeList.modes[i].width, 1366);
}

class Present : public Video, public ::testing::WithParamInterface<int> {};

TEST_P(Present, ShowsTheFrameWithThePointerAndStartsTheNextOneCleared) {
    settings::VIDbckBuffSysMem = GetParam();
    packs();
    ASSERT_EQ(video::start(), 1);
    EXPECT_EQ(video::state.BB, GetParam());
    EXPECT_EQ(video::state.width, 639);
    EXPECT_EQ(video::state.height, 479);
    EXPECT_EQ(video::state.centreX, 319);
    EXPECT_EQ(video::state.centreY, 239);
    EXPECT_EQ(headless::displayWidth(), 640);
    EXPECT_EQ(app::pointerDrawn, 1);
    EXPECT_EQ(video::brightness, nullptr);  // 32-bit drawing surface

    draw::Surface& s = drawing();
    draw::setColour(s, video::colours.blue[8]);
    draw::fillRect(s, 0, 0, 640, 480);
    draw::setColour(s, video::colours.red[0]);
    draw::pixel(s, 639, 479);
    input::pointer.x = 100;  // where the poll of this pass saw the pointer
    input::pointer.y = 50;
    video::present();
    ASSERT_EQ(headless::framesPresented(), 1);
    const uint32_t under = video::colours.blue[8];
    EXPECT_EQ(shown(639, 479), kRed);
    EXPECT_EQ(shown(99, 50), under);
    EXPECT_EQ(shown(100, 50), kWhite);
    EXPECT_EQ(shown(101, 50), under);  // key colour left out
    EXPECT_EQ(shown(102, 50), kRed);
    EXPECT_EQ(shown(100, 51), under);
    EXPECT_EQ(shown(101, 51), kGreen);
    EXPECT_EQ(shown(102, 51), under);
    EXPECT_FALSE(headless::systemCursorShown());

    // The next frame starts black, and the pointer follows the poll.
    for (int i = 0; i < 640 * 480; i += 997) ASSERT_EQ(drawing().pixels[i], 0u);
    input::pointer.x = -1;
    input::pointer.y = 478;
    video::present();
    EXPECT_EQ(shown(639, 479), 0u);
    EXPECT_EQ(shown(0, 478), 0u);  // clipped at the left edge
    EXPECT_EQ(shown(1, 478), kRed);
    EXPECT_EQ(shown(0, 479), kGreen);
    EXPECT_EQ(shown(1, 479), 0u);

    // The help pointer, and no pointer at all.
    video::state.pointerKind = video::kHelpPointer;
    video::present();
    EXPECT_EQ(shown(0, 478), 0u);
    EXPECT_EQ(shown(0, 479), kBlue);
    app::pointerDrawn = 0;
    video::present();
    EXPECT_EQ(shown(0, 479), 0u);
    EXPECT_TRUE(headless::systemCursorShown());
    EXPECT_EQ(headless::framesPresented(), 4);
}

INSTANTIATE_TEST_SUITE_P(BackBuffer, Present, ::testing::Values(0, 1));

TEST_F(Video, ModeChoiceBackBufferAndRetraceFollowTheSettings) {
    headless::setModes({{800, 600, 24, 1}, {1024, 768, 24, 2}});
    packs();
    // A one-page mode always draws on the memory back buffer.
    settings::VIDbckBuffSysMem = 1;
    settings::VIDdefault = 0;
    settings::VIDwVSync = 0;
    ASSERT_EQ(video::start(), 1);
    EXPECT_EQ(headless::displayWidth(), 800);
    settings::VIDbckBuffSysMem = 0;  // as a command line might say for this run
    video::stop();
    ASSERT_EQ(video::start(), 1);
    EXPECT_EQ(video::state.BB, 1);
    EXPECT_EQ(video::state.waitMode, 2);
    EXPECT_FALSE(headless::displayVsync());
    video::stop();

    // An index beyond the list takes the automatic choice.
    settings::VIDdefault = 7;
    settings::VIDwVSync = 1;
    ASSERT_EQ(video::start(), 1);
    EXPECT_EQ(video::state.modeIndex, 0);
    EXPECT_EQ(video::state.waitMode, 1);
    EXPECT_TRUE(headless::displayVsync());
}

TEST_F(Video, StartFailuresReportAndLeaveNothingOpen) {
    packs();
    headless::failDisplayOpen(true);
    EXPECT_EQ(video::start(), 0);
    EXPECT_NE(log().find("\r\nMGL VIDEO ERROR (-8)'the display cannot be opened: the display fails, as "
                         "the test asked' @(video:"),
              std::string::npos)
        << log();
    headless::failDisplayOpen(false);

    headless::setModes({{320, 200, 8, 1}});
    video::modeList.count = 0;
    EXPECT_EQ(video::start(), 0);
    EXPECT_NE(log().find("MGL VIDEO ERROR (-7)'no usable display mode'"), std::string::npos);
    EXPECT_FALSE(headless::displayOpen());

    // Without a window there is nothing to present in.
    headless::setModes({{640, 480, 24, 2}});
    video::modeList.count = 0;
    platform::destroyMainWindow();
    EXPECT_EQ(video::start(), 0);
    EXPECT_EQ(video::state.open, 0);
    video::stop();  // not open: nothing to do
    video::present();
    EXPECT_EQ(headless::framesPresented(), 0);
}

TEST_F(Video, MissingPointerBitmapFailsWithoutAReportLine) {
    packs(false);
    const std::string before = log();
    EXPECT_EQ(video::start(), 0);
    EXPECT_EQ(log(), before);
    EXPECT_FALSE(headless::displayOpen());
    EXPECT_EQ(video::state.drawing, nullptr);
}

TEST_F(Video, VerboseLogDescribesTheModeAndTheModes) {
    headless::setModes({{640, 480, 24, 2}, {800, 600, 16, 2}});
    packs();
    app::mode.DB = 1;
    settings::VIDdefault = 1;
    const int ok = video::start();
    app::mode.DB = 0;
    ASSERT_EQ(ok, 1);
    const std::string text = log();
    EXPECT_NE(text.find("\r\n\tinit Video:\r\n\t\tBB:0 VL:1 HW:0 DT:0 VSYNC:1 SZ:(1875Kb)"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\r\n\t\t 640x480x24 SDL 2 pages\r\n\t\t*800x600x16 SDL 2 pages"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\tCLIP :0"), std::string::npos);
}

TEST_F(Video, ApplicationSwitchStopsAndResumesFrames) {
    packs();
    ASSERT_EQ(video::start(), 1);
    app::pointerDrawn = 0;
    draw::setColour(drawing(), video::colours.white);
    draw::fillRect(drawing(), 0, 0, 640, 480);
    video::present();
    EXPECT_EQ(shown(5, 5), kWhite);
    video::applicationSwitch(false);
    EXPECT_EQ(app::active, 0);
    video::applicationSwitch(true);
    EXPECT_EQ(app::active, 1);
    EXPECT_EQ(shown(5, 5), 0u);  // the stale frame is gone
    EXPECT_EQ(headless::framesPresented(), 2);
}

TEST_F(Video, ScreenshotsAreNumberedAndHoldTheFrameWithoutThePointer) {
    packs();
    ASSERT_EQ(video::start(), 1);
    std::fclose(std::fopen((root + "/pic0001.bmp").c_str(), "wb"));
    video::requestScreenshot();
    EXPECT_EQ(video::state.screenshotPending, 1);
    EXPECT_EQ(std::string(video::state.screenshotPath), root + "/pic0002.bmp");

    draw::putPixel(drawing(), 0, 0, draw::packColour(video::state.format, 1, 2, 3));
    draw::putPixel(drawing(), 638, 478, draw::packColour(video::state.format, 4, 5, 6));
    input::pointer.x = input::pointer.y = 0;
    video::present();
    EXPECT_EQ(video::state.screenshotPending, 0);
    EXPECT_EQ(shown(0, 0), kWhite);  // the pointer is on the screen, not in the picture

    std::ifstream in(root + "/pic0002.bmp", std::ios::binary);
    const std::string f((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // A 640 × 480 mode declares its largest coordinates, 639 × 479; rows pad 1917 bytes to 1920.
    ASSERT_EQ(f.size(), 54u + 1920u * 479u);
    auto u32 = [&](size_t at) {
        return (uint32_t)(uint8_t)f[at] | (uint32_t)(uint8_t)f[at + 1] << 8 |
               (uint32_t)(uint8_t)f[at + 2] << 16 | (uint32_t)(uint8_t)f[at + 3] << 24;
    };
    EXPECT_EQ(f.substr(0, 2), "BM");
    EXPECT_EQ(u32(2), 54u + 1920u * 479u);
    EXPECT_EQ(u32(6), 0u);
    EXPECT_EQ(u32(10), 54u);
    EXPECT_EQ(u32(14), 40u);
    EXPECT_EQ(u32(18), 639u);
    EXPECT_EQ(u32(22), 479u);
    EXPECT_EQ(u32(26), 1u | 24u << 16);  // planes, bits per pixel
    EXPECT_EQ(u32(30), 0u);
    EXPECT_EQ(u32(34), 1920u * 479u);
    // Bottom-up: y = 478 is the first row, y = 0 the last; blue, green, red.
    EXPECT_EQ(f.substr(54 + 638 * 3, 3), std::string("\x06\x05\x04", 3));
    EXPECT_EQ(f.substr(54 + 478 * 1920, 3), std::string("\x03\x02\x01", 3));
    EXPECT_EQ(f.substr(54 + 1917, 3), std::string(3, '\0'));  // padding

    // Numbers go on in upper-case hexadecimal past the taken ones.
    for (const char* taken : {"pic0003.bmp", "pic0004.bmp", "pic0005.bmp", "pic0006.bmp",
                              "pic0007.bmp", "pic0008.bmp", "pic0009.bmp"})
        std::fclose(std::fopen((root + "/" + taken).c_str(), "wb"));
    video::requestScreenshot();
    EXPECT_EQ(std::string(video::state.screenshotPath), root + "/pic000A.bmp");
}

TEST_F(Video, AScreenshotThatCannotBeCreatedStaysPending) {
    packs();
    ASSERT_EQ(video::start(), 1);
    std::snprintf(app::programFolder, sizeof app::programFolder, "%s/missing", root.c_str());
    video::requestScreenshot();
    ASSERT_EQ(video::state.screenshotPending, 1);
    video::present();
    video::present();
    EXPECT_EQ(video::state.screenshotPending, 1);
    std::filesystem::create_directory(root + "/missing");
    video::present();
    EXPECT_EQ(video::state.screenshotPending, 0);
    EXPECT_TRUE(std::filesystem::exists(root + "/missing/pic0001.bmp"));
}

TEST_F(Video, SplashShowsTheLogoAndTheProgressBar) {
    packs(true, {{"intro.bmp", solid(160, 78, 0x123456)}});
    ASSERT_EQ(video::start(), 1);
    const uint32_t done = 0x0000C0, rest = 0x000040;
    splash::splashBegin(9);
    EXPECT_EQ(app::pointerDrawn, 0);
    // Centre (319, 239): the logo from (239, 200), the bar from (219, 289) to (419, 297).
    EXPECT_EQ(shown(239, 200), 0x123456u);
    EXPECT_EQ(shown(398, 277), 0x123456u);
    EXPECT_EQ(shown(238, 200), 0u);
    EXPECT_EQ(shown(399, 277), 0u);
    EXPECT_EQ(shown(219, 289), rest);
    EXPECT_EQ(shown(418, 296), rest);
    EXPECT_EQ(shown(419, 289), 0u);
    EXPECT_EQ(shown(219, 297), 0u);
    splash::splashStep();
    EXPECT_EQ(shown(219, 289), rest);  // a step shows the progress before it
    splash::splashStep();
    EXPECT_EQ(shown(219, 289), done);
    EXPECT_EQ(shown(240, 296), done);  // 200 / 9 = 22 pixels a step
    EXPECT_EQ(shown(241, 296), rest);
    for (int i = 0; i < 20; ++i) splash::splashStep();  // more steps than announced
    EXPECT_EQ(shown(418, 289), done);
    EXPECT_EQ(shown(419, 289), 0u);
    splash::splashEnd();
    EXPECT_EQ(app::pointerDrawn, 1);
}

// The bitmaps the program ships, as committed to the vyrex2 pack's folder.
draw::BitmapPtr shipped(const char* name) {
    std::ifstream in(std::string(VYREX_SOURCE_DIR) + "/data/vyrex2/" + name, std::ios::binary);
    const std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return draw::parseBmp(reinterpret_cast<const uint8_t*>(b.data()), b.size());
}

TEST(ShippedBitmaps, PointersHaveTheirHotSpotTopLeftAndTheLogoItsSize) {
    for (const char* name : {"pointer.bmp", "hpointer.bmp"}) {
        draw::BitmapPtr p = shipped(name);
        ASSERT_TRUE(p) << name << ": " << draw::lastErrorText();
        EXPECT_NE(p->pixels[0], kMagenta) << name << ": the hot spot is drawn";
        int keyed = 0;
        for (int i = 0; i < p->width * p->height; ++i) keyed += p->pixels[i] == kMagenta;
        EXPECT_GT(keyed, p->width * p->height / 3) << name << ": an arrow, not a block";
    }
    draw::BitmapPtr intro = shipped("intro.bmp");
    ASSERT_TRUE(intro);
    EXPECT_EQ(intro->width, 160);
    EXPECT_EQ(intro->height, 78);
}

// ---- Present paths, scaling and pacing ---------------------------------------------------------

namespace pacing {

uint64_t now = 0;  // µs
int sleeps = 0;
uint64_t clockNow() { return now; }
void sleepUntil(uint64_t tick) {
    ++sleeps;
    if (tick > now) now = tick;
}

}  // namespace pacing

platform::RendererDescription gpu(bool exists = true) {
    platform::RendererDescription r;
    r.exists = exists;
    std::snprintf(r.driver, sizeof r.driver, "opengl");
    r.accelerated = true;
    std::snprintf(r.device, sizeof r.device, "NVIDIA GeForce GTX 1060 6GB/PCIe/SSE2");
    return r;
}

TEST(FramePacer, ALateFrameKeepsTheBeatAndARateOfZeroNeverWaits) {
    video::FramePacer p;
    video::startPacing(p, 50, 1e-3);  // 20 ms on a millisecond clock
    EXPECT_EQ(p.period, 20u);
    EXPECT_EQ(video::paceFrame(p, 100), 0u);    // the first frame goes at once
    EXPECT_EQ(video::paceFrame(p, 105), 120u);  // then on the beat
    EXPECT_EQ(video::paceFrame(p, 155), 0u);    // due at 140, 15 ms late: at once...
    EXPECT_EQ(video::paceFrame(p, 156), 160u);  // ...and the next one sooner, on the old beat
    video::startPacing(p, 0, 1e-3);
    EXPECT_EQ(video::paceFrame(p, 100), 0u);
    EXPECT_EQ(video::paceFrame(p, 101), 0u);
}

class Paced : public Video {
protected:
    void SetUp() override {
        Video::SetUp();
        pacing::now = 1000000;
        pacing::sleeps = 0;
        video::setPacingClock(pacing::clockNow, 1e-6, pacing::sleepUntil);
        packs();
    }
    void TearDown() override {
        video::setPacingClock(nullptr, 0.0, nullptr);
        headless::setRenderer(platform::RendererDescription{});
        Video::TearDown();
    }
    // Frames shown in one second of the clock, each frame's drawing taking `workMicros`.
    int framesInASecond(uint64_t workMicros) {
        const uint64_t end = pacing::now + 1000000;
        int frames = 0;
        while (true) {
            pacing::now += workMicros;
            video::present();
            if (pacing::now >= end) return frames;
            ++frames;
        }
    }
};

TEST_F(Paced, TheWindowSurfaceIsPacedToTheRefreshRateAndUnpacedWithoutVsync) {
    ASSERT_EQ(video::start(), 1);
    EXPECT_EQ(video::state.presentPath, platform::PresentPath::kSurface);
    EXPECT_EQ(video::state.pacedHz, 60);  // the display does not say its rate
    const int frames = framesInASecond(5000);
    EXPECT_NEAR(frames, 60, 1);
    EXPECT_GE(pacing::sleeps, frames - 1);
    // Frames slower than the beat are not held back further, and the beat then holds again.
    EXPECT_NEAR(framesInASecond(25000), 40, 1);
    EXPECT_NEAR(framesInASecond(1000), 60, 1);
    video::stop();

    headless::setRefreshRate(75);
    ASSERT_EQ(video::start(), 1);
    EXPECT_EQ(video::state.pacedHz, 75);
    EXPECT_NEAR(framesInASecond(2000), 75, 1);
    video::stop();

    settings::VIDwVSync = 0;
    ASSERT_EQ(video::start(), 1);
    EXPECT_EQ(video::state.pacedHz, 0);
    pacing::sleeps = 0;
    EXPECT_EQ(framesInASecond(1000), 999);  // free: as fast as the frames are drawn
    EXPECT_EQ(pacing::sleeps, 0);
}

TEST_F(Paced, ARendererThatWaitsForTheRetraceIsNotPacedAgain) {
    headless::setRenderer(gpu(), true);
    ASSERT_EQ(video::start(), 1);
    EXPECT_EQ(video::state.presentPath, platform::PresentPath::kTexture);
    EXPECT_EQ(video::state.pacedHz, 0);
    framesInASecond(1000);
    EXPECT_EQ(pacing::sleeps, 0);
    video::stop();

    // One that ignores the request is paced like the window surface.
    headless::setRenderer(gpu(), false);
    headless::setRefreshRate(50);
    ASSERT_EQ(video::start(), 1);
    EXPECT_EQ(video::state.pacedHz, 50);
    EXPECT_NEAR(framesInASecond(1000), 50, 1);
}

TEST_F(Paced, ALongStallStartsTheBeatAgainWithoutABurst) {
    ASSERT_EQ(video::start(), 1);
    framesInASecond(1000);
    pacing::now += 500000;  // half a second away (a slow rebuild, a dragged window)
    video::present();
    pacing::sleeps = 0;
    const uint64_t before = pacing::now;
    video::present();  // the next frame waits a whole period, it does not rush
    EXPECT_EQ(pacing::sleeps, 1);
    EXPECT_EQ(pacing::now - before, 16667u);
}

TEST_F(Paced, TheLogSaysWhichPathAndWhyAndHowFramesArePaced) {
    struct Case {
        platform::RendererDescription renderer;
        int vsync, present;
        const char* lines;
    };
    platform::RendererDescription llvmpipe = gpu();
    std::snprintf(llvmpipe.device, sizeof llvmpipe.device, "llvmpipe (LLVM 15.0.6, 256 bits)");
    const Case cases[] = {
        {llvmpipe, 1, 0,
         "\r\n\t\tPresent: window surface (SDL's renderer \"opengl\" draws with llvmpipe (LLVM 15.0.6, "
         "256 bits), a software rasterizer)\r\n\t\tPacing: 60 Hz by sleeping (the window surface does "
         "not wait for the retrace; the display does not say its rate)"},
        {llvmpipe, 1, 2,
         "\r\n\t\tPresent: streaming texture (asked for by the start-up settings)\r\n\t\tPacing: the "
         "renderer waits for the retrace"},
        {gpu(), 0, 1,
         "\r\n\t\tPresent: window surface (asked for by the start-up settings)\r\n\t\tPacing: none, "
         "frames run free (VSYNC 0)"},
        {gpu(false), 1, 2,
         "\r\n\t\tPresent: window surface (asked for by the start-up settings; the streaming texture "
         "failed (no renderer), so the window surface)"},
    };
    app::mode.DB = 1;
    for (const Case& c : cases) {
        headless::setRenderer(c.renderer);
        settings::VIDwVSync = c.vsync;
        settings::VIDpresent = c.present;
        const size_t from = log().size();
        const int ok = video::start();
        video::stop();
        ASSERT_EQ(ok, 1);
        EXPECT_NE(log().find(c.lines, from), std::string::npos) << log().substr(from);
    }
    app::mode.DB = 0;
    settings::VIDpresent = 0;
}

TEST_F(Paced, TheSurfacePathShowsTheFrameByWholePixelsInTheWindow) {
    settings::VIDwVSync = 0;
    headless::setWindowSize(1300, 980);  // 640 × 480 twice, with bars of 10 pixels
    ASSERT_EQ(video::start(), 1);
    app::pointerDrawn = 0;
    draw::setColour(drawing(), video::colours.white);
    draw::fillRect(drawing(), 0, 0, 640, 480);
    draw::putPixel(drawing(), 639, 479, video::colours.red[0]);
    draw::putPixel(drawing(), 0, 0, video::colours.blue[0]);
    video::present();
    ASSERT_EQ(headless::targetWidth(), 1300);
    EXPECT_EQ(shown(9, 9), 0u);  // the bars are black
    for (int y : {10, 11})
        for (int x : {10, 11}) EXPECT_EQ(shown(x, y), kBlue);
    EXPECT_EQ(shown(12, 10), kWhite);
    for (int y : {968, 969})
        for (int x : {1288, 1289}) EXPECT_EQ(shown(x, y), kRed);
    EXPECT_EQ(shown(1290, 969), 0u);
    EXPECT_EQ(shown(1289, 970), 0u);

    // The window made smaller than the frame: the whole frame, shrunk to fit; each window pixel
    // shows the frame pixel nearest its centre, here the odd ones.
    headless::setWindowSize(320, 300);
    draw::putPixel(drawing(), 639, 479, video::colours.red[0]);
    draw::putPixel(drawing(), 1, 1, video::colours.blue[0]);
    video::present();
    ASSERT_EQ(headless::targetWidth(), 320);
    EXPECT_EQ(shown(0, 30), kBlue);  // 320 × 240, 30 pixels down
    EXPECT_EQ(shown(319, 269), kRed);
    EXPECT_EQ(shown(0, 29), 0u);

    // The application switch blacks out the whole window.
    video::applicationSwitch(true);
    EXPECT_EQ(shown(0, 30), 0u);
    EXPECT_EQ(shown(319, 299), 0u);
}

TEST_F(Video, ThePresentPathIsAStoredStartUpValueThatDoesNotMakeAFirstRun) {
    store::setLocation(root + "/config/vyrex.reg");
    const store::Hive hklm = store::HKEY_LOCAL_MACHINE;
    const std::string startup = std::string(app::registryRoot) + "\\startup";
    app::firstRun = 0;
    settings::VIDpresent = 7;
    settings::readStartupValues();
    EXPECT_EQ(app::firstRun, 1);
    EXPECT_EQ(settings::VIDpresent, 0);
    uint32_t v = 99;
    ASSERT_TRUE(store::readDword(hklm, startup, "VIDpresent", v));
    EXPECT_EQ(v, 0u);  // written back with its default

    // A store from before the value existed is no new machine; a stored choice is kept.
    app::firstRun = 0;
    store::deleteValue(hklm, startup, "VIDpresent");
    settings::readStartupValues();
    EXPECT_EQ(app::firstRun, 0);
    settings::VIDpresent = 2;
    settings::writeStartupValues();
    settings::VIDpresent = 0;
    settings::readStartupValues();
    EXPECT_EQ(settings::VIDpresent, 2);
    store::setLocation("");
    app::firstRun = 0;
}

}  // namespace
