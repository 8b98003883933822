// Whole runs of the program on the headless backend over the staged program folder (the shipped
// packs and catalogue), with fixed cameras, each final frame compared with its golden image.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <functional>
#include <string>
#include <vector>

#include "base/app.h"
#include "base/zode.h"
#include "console/console.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_display.h"
#include "platform/store.h"
#include "program/lifecycle.h"
#include "render/render.h"
#include "support/golden.h"
#include "support/programfolder.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr int kFrames = 20;  // enough for a lock highlight to shrink and the console to slide away

std::function<void()> arrange;  // run once, at the first pass of the main loop
int frames = 0;
std::vector<uint32_t> picture;  // the frame presented last before the run ended

// The frame event comes before the pass's present: at the one after the last frame, the last
// frame is what the display shows. It is kept, since the shutdown closes the display.
int32_t countFrames(zode::Message* m) {
    if (m->code != zode::kEventFrame || ++frames <= kFrames) return 0;
    const uint32_t* shown = headless::lastFrame();
    if (shown) picture.assign(shown, shown + kWidth * kHeight);
    app::quit = 1;
    return 0;
}

class Golden : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vyrex-golden-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        store::setLocation(root + "/config/vyrex.reg");
        headless::reset();
        headless::resetDisplay();
        headless::setDesktop(kWidth, kHeight);
        frames = 0;
        picture.clear();
        headless::setPeekHook([](int peek) {
            if (peek != 1) return;
            zode::Request r{0, reinterpret_cast<const void*>(&countFrames), zode::kDirect, nullptr};
            zode::subscribe(zode::kEventFrame, zode::registerObject(&r));
            if (arrange) arrange();
        });
    }
    void TearDown() override {
        arrange = nullptr;
        programfolder::cleanUpRun(root);
    }

    // Runs the staged program with the cameras reset, the pointer off the picture, and `setUp`
    // done at the first pass; then compares the last frame. No plug-ins (-p): the examples staged
    // beside the program draw over the frame.
    void expectPicture(const std::string& name, std::function<void()> setUp) {
        arrange = std::move(setUp);
        headless::setPointer(-100, -100);
        ASSERT_EQ(lifecycle::entry((std::string("-c -f -g -p -l") + VYREX_STAGE_DIR).c_str()), 0);
        ASSERT_EQ(picture.size(), static_cast<size_t>(kWidth * kHeight));
        EXPECT_EQ(golden::compareFrame(picture.data(), kWidth, kHeight, name), "");
    }

    std::string root;
};

TEST_F(Golden, TheStartViewAtTheSun) {
    expectPicture("sun-start", nullptr);
}

TEST_F(Golden, OrionWithLabelsAndTheConstellationFigures) {
    expectPicture("orion-labels-markers", [] {
        console::consoleExecute("camera mode 0");
        console::consoleExecute("camera lookAt cd84");  // Betelgeuse
        console::consoleExecute("labels on");
        console::consoleExecute("marker load orion-family.map");
        console::consoleExecute("marker on");
    });
}

TEST_F(Golden, SiriusLockedFromHalfWayThere) {
    expectPicture("sirius-locked", [] {
        console::consoleExecute("camera mode 0");
        console::consoleExecute("camera Ipos p(-0.8,4,-1.2)");
        console::consoleExecute("camera lock 128ce");  // Sirius
        console::consoleExecute("camera lookAt 128ce");
    });
}

TEST_F(Golden, TheMilkyWayFromTheSunTowardsSagittarius) {
    expectPicture("milky-way-sagittarius", [] {
        console::consoleExecute("camera mode 0");
        console::consoleExecute("camera lookAt 16528");  // Kaus Australis
    });
}

TEST_F(Golden, TheWholeGalaxyFrom60000LightYearsAboveItsCentre) {
    expectPicture("galaxy-from-above", [] {
        console::consoleExecute("camera mode 0");
        console::consoleExecute("camera Ipos p(51972.7,-10478.7,-39661.5)");
        console::consoleExecute("camera lookAt 1000c20");  // the pulsar nearest the centre
    });
}

TEST_F(Golden, TheOrionNebulaInDepthFrom100LightYears) {
    expectPicture("orion-nebula-near", [] {
        console::consoleExecute("camera mode 0");
        console::consoleExecute("camera Ipos p(133.258,1231.086,-116.858)");
        console::consoleExecute("camera lookAt 100120a");  // M 42
        console::consoleExecute("deepsky on");
    });
}

TEST_F(Golden, ThePleiadesAndTheHyadesAsBitmapsWithTheirNames) {
    expectPicture("pleiades-hyades", [] {
        console::consoleExecute("camera mode 0");
        console::consoleExecute("camera lookAt ca00");  // Alcyone
        console::consoleExecute("deepsky on");
        console::consoleExecute("labels on");
    });
}

TEST_F(Golden, FortySevenTucanaeAndTheSmallMagellanicCloud) {
    expectPicture("47-tucanae", [] {
        console::consoleExecute("camera mode 0");
        console::consoleExecute("camera lookAt 10004cc");  // 47 Tuc
        console::consoleExecute("camera zoom 4");
        console::consoleExecute("deepsky on");
        console::consoleExecute("labels on");
    });
}

TEST_F(Golden, DeepSkySymbolsTowardsTheGalacticCentre) {
    expectPicture("deep-sky-symbols", [] {
        console::consoleExecute("camera mode 0");
        console::consoleExecute("camera lookAt 16528");
        console::consoleExecute("galaxy off");
        console::consoleExecute("deepsky on");
        console::consoleExecute("deepsky simple");
    });
}

TEST_F(Golden, TheLocalChartRoundTheSunByMagnitude) {
    expectPicture("local-sun-magnitude", [] {
        console::consoleExecute("camera lookAt 128ce");  // Sirius
        console::consoleExecute("camera mode 1");
        console::consoleExecute("labels on");
    });
}

TEST_F(Golden, TheLocalChartRoundTheSunByDiameter) {
    expectPicture("local-sun-diameter", [] {
        console::consoleExecute("camera lookAt 128ce");
        console::consoleExecute("camera mode 1");
        console::consoleExecute("camera vradius 20");
        console::consoleExecute("labels on");
        render::toggleLocalDiscMode();  // the B key: discs by diameter
    });
}

}  // namespace
