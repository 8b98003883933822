// The present path chosen from described renderers (none, software, hardware, forced by the
// settings or the environment, and the fallback when a path fails), whether the present waits for
// the retrace, and where a frame lands in a window.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/backend.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_display.h"

namespace {

using platform::PresentPath;
using platform::RendererDescription;

intptr_t quietProc(const platform::Message&) { return 0; }

RendererDescription renderer(const char* driver, bool accelerated, const char* device) {
    RendererDescription r;
    r.exists = true;
    std::snprintf(r.driver, sizeof r.driver, "%s", driver);
    r.accelerated = accelerated;
    std::snprintf(r.device, sizeof r.device, "%s", device);
    return r;
}

const RendererDescription kNone{};
const RendererDescription kSdlSoftware = renderer("software", false, "");
const RendererDescription kLlvmpipe = renderer("opengl", true, "llvmpipe (LLVM 15.0.6, 256 bits)");
const RendererDescription kSwiftShader = renderer("opengles2", true, "Google SwiftShader");
const RendererDescription kGpu = renderer("opengl", true, "AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.6)");
const RendererDescription kUnknownDevice = renderer("opengles2", true, "");

class Present : public ::testing::Test {
protected:
    void SetUp() override {
        headless::reset();
        headless::resetDisplay();
        ASSERT_TRUE(platform::createMainWindow("Vyrex", quietProc));
    }
    void TearDown() override {
        platform::closeDisplay();
        platform::destroyMainWindow();
        headless::reset();
        headless::resetDisplay();
    }
    // Opens a 640 × 480 display for the request; false when it did not open.
    bool open(PresentPath requested, bool vsync = true) {
        platform::DisplayRequest request;
        request.width = 640;
        request.height = 480;
        request.vsync = vsync;
        request.path = requested;
        return platform::openDisplay(request, report);
    }
    platform::DisplayReport report;
};

TEST_F(Present, ThePathFollowsTheRendererTheSettingsAndTheEnvironment) {
    struct Case {
        const char* what;
        const RendererDescription* renderer;
        PresentPath requested;
        const char* environment;  // VYREX_PRESENT, null: unset
        PresentPath taken;
        const char* reason;
    };
    const Case cases[] = {
        {"no renderer at all", &kNone, PresentPath::kAutomatic, nullptr, PresentPath::kSurface,
         "SDL has no renderer for the window"},
        {"SDL's own software renderer", &kSdlSoftware, PresentPath::kAutomatic, nullptr,
         PresentPath::kSurface, "SDL's renderer \"software\" is not hardware-accelerated"},
        {"OpenGL on llvmpipe", &kLlvmpipe, PresentPath::kAutomatic, nullptr, PresentPath::kSurface,
         "SDL's renderer \"opengl\" draws with llvmpipe (LLVM 15.0.6, 256 bits), a software rasterizer"},
        {"GLES on SwiftShader", &kSwiftShader, PresentPath::kAutomatic, nullptr, PresentPath::kSurface,
         "a software rasterizer"},
        {"a real GPU", &kGpu, PresentPath::kAutomatic, nullptr, PresentPath::kTexture,
         "SDL's renderer \"opengl\" draws with AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.6)"},
        {"an accelerated renderer that names no device", &kUnknownDevice, PresentPath::kAutomatic,
         nullptr, PresentPath::kTexture, "SDL's renderer \"opengles2\" is hardware-accelerated"},
        {"the settings force the surface over a GPU", &kGpu, PresentPath::kSurface, nullptr,
         PresentPath::kSurface, "asked for by the start-up settings"},
        {"the settings force the texture over llvmpipe", &kLlvmpipe, PresentPath::kTexture, nullptr,
         PresentPath::kTexture, "asked for by the start-up settings"},
        {"the environment overrides the settings", &kGpu, PresentPath::kTexture, "Surface",
         PresentPath::kSurface, "forced by VYREX_PRESENT=Surface"},
        {"auto in the environment overrides the settings too", &kLlvmpipe, PresentPath::kTexture,
         "auto", PresentPath::kSurface, "a software rasterizer"},
        {"a value of the environment that means nothing", &kGpu, PresentPath::kAutomatic, "fast",
         PresentPath::kTexture, "VYREX_PRESENT=fast is not surface, texture or auto; SDL's renderer"},
        {"the texture forced without a renderer falls back", &kNone, PresentPath::kAutomatic,
         "texture", PresentPath::kSurface,
         "forced by VYREX_PRESENT=texture; the streaming texture failed (no renderer), so the window surface"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        headless::setRenderer(*c.renderer);
        headless::setPresentEnvironment(c.environment);
        ASSERT_TRUE(open(c.requested)) << report.reason;
        EXPECT_EQ(report.path, c.taken);
        EXPECT_EQ(headless::presentPath(), c.taken);
        EXPECT_NE(std::string(report.reason).find(c.reason), std::string::npos) << report.reason;
        platform::closeDisplay();
    }
}

TEST_F(Present, AFailingWindowSurfaceFallsBackToTheTextureAndNeitherMeansNoDisplay) {
    headless::setRenderer(kLlvmpipe);
    headless::failWindowSurface(true);
    ASSERT_TRUE(open(PresentPath::kAutomatic));
    EXPECT_EQ(report.path, PresentPath::kTexture);
    EXPECT_NE(std::string(report.reason).find("a software rasterizer; the window surface failed (none "
                                              "offered), so the streaming texture"),
              std::string::npos)
        << report.reason;
    platform::closeDisplay();

    headless::setRenderer(kNone);
    EXPECT_FALSE(open(PresentPath::kAutomatic));
    EXPECT_FALSE(headless::displayOpen());
    EXPECT_NE(std::string(report.reason).find("the streaming texture failed (no renderer)"), std::string::npos);
    platform::FrameTarget t;
    EXPECT_FALSE(platform::beginFrame(t));
}

TEST_F(Present, OnlyARendererThatHonoursVsyncWaitsForTheRetrace) {
    headless::setRefreshRate(75);
    headless::setRenderer(kGpu, true);
    ASSERT_TRUE(open(PresentPath::kAutomatic, true));
    EXPECT_TRUE(report.waitsForRetrace);
    EXPECT_EQ(report.refreshHz, 75);
    ASSERT_TRUE(open(PresentPath::kAutomatic, false));
    EXPECT_FALSE(report.waitsForRetrace);  // not asked for
    headless::setRenderer(kGpu, false);
    ASSERT_TRUE(open(PresentPath::kAutomatic, true));
    EXPECT_FALSE(report.waitsForRetrace);  // asked for, not given
    ASSERT_TRUE(open(PresentPath::kSurface, true));
    EXPECT_FALSE(report.waitsForRetrace);  // the window surface has no retrace to wait for
}

TEST_F(Present, TheTargetIsTheWindowOnTheSurfaceAndTheFrameOnTheTexture) {
    headless::setRenderer(kGpu);
    headless::setWindowSize(1300, 980);
    ASSERT_TRUE(open(PresentPath::kSurface));
    platform::FrameTarget t;
    ASSERT_TRUE(platform::beginFrame(t));
    EXPECT_FALSE(platform::beginFrame(t)) << "one frame at a time";
    EXPECT_EQ(t.width, 1300);
    EXPECT_EQ(t.height, 980);
    EXPECT_EQ(t.view.x, 10);  // 640 × 480 twice, centred
    EXPECT_EQ(t.view.y, 10);
    EXPECT_EQ(t.view.width, 1280);
    EXPECT_EQ(t.view.height, 960);
    t.pixels[0] = 0x123456;
    platform::showFrame();
    EXPECT_EQ(headless::framesPresented(), 1);
    EXPECT_EQ(headless::lastFramePixel(0, 0), 0x123456u);

    // A resized window gets a new target of its size at the next frame.
    headless::setWindowSize(700, 500);
    ASSERT_TRUE(platform::beginFrame(t));
    EXPECT_EQ(t.width, 700);
    EXPECT_EQ(t.view.width, 640);
    platform::showFrame();
    EXPECT_EQ(headless::targetWidth(), 700);

    ASSERT_TRUE(open(PresentPath::kTexture));
    ASSERT_TRUE(platform::beginFrame(t));
    EXPECT_EQ(t.width, 640);
    EXPECT_EQ(t.height, 480);
    EXPECT_EQ(t.view.width, 640);
    EXPECT_EQ(t.view.x, 0);
}

TEST(FrameView, WholeFactorsCentredAndLargerFramesShrunkToFit) {
    struct Case {
        int areaW, areaH, frameW, frameH;
        platform::Rect view;
    };
    const Case cases[] = {
        {1280, 800, 1280, 800, {0, 0, 1280, 800}},     // the window the frame's size
        {1920, 1080, 640, 360, {0, 0, 1920, 1080}},    // a third of the desktop, three times
        {1920, 1080, 640, 400, {320, 140, 1280, 800}}, // twice: 1.5 does not fit the height ×3
        {1279, 800, 640, 400, {319, 200, 640, 400}},   // one pixel short of twice: once, centred
        {1280, 770, 1280, 800, {24, 0, 1232, 770}},    // a maximised window under a title bar
        {800, 600, 1280, 800, {0, 50, 800, 500}},      // a small window: the whole frame, smaller
        {0, 600, 640, 480, {0, 0, 0, 0}},
        {800, 600, 0, 480, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.areaW) + "x" + std::to_string(c.areaH) + " " +
                     std::to_string(c.frameW) + "x" + std::to_string(c.frameH));
        const platform::Rect r = platform::frameView(c.areaW, c.areaH, c.frameW, c.frameH);
        EXPECT_EQ(r.x, c.view.x);
        EXPECT_EQ(r.y, c.view.y);
        EXPECT_EQ(r.width, c.view.width);
        EXPECT_EQ(r.height, c.view.height);
    }
}

TEST(SoftwareRasterizers, KnownByTheirNamesInAnyCase) {
    EXPECT_TRUE(platform::softwareRasterizer("llvmpipe (LLVM 15.0.6, 256 bits)"));
    EXPECT_TRUE(platform::softwareRasterizer("Mesa X11 SOFTPIPE"));
    EXPECT_TRUE(platform::softwareRasterizer("Software Rasterizer"));
    EXPECT_FALSE(platform::softwareRasterizer("NVIDIA GeForce GTX 1060 6GB/PCIe/SSE2"));
    EXPECT_FALSE(platform::softwareRasterizer("virgl (AMD Radeon)"));  // a host GPU behind a VM
    EXPECT_FALSE(platform::softwareRasterizer(""));
    EXPECT_FALSE(platform::softwareRasterizer(nullptr));
}

}  // namespace
