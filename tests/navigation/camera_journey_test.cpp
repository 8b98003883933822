// Journeys, view turning, star-system entry and riding with a body, over a small catalogue
// attached from memory and a body table served through the catalogue's body hook.
#include <cmath>
#include <cstring>
#include <vector>

#include "camera_fixture.h"
#include "catalog/catalog.h"
#include "support/synthcatalog.h"

namespace {

// One body of the entered system, 0x02000001, at a kilometre position of the test's choosing.
constexpr int32_t kBody = 0x02000001;
constexpr int32_t kComponent = static_cast<int32_t>(0x80000000u);
Vector3 bodyAt;
double bodyRadius = 0;

int bodyPosition(catalog::ObjectId id, Vector3& out) {
    if (id != static_cast<catalog::ObjectId>(kBody)) return 0;
    out = bodyAt;
    return 1;
}

double radiusOf(catalog::ObjectId id) { return id == static_cast<catalog::ObjectId>(kBody) ? bodyRadius : 0.0; }

const catalog::BodySource kBodies = {bodyPosition, radiusOf};

class JourneyTest : public CameraTest {
protected:
    synth::SynthCatalog sky;

    void SetUp() override {
        CameraTest::SetUp();
        // Stars 0..3; deep-sky objects 0x01000000 (open cluster) and 0x01000001 (pulsar).
        for (Vector3 p : {Vector3{0, 0, 10.5}, Vector3{4, 0, 0}, Vector3{0, 5, 0}, Vector3{0, 0, 0.05}})
            sky.addStar(p, 1.0, 0.6, catalog::kNoSpectral, synth::hipCode(1));
        sky.addDeepSky(catalog::kOpenCluster, {100, 0, 0}, -5, 0);
        sky.addDeepSky(catalog::kPulsar, {0, 200, 0}, -5, 0);
        sky.attach();
        bodyAt = {1000, 0, 0};
        bodyRadius = 0;
        ASSERT_EQ(catalog::registerBodySource(&kBodies), 1);
        cam().IPos = {0, 0, 0};
        cam().mode = camera::kModeInterstellar;
        cam().vLock = camera::kNone;
    }
    void TearDown() override {
        catalog::unregisterBodySource(&kBodies);
        CameraTest::TearDown();
    }
};

TEST_F(JourneyTest, TenAndAHalfLightYearsTakeTenStepsThenJumpTheRest) {
    cam().lock = 0;
    camera::startJourney(0);
    ASSERT_EQ(seenEvents().size(), 1u);
    EXPECT_EQ(seenEvents()[0].code, 512u);
    EXPECT_EQ(seenEvents()[0].a1, 0);
    EXPECT_EQ(cam().travelling, 1);
    EXPECT_EQ(cam().travelSteps, 10);

    seenEvents().clear();
    for (int frame = 1; frame <= 10; ++frame) {
        camera::rebuildSky = 0;
        camera::cameraFrame();
        EXPECT_DOUBLE_EQ(cam().IPos.z, frame) << frame;
        EXPECT_EQ(cam().travelling, 1);
        // Every step asks the scene for a rebuild.
        EXPECT_EQ(camera::takeRebuild(), 1);
    }
    EXPECT_EQ(codes(), std::vector<uint32_t>(10, 514));

    seenEvents().clear();
    camera::cameraFrame();
    EXPECT_EQ(cam().IPos.z, 10.5);
    EXPECT_EQ(cam().IPos.x, 0.0);
    EXPECT_EQ(cam().travelling, 0);
    EXPECT_EQ(cam().travelSteps, 0);
    ASSERT_EQ(codes(), (std::vector<uint32_t>{514, 513}));
    EXPECT_EQ(seenEvents()[1].a1, 1);

    camera::cameraFrame();  // nothing more happens
    EXPECT_EQ(cam().IPos.z, 10.5);
}

TEST_F(JourneyTest, ArrivalJumpsToTheLockNotToTheJourneysTarget) {
    cam().lock = 1;
    camera::startJourney(3);  // 0.05 ly away: no steps at all
    EXPECT_EQ(cam().travelSteps, 0);
    EXPECT_EQ(cam().travelDir.z, 1.0);  // too close to aim: the old direction stays
    camera::cameraFrame();
    EXPECT_EQ(cam().IPos.x, 4.0);
    EXPECT_EQ(cam().IPos.z, 0.0);
    EXPECT_EQ(cam().travelling, 0);
}

TEST_F(JourneyTest, LockingAnotherObjectMidJourneyReAimsOnTheNextFrame) {
    camera::lockObject(0);
    camera::startJourney(0);
    camera::cameraFrame();  // consumes the lock change: re-aims at star 0 again, then steps
    camera::cameraFrame();
    EXPECT_DOUBLE_EQ(cam().IPos.z, 2.0);

    camera::lockObject(1);
    seenEvents().clear();
    camera::cameraFrame();
    EXPECT_EQ(camera::lockChanged, 0);
    ASSERT_GE(seenEvents().size(), 1u);
    EXPECT_EQ(seenEvents()[0].code, 512u);
    EXPECT_EQ(seenEvents()[0].a1, 1);
    // From (0, 0, 2) toward (4, 0, 0): √20 ≈ 4.47 ly, 4 steps, one of them taken this frame.
    const double d = std::sqrt(20.0);
    EXPECT_NEAR(cam().travelDir.x, 4 / d, 1e-12);
    EXPECT_NEAR(cam().travelDir.z, -2 / d, 1e-12);
    EXPECT_EQ(cam().travelSteps, 3);
    for (int i = 0; i < 4; ++i) camera::cameraFrame();
    EXPECT_EQ(cam().travelling, 0);
    EXPECT_EQ(cam().IPos.x, 4.0);
    EXPECT_EQ(cam().IPos.z, 0.0);
}

TEST_F(JourneyTest, StarJourneyLeavesTheSystemAndBodyJourneyStopsSixRadiiShort) {
    cam().mode = camera::kModeSystem;
    camera::startJourney(1);
    EXPECT_EQ(cam().mode, camera::kModeInterstellar);
    EXPECT_EQ(camera::rebuildSky, 1);
    EXPECT_EQ(cam().travelSteps, 4);
    camera::stopJourney();

    // Inside the system: 1000 km to the body at 100 km a frame.
    bodyRadius = 10;
    cam().mode = camera::kModeSystem;
    cam().SPos = {0, 0, 0};
    cam().sspeed = 100;
    cam().lock = kBody;
    camera::rebuildSky = 0;
    camera::startJourney(kBody);
    EXPECT_EQ(cam().mode, camera::kModeSystem);
    EXPECT_EQ(cam().travelSteps, 10);
    EXPECT_EQ(cam().systemTravelDir.x, 1.0);
    for (int i = 0; i < 10; ++i) camera::cameraFrame();
    EXPECT_DOUBLE_EQ(cam().SPos.x, 1000.0);
    camera::rebuildSky = 0;
    camera::cameraFrame();
    EXPECT_EQ(cam().travelling, 0);
    EXPECT_EQ(cam().SPos.x, 1000.0 - 60.0);
    EXPECT_EQ(camera::rebuildSky, 0);  // the sky does not change inside a system
    EXPECT_EQ(cam().IPos.x, 0.0);  // the interstellar position stays where it was
}

TEST_F(JourneyTest, BodyJourneyFromOutsideTheSystemAndUnknownTargetsAreRefused) {
    cam().IPos = {0, 0, 0};
    camera::startJourney(kBody);
    camera::startJourney(0x00FFFFFF);  // no such star
    camera::startJourney(camera::kNone);
    EXPECT_EQ(cam().travelling, 0);
    EXPECT_TRUE(seenEvents().empty());
    EXPECT_EQ(cam().IPos.x, 0.0);
}

TEST_F(JourneyTest, StandingSpeedDoesNotOverflowTheStepCount) {
    cam().speed = 0;
    camera::startJourney(0);
    EXPECT_EQ(cam().travelling, 1);
    EXPECT_EQ(cam().travelSteps, INT32_MAX);
    cam().speed = -1;
    camera::startJourney(0);
    EXPECT_EQ(cam().travelSteps, 0);
}

// A journey at a speed that would step past the largest double keeps the camera where it is
// for its steps, then arrives at the lock as every journey does.
TEST_F(JourneyTest, AJourneyStepPastTheLargestPositionIsNotTaken) {
    cam().lock = 0;
    camera::startJourney(0);
    cam().IPos = {0, 0, -1e308};
    cam().travelDir = {0, 0, -1};
    cam().speed = 1e308;
    cam().travelSteps = 2;
    camera::cameraFrame();
    EXPECT_EQ(cam().IPos.z, -1e308);
    EXPECT_EQ(cam().travelSteps, 1);
    camera::cameraFrame();
    camera::cameraFrame();
    EXPECT_EQ(cam().travelling, 0);
    Vector3 target;
    ASSERT_TRUE(catalog::objectPosition(0, target));
    EXPECT_EQ(cam().IPos.z, target.z);
}

// Seen from 1e308 light years out, the squared distance overflows: the view still turns to the
// object and a journey still heads for it.
TEST_F(JourneyTest, LookAtAndJourneysFromTheEdgeOfTheDoublesKeepARotation) {
    cam().IPos = {0, 0, -1.5e308};
    camera::lookAt(0);
    for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < 3; ++b) {
            const double dot = cam().Cam.m[a][0] * cam().Cam.m[b][0] + cam().Cam.m[a][1] * cam().Cam.m[b][1] +
                               cam().Cam.m[a][2] * cam().Cam.m[b][2];
            EXPECT_NEAR(dot, a == b ? 1.0 : 0.0, 1e-12) << a << " " << b;
        }
    }
    EXPECT_NEAR(cam().Cam.m[2][2], 1.0, 1e-12) << "looking along +z, towards the Sun";
    cam().speed = 1e300;
    camera::startJourney(0);
    EXPECT_NEAR(cam().travelDir.z, 1.0, 1e-12);
    EXPECT_EQ(cam().travelSteps, 150000000);
}

