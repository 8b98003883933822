// The soak of every build: 20,000 frames of the seeded stream of a restless user on the headless
// backend, with the invariants checked as it runs; and the checks themselves, shown to catch
// what they are for.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <limits>

#include "navigation/camera.h"
#include "navigation/camera_edit.h"
#include "soak/harness/soak.h"
#include "soak/harness/soak_internal.h"

namespace {

// The seed of the CI soak; VYREX_SOAK_SEED replaces it (scripts/soak.sh runs other seeds).
uint64_t ciSeed() {
    const char* seed = std::getenv("VYREX_SOAK_SEED");
    return seed && *seed ? std::strtoull(seed, nullptr, 0) : 20250611;
}

TEST(Soak, TwentyThousandFramesOfARestlessUser) {
    soak::Options options;
    options.stage = VYREX_STAGE_DIR;
    options.frames = 20000;
    options.seed = ciSeed();
    const soak::Report report = soak::run(options);
    std::cout << soak::summary(report);
    ASSERT_TRUE(report.ok) << report.failure << "\nreplay with " << soak::replayCommand(options, report.failedFrame);
    EXPECT_GE(report.frames, options.frames);
    // The stream ended sessions and started the program again on what they stored.
    EXPECT_GE(report.sessions, 2);
    EXPECT_GT(report.screenshots, 0);
    EXPECT_GE(report.restores, options.frames / options.restoreEvery);
    // Every key of the key table and every word of the command table was sent: a key or a word
    // that the stream cannot reach is not soaked.
    EXPECT_EQ(report.keysPressed, report.keysInTable) << report.unused;
    EXPECT_EQ(report.subWordsRun, report.subWordsInTable) << report.unused;
}

TEST(Soak, TheSameSeedSendsTheSameStream) {
    soak::Options options;
    options.stage = VYREX_STAGE_DIR;
    options.frames = 600;
    options.quitting = false;
    options.seed = 7;
    const soak::Report a = soak::run(options);
    const soak::Report b = soak::run(options);
    options.seed = 8;
    const soak::Report c = soak::run(options);
    ASSERT_TRUE(a.ok && b.ok && c.ok) << a.failure << b.failure << c.failure;
    EXPECT_EQ(a.actions, b.actions);
    EXPECT_EQ(a.passes, b.passes);
    EXPECT_NE(a.actions, c.actions);
}

// ---- The checks -------------------------------------------------------------------------------

class Checks : public ::testing::Test {
protected:
    void SetUp() override { saved = *camera::editCamera(3); }
    void TearDown() override { *camera::editCamera(3) = saved; }
    CameraRecord saved;
};

TEST_F(Checks, ACameraValueThatIsNotFiniteIsNamed) {
    for (int n = 0; n < camera::kCameras; ++n) *camera::editCamera(n) = camera::defaultRecord();
    EXPECT_EQ(soak::camerasProblem(), "");
    camera::editCamera(3)->SPos.z = std::numeric_limits<double>::infinity();
    EXPECT_EQ(soak::camerasProblem(), "camera 4: SPos[2] is inf");
    *camera::editCamera(3) = camera::defaultRecord();
    camera::editCamera(3)->zoom = std::nan("");
    EXPECT_EQ(soak::camerasProblem(), "camera 4: zoom[0] is nan");
}

TEST_F(Checks, AnOrientationThatIsNoLongerARotationIsNamed) {
    for (int n = 0; n < camera::kCameras; ++n) *camera::editCamera(n) = camera::defaultRecord();
    camera::editCamera(3)->Cam.m[1][2] += 1e-3;
    EXPECT_NE(soak::camerasProblem().find("camera 4: Cam rows"), std::string::npos) << soak::camerasProblem();
}

TEST(Counts, ATableThatDoesNotComeBackIsNamedWithBothCounts) {
    int count = 0;
    const soak::Table* tables = soak::tables(count);
    ASSERT_GT(count, 2);
    std::vector<int> baseline(static_cast<size_t>(count), 5), now = baseline;
    EXPECT_EQ(soak::countsDiffer(baseline, now), "");
    now[2] = 6;
    EXPECT_EQ(soak::countsDiffer(baseline, now), std::string(tables[2].name) + " 6 (was 5)");
}

}  // namespace
