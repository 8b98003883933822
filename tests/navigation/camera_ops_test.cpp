// Camera operations that need no catalogue: flags, events, motion, camera switching and the
// per-frame update's use of the renderer hooks.
#include <cmath>
#include <string>
#include <vector>

#include "camera_fixture.h"

namespace {

using camera::activeCamera;

TEST_F(CameraTest, AdjustRadiusNeverGoesBelowOneLightYear) {
    camera::adjustRadius(-20);
    EXPECT_EQ(cam().vradius, 1.0);
    EXPECT_EQ(camera::rebuildSky, 1);
    EXPECT_EQ(camera::lockChanged, 1);
    EXPECT_EQ(codes(), (std::vector<uint32_t>{517}));
    camera::adjustRadius(2.5);
    EXPECT_EQ(cam().vradius, 3.5);
    camera::adjustRadius(NAN);
    EXPECT_EQ(cam().vradius, 1.0);
}

TEST_F(CameraTest, SetSPosAfterSetIPosLeavesTheRebuildCleared) {
    camera::setIPos(1, 2, 3);
    EXPECT_EQ(camera::rebuildSky, 1);
    camera::setSPos(4, 5, 6);
    EXPECT_EQ(camera::rebuildSky, 0);
    EXPECT_EQ(cam().IPos.z, 3);
    EXPECT_EQ(cam().SPos.x, 4);
    EXPECT_EQ(codes(), (std::vector<uint32_t>{514, 517, 514, 517}));
}

TEST_F(CameraTest, SelectCameraAnnouncesTheSwitchAndRaisesAllFlags) {
    camera::editCamera(5)->IPos = {7, 0, 0};
    EXPECT_EQ(camera::selectCamera(5), 1);
    EXPECT_EQ(camera::activeCameraIndex(), 5);
    EXPECT_EQ(activeCamera()->IPos.x, 7);
    ASSERT_EQ(seenEvents().size(), 2u);
    EXPECT_EQ(seenEvents()[0].code, 516u);
    EXPECT_EQ(seenEvents()[0].a1, 5);  // new index
    EXPECT_EQ(seenEvents()[0].a2, 0);  // old index
    EXPECT_EQ(seenEvents()[1].code, 517u);
    EXPECT_EQ(camera::rebuildSky + camera::lockChanged + camera::systemReload, 3);

    seenEvents().clear();
    camera::rebuildSky = 0;
    EXPECT_EQ(camera::selectCamera(8), 0);
    EXPECT_EQ(camera::selectCamera(-1), 0);
    EXPECT_EQ(camera::activeCameraIndex(), 5);
    EXPECT_TRUE(seenEvents().empty());
    EXPECT_EQ(camera::rebuildSky, 0);
    EXPECT_EQ(camera::editCamera(8), nullptr);
}

TEST_F(CameraTest, LockViewLockAndStopRaiseTheirEvents) {
    camera::lockObject(0x01000005);
    EXPECT_EQ(cam().lock, 0x01000005);
    EXPECT_EQ(cam().lockBlink, 16);
    EXPECT_EQ(camera::lockChanged, 1);
    ASSERT_EQ(seenEvents().size(), 1u);
    EXPECT_EQ(seenEvents()[0].code, 519u);
    EXPECT_EQ(seenEvents()[0].a1, 0x01000005);

    // The view lock is a setting that needs no rebuild and does not re-aim a journey.
    seenEvents().clear();
    camera::lockChanged = 0;
    camera::rebuildSky = 1;
    camera::setViewLock(42);
    EXPECT_EQ(cam().vLock, 42);
    EXPECT_EQ(camera::rebuildSky, 0);
    EXPECT_EQ(camera::lockChanged, 0);
    EXPECT_EQ(codes(), (std::vector<uint32_t>{517}));

    seenEvents().clear();
    cam().travelling = 1;
    camera::stopJourney();
    EXPECT_EQ(cam().travelling, 0);
    ASSERT_EQ(seenEvents().size(), 1u);
    EXPECT_EQ(seenEvents()[0].code, 513u);
    EXPECT_EQ(seenEvents()[0].a1, 0);
}

TEST_F(CameraTest, MoveStepsAlongTheViewAxesByTheModesStep) {
    cam().Cam = vmath::identity();
    cam().mode = camera::kModeInterstellar;
    cam().speed = 2.0;
    camera::move(1, 0, 0);   // forward: row 2
    camera::move(0, 0, -1);  // right: row 0
    camera::move(0, 3, 0);   // up: row 1
    EXPECT_EQ(cam().IPos.x, -2.0);
    EXPECT_EQ(cam().IPos.y, 6.0);
    EXPECT_EQ(cam().IPos.z, 2.0);
    EXPECT_EQ(camera::rebuildSky, 1);
    EXPECT_EQ(codes(), (std::vector<uint32_t>{514, 514, 514}));

    // In the star system the kilometre position moves and the sky lists stay.
    camera::rebuildSky = 0;
    const Vector3 before = cam().IPos;
    cam().mode = camera::kModeSystem;
    cam().SPos = {0, 0, 0};
    camera::move(1, 0, 0);
    EXPECT_EQ(cam().SPos.z, 1496000.0);
    EXPECT_EQ(cam().IPos.x, before.x);
    EXPECT_EQ(camera::rebuildSky, 0);
}

// The console takes any speed up to 1e308 a frame: a step that would leave the largest double
// is not taken, and the camera stays where it can still be drawn from, stored and loaded.
TEST_F(CameraTest, AStepPastTheLargestPositionIsNotTaken) {
    cam().Cam = vmath::identity();
    cam().mode = camera::kModeInterstellar;
    cam().speed = 1e308;
    camera::move(1, 0, 0);
    EXPECT_EQ(cam().IPos.z, 1e308);
    camera::move(1, 0, 0);
    EXPECT_EQ(cam().IPos.z, 1e308) << "1e308 + 1e308 is no position";
    camera::move(-1, 1, 0);
    EXPECT_EQ(cam().IPos.z, 0.0) << "a step back is taken again";
    EXPECT_EQ(cam().IPos.y, 1e308);

    cam().mode = camera::kModeSystem;
    cam().sspeed = 1.5e308;
    cam().SPos = {0, 0, 1e308};
    camera::move(1, 0, 0);
    EXPECT_EQ(cam().SPos.z, 1e308);
}

TEST_F(CameraTest, APlaceThatIsNoNumberIsNotTaken) {
    camera::setIPos(1, 2, 3);
    camera::setIPos(std::nan(""), 0, 0);
    camera::setIPos(0, HUGE_VAL, 0);
    EXPECT_EQ(cam().IPos.x, 1.0);
    EXPECT_EQ(cam().IPos.y, 2.0);
    camera::setSPos(4, 5, 6);
    camera::setSPos(0, 0, -HUGE_VAL);
    camera::setSPos(std::nan(""), 1, 1);
    EXPECT_EQ(cam().SPos.z, 6.0);
    EXPECT_EQ(cam().SPos.x, 4.0);
    camera::setSPos(-7, 8, 9);
    EXPECT_EQ(cam().SPos.x, -7.0);
}

TEST_F(CameraTest, AClockPastTheLargestDoubleIsNotTaken) {
    camera::setSystemTime(-1e308);
    camera::setSystemTime(cam().systemTime - 1e308);
    EXPECT_EQ(cam().systemTime, -1e308);
    camera::setSystemTime(std::nan(""));
    EXPECT_EQ(cam().systemTime, -1e308);
    camera::setSystemTime(365.25);
    EXPECT_EQ(cam().systemTime, 365.25);
}

TEST_F(CameraTest, SetModeZeroAndOneNeedNoLock) {
    cam().lock = camera::kNone;
    EXPECT_EQ(camera::setMode(1), 1);
    EXPECT_EQ(cam().mode, 1);
    EXPECT_EQ(camera::rebuildSky, 1);
    EXPECT_EQ(camera::setMode(0), 1);
    EXPECT_EQ(cam().mode, 0);
    EXPECT_EQ(codes(), (std::vector<uint32_t>{517, 517}));

    seenEvents().clear();
    camera::rebuildSky = 0;
    EXPECT_EQ(camera::setMode(2), 0);  // no lock: nothing to enter
    EXPECT_EQ(camera::setMode(3), 0);
    EXPECT_EQ(camera::setMode(-1), 0);
    EXPECT_EQ(cam().mode, 0);
    EXPECT_EQ(camera::rebuildSky, 0);
    EXPECT_TRUE(seenEvents().empty());
}

TEST_F(CameraTest, FrameLeavesNoObjectUnderThePointerAndDrawsNothing) {
    // The camera's part of the frame moves and turns; the scene draws, and picks the hover anew.
    cam().mode = camera::kModeInterstellar;
    cam().hover = 77;
    camera::rebuildSky = 1;
    camera::cameraFrame();
    EXPECT_EQ(cam().hover, camera::kNone);
    EXPECT_EQ(camera::rebuildSky, 1) << "the rebuild is the scene's to take";
    EXPECT_EQ(camera::takeRebuild(), 1);
    EXPECT_EQ(camera::takeRebuild(), 0);
}

TEST_F(CameraTest, FrameChangedFollowsPendingWorkAndLockChangedWaitsForAJourney) {
    camera::lockChanged = 1;
    cam().mode = camera::kModeInterstellar;
    camera::cameraFrame();
    EXPECT_EQ(camera::frameChanged, 1);
    EXPECT_EQ(camera::lockChanged, 1);  // no journey consumes it
    camera::cameraFrame();
    EXPECT_EQ(camera::frameChanged, 1);
    camera::lockChanged = 0;
    camera::cameraFrame();
    EXPECT_EQ(camera::frameChanged, 0);
}

}  // namespace