TEST_F(JourneyTest, SystemEntryIsRefusedForTargetsWithoutASystem) {
    const int32_t refused[] = {camera::kNone, kBody, kComponent, 0x01000000 /* open cluster */,
                               0x00000010 /* no such star */, 0x01000002 /* no such object */};
    for (int32_t lock : refused) {
        cam().lock = lock;
        cam().system = 7;
        cam().central = kBody;
        camera::systemReload = 0;
        camera::rebuildSky = 0;
        EXPECT_EQ(camera::setMode(2), 0) << std::hex << lock;
        EXPECT_EQ(cam().mode, camera::kModeInterstellar);
        EXPECT_EQ(cam().system, 7);
        EXPECT_EQ(cam().central, kBody);
        EXPECT_EQ(camera::systemReload + camera::rebuildSky, 0);
    }
    EXPECT_TRUE(seenEvents().empty());

    cam().lock = 0x01000001;  // a pulsar has a system
    EXPECT_EQ(camera::setMode(2), 1);
    EXPECT_EQ(cam().mode, camera::kModeSystem);
    EXPECT_EQ(cam().system, 0x01000001);
    EXPECT_EQ(cam().central, camera::kNone);  // a new system: riding ends
    EXPECT_EQ(camera::systemReload, 1);
    EXPECT_EQ(codes(), (std::vector<uint32_t>{517}));
}

TEST_F(JourneyTest, ReEnteringTheSameSystemKeepsTheCentralBody) {
    cam().lock = 2;
    cam().system = 2;
    cam().SPos = {1500, 0, 0};
    camera::setCentral(kBody);
    EXPECT_EQ(cam().central, kBody);
    EXPECT_EQ(cam().centralOffset.x, 500.0);
    EXPECT_EQ(camera::setMode(2), 1);
    EXPECT_EQ(cam().central, kBody);

    // Only bodies can be ridden with.
    camera::setCentral(1);
    EXPECT_EQ(cam().central, camera::kNone);
    camera::setCentral(0x02000099);  // not in the current system
    EXPECT_EQ(cam().central, camera::kNone);
}

Vector3 row(int k) {
    const Matrix4& m = camera::editActive().Cam;
    return {m.m[k][0], m.m[k][1], m.m[k][2]};
}

TEST_F(JourneyTest, LookAtTurnsTheViewWithWorldUpOnScreen) {
    camera::lookAt(1);  // along +x
    EXPECT_NEAR(row(2).x, 1.0, 1e-15);
    EXPECT_NEAR(row(1).y, 1.0, 1e-15);
    EXPECT_NEAR(row(0).z, -1.0, 1e-15);
    EXPECT_EQ(codes(), (std::vector<uint32_t>{515}));

    cam().IPos = {1, 1, 1};
    camera::lookAt(0);  // an oblique direction: the rows stay orthonormal
    const Vector3 r0 = row(0), r1 = row(1), r2 = row(2);
    EXPECT_NEAR(vmath::dot(r0, r1), 0, 1e-12);
    EXPECT_NEAR(vmath::dot(r1, r2), 0, 1e-12);
    EXPECT_NEAR(vmath::dot(r1, r1), 1, 1e-12);
    const Vector3 c = vmath::cross(r1, r2);
    EXPECT_NEAR(c.x, r0.x, 1e-12);
    EXPECT_NEAR(c.z, r0.z, 1e-12);
    EXPECT_NEAR(r2.z, 9.5 / std::sqrt(1 + 1 + 9.5 * 9.5), 1e-12);
}

TEST_F(JourneyTest, LookAtAStarFromInsideASystemTurnsToItsPlaceInTheSky) {
    // The default camera sits in the Sun's system about 1 AU from the origin; a star of the sky
    // is still seen from IPos, whatever SPos says.
    cam().mode = camera::kModeSystem;
    camera::lookAt(1);  // along +x from IPos
    EXPECT_NEAR(row(2).x, 1.0, 1e-15);
    EXPECT_NEAR(row(1).y, 1.0, 1e-15);
}

TEST_F(JourneyTest, LookAtStraightUpOrTooCloseKeepsTheOrientation) {
    const Matrix4 before = cam().Cam;
    camera::lookAt(2);  // along +y: no screen-down axis exists
    cam().IPos = {0, 10, 0};
    camera::lookAt(2);  // along −y
    cam().IPos = {0, 0, 10.45};
    camera::lookAt(0);  // 0.05 ly away
    EXPECT_EQ(std::memcmp(&before, &cam().Cam, sizeof before), 0);
    for (double v : {row(0).x, row(1).y, row(2).z}) EXPECT_FALSE(std::isnan(v));
    EXPECT_EQ(codes(), (std::vector<uint32_t>{515, 515, 515}));
}

TEST_F(JourneyTest, ViewLockTurnsTheViewEveryFrame) {
    cam().vLock = 1;
    camera::cameraFrame();
    EXPECT_NEAR(row(2).x, 1.0, 1e-15);
    cam().IPos = {4, 0, -3};
    camera::cameraFrame();
    EXPECT_NEAR(row(2).z, 1.0, 1e-15);
}

}  // namespace
