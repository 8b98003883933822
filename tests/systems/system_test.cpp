// The running star system: entering stars and pulsars, Kepler's equation, the clock's steps with
// moons and the camera riding along, orbit paths, and the catalogue's view of the bodies.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "catalog/catalog.h"
#include "systems/systems.h"
#include "systems_fixture.h"

namespace {

using stest::Line;
using stest::norm;
using systems::SystemObject;

class RunningSystem : public stest::SystemFixture {};

TEST_F(RunningSystem, AStarAloneIsOneObjectAtTheOrigin) {
    enter("");
    ASSERT_EQ(systems::objectCount(), 1);
    const SystemObject& star = *systems::objectAt(0);
    EXPECT_EQ(star.id, 0);
    EXPECT_EQ(star.kind, 0);
    EXPECT_EQ(norm(star.position), 0.0);
    const double M = sky.stars[0].absMag / 256.0;
    EXPECT_DOUBLE_EQ(star.magnitude, M);
    EXPECT_EQ(star.colourCode, catalog::starColourIndex(synth::fixed88(0.65)));
    // Radius from luminosity and temperature: L = 10^((4.8 − M)·0.4), T = 8800 / (B−V + 0.82) − 770.
    const double x = (8800.0 / (sky.stars[0].colourBV / 256.0 + 0.82) - 770.0) / 6050.0;
    EXPECT_NEAR(star.radius, std::sqrt(std::pow(10.0, (4.8 - M) * 0.4)) * systems::kSunRadius / (x * x), 1.0);
    // The camera's interstellar position is the star's, and the sky lists are rebuilt.
    EXPECT_EQ(norm(cam().IPos), 0.0);
    EXPECT_EQ(camera::rebuildSky, 1);
}

TEST_F(RunningSystem, AKnownRadiusAndTheCameraMovedOutOfTheStar) {
    sky.addExtra(0, catalog::kNoExtraName, 0, 0, 0, 2.0f);
    sky.attach();
    cam().SPos = {0.5 * 2 * systems::kSunRadius, 0, 0};
    enter("");
    EXPECT_DOUBLE_EQ(systems::objectAt(0)->radius, 2 * systems::kSunRadius);
    EXPECT_EQ(cam().SPos.x, 0.0);
    EXPECT_EQ(cam().SPos.y, 0.0);
    EXPECT_DOUBLE_EQ(cam().SPos.z, 4 * 2 * systems::kSunRadius);
    // A camera outside stays where it is.
    cam().SPos = {1e9, 0, 0};
    ASSERT_EQ(systems::enterSystem(0, table), 1);
    EXPECT_EQ(cam().SPos.x, 1e9);
}

// The spectral code whose class text starts with `letter`.
uint16_t spectralOf(char letter) {
    for (unsigned k = 0; k < 15; ++k) {
        char text[catalog::kNameSize];
        catalog::spectralText(synth::spectralCode(0, 5, k, 2), text);
        if (text[0] == letter) return synth::spectralCode(0, 5, k, 2);
    }
    ADD_FAILURE() << letter;
    return catalog::kNoSpectral;
}

TEST_F(RunningSystem, CompanionsFromTheCatalogue) {
    sky.addComponents(0, {synth::component('B', ' ', spectralOf('K'), 6.0, 0, 0.001f, 0.5),
                          synth::component('C', ' ', catalog::kNoSpectral, 9.0, 0, NAN, 1.0)});
    sky.attach();
    enter("");
    ASSERT_EQ(systems::objectCount(), 3);
    const SystemObject& b = *systems::objectAt(1);
    EXPECT_EQ(static_cast<uint32_t>(b.id), catalog::kComponentBase + 0u);
    EXPECT_EQ(b.kind, 0);
    char primary[catalog::kNameSize];
    catalog::starName(0, primary);
    EXPECT_EQ(std::string(b.name), std::string(primary) + " B ");
    const double s = (0.001f + 0.00002) * systems::kKmPerLy;
    EXPECT_NEAR(b.position.x, std::cos(0.5) * s, 1e-3 * s);
    EXPECT_NEAR(b.position.y, std::sin(0.5) * s, 1e-3 * s);
    // The colour class comes from the spectral letter: K is 16, none is 128; a separation that is
    // not a number places the component 0.00003 ly out.
    const SystemObject& c = *systems::objectAt(2);
    EXPECT_EQ(b.colourCode, 16);
    EXPECT_EQ(c.colourCode, 128);
    EXPECT_NEAR(norm(c.position), 0.00003 * systems::kKmPerLy, 1.0);
    // The companions' positions are the catalogue's answer for them.
    Vector3 p;
    ASSERT_EQ(catalog::objectPosition(catalog::kComponentBase + 0u, p), 1);
    EXPECT_EQ(p.x, systems::objectAt(1)->position.x);
    EXPECT_EQ(catalog::objectRadius(catalog::kComponentBase + 0u), systems::objectAt(1)->radius);
    systems::stop();
    EXPECT_EQ(catalog::objectPosition(catalog::kComponentBase + 0u, p), 0);
    systems::start();
}

TEST_F(RunningSystem, APulsarHasRingsAndJets) {
    const catalog::ObjectId pulsar = sky.addDeepSky(catalog::kPulsar, {5, 5, 5}, 0, 0);
    const catalog::ObjectId cluster = sky.addDeepSky(catalog::kOpenCluster, {6, 6, 6}, 0, 0);
    sky.attach();
    enter("");
    ASSERT_EQ(systems::objectCount(), 1);
    // An open cluster has no system: nothing changes.
    EXPECT_EQ(systems::enterSystem(static_cast<int32_t>(cluster), table), 0);
    EXPECT_EQ(systems::objectCount(), 1);
    ASSERT_EQ(systems::enterSystem(static_cast<int32_t>(pulsar), table), 1);
    ASSERT_EQ(systems::objectCount(), 18);
    EXPECT_EQ(systems::objectAt(0)->radius, 200.0);
    EXPECT_EQ(systems::objectAt(0)->colourCode, 128);
    for (int k = 0; k < 16; ++k) {
        const SystemObject& ring = *systems::objectAt(1 + k);
        EXPECT_EQ(ring.kind, systems::kRing);
        EXPECT_DOUBLE_EQ(ring.semiAxis * systems::kKmPerAu, 2000000.0 + 250000.0 * k * k);
        EXPECT_EQ(ring.colour, 0xFF000000u + (255u - 16u * k) * 0x010101u);
    }
    EXPECT_EQ(systems::objectAt(17)->kind, systems::kJetPair);
    EXPECT_EQ(systems::objectAt(17)->id, static_cast<int32_t>(pulsar + 32));
    EXPECT_EQ(cam().IPos.x, 5.0);
    // Rings stay on the pulsar through time steps.
    systems::advance(3.5);
    EXPECT_EQ(norm(systems::objectAt(5)->position), 0.0);
}

TEST_F(RunningSystem, KeplersEquation) {
    for (double e : {0.0, 0.2, 0.6, 0.9, 0.99})
        for (double M = 0.0; M < 3.2; M += 0.13) {
            const double E = systems::eccentricAnomaly(M, e);
            EXPECT_NEAR(E - e * std::sin(E), M, 1e-8) << e << " " << M;
        }
    // True and mean anomaly are each other's inverse on both halves of the orbit.
    for (double e : {0.0, 0.3, 0.95})
        for (double v = 0.05; v < 6.28; v += 0.4)
            EXPECT_NEAR(systems::trueAnomaly(systems::meanFromTrue(v, e), e), v, 1e-7) << e << " " << v;
    // Past half an orbit the anomaly is mirrored: M = 2π − m puts the body at 2π − v(m).
    const double m = 1.0;
    EXPECT_NEAR(systems::trueAnomaly(systems::kTwoPi - m, 0.5), systems::kTwoPi - systems::trueAnomaly(m, 0.5), 1e-9);
    EXPECT_GT(systems::trueAnomaly(4.0, 0.5), systems::kPi);
}

TEST_F(RunningSystem, OrbitsUnderTheClock) {
    Line planet, ellipse, still;
    ellipse.id = "2000002";
    ellipse.ecc = "0.4";
    ellipse.axis = "2";
    ellipse.period = "1000";
    ellipse.anomaly = "40";
    ellipse.incl = "20";
    ellipse.peri = "70";
    still.id = "2000003";
    still.period = "0";
    still.anomaly = "90";
    enter(planet.text() + "\n" + ellipse.text() + "\n" + still.text());
    ASSERT_EQ(systems::objectCount(), 4);
    systems::advance(0.0);  // the step that follows every entry places bodies at their true anomaly
    // A circular orbit of 1 AU keeps 1.496e8 km.
    const SystemObject& p = object(0x2000001);
    for (int k = 0; k < 20; ++k) {
        systems::advance(17.3);
        EXPECT_NEAR(norm(p.position), systems::kKmPerAu, 1e-3);
    }
    // The ellipse starts at its true anomaly; one period brings it back and the same step
    // backwards undoes a step forwards.
    const SystemObject& e = object(0x2000002);
    const Vector3 expected = systems::orbitPoint(2, 0.4, 70 * systems::kDeg, e.orbitFrame, 40 * systems::kDeg);
    systems::advance(-20 * 17.3);
    EXPECT_NEAR(norm(vmath::operator-(e.position, expected)), 0, 1.0);
    const Vector3 start = e.position;
    systems::advance(1000.0);
    EXPECT_NEAR(norm(vmath::operator-(e.position, start)), 0, 1.0);
    systems::advance(123.4);
    systems::advance(-123.4);
    EXPECT_NEAR(norm(vmath::operator-(e.position, start)), 0, 1.0);
    // The same time reached in one large step: many thousand orbits later the body stands where
    // the remainder of the step puts it (the mean anomaly is kept within one turn).
    systems::advance(1000.0 * 1e6 + 250.0);
    const Vector3 far = e.position;
    systems::advance(-1000.0 * 1e6);
    EXPECT_NEAR(norm(vmath::operator-(far, e.position)), 0, 1e3);
    EXPECT_GE(e.meanAnomaly, 0.0);
    EXPECT_LT(e.meanAnomaly, systems::kTwoPi);
    // A body without a period keeps its place; a step that is not a number changes nothing.
    const SystemObject& s = object(0x2000003);
    const Vector3 here = s.position;
    systems::advance(50.0);
    EXPECT_EQ(s.position.x, here.x);
    EXPECT_EQ(s.position.y, here.y);
    const double time = cam().systemTime;
    systems::advance(NAN);
    systems::advance(INFINITY);
    EXPECT_EQ(cam().systemTime, time);
    EXPECT_TRUE(std::isfinite(e.position.x));
}

TEST_F(RunningSystem, SpinsCountTurnsOfTheSurface) {
    Line l;
    l.spin0 = "0.25";
    l.spinPeriod = "0.4";
    enter(l.text());
    systems::advance(0.0);
    const SystemObject& p = object(0x2000001);
    EXPECT_DOUBLE_EQ(p.spin, 0.25);
    // A tenth of the day turns the surface back by a tenth of a turn (the map runs westwards
    // under a fixed point), and whole days bring it back, whichever way the clock goes.
    systems::advance(0.04);
    EXPECT_NEAR(p.spin, 0.15, 1e-9);
    systems::advance(0.4 * 7 - 0.04);
    EXPECT_NEAR(p.spin, 0.25, 1e-9);
    systems::advance(-0.4 * 3 - 0.1);
    EXPECT_NEAR(p.spin, 0.5, 1e-9);
    EXPECT_GE(p.spin, 0.0);
    EXPECT_LT(p.spin, 1.0);
}

TEST_F(RunningSystem, AClockSteppedByTheLargestDoubleKeepsEveryBodyAndTheCameraSomewhere) {
    Line l;
    l.spinPeriod = "0.4";
    enter(l.text());
    systems::advance(0.0);
    const SystemObject& p = object(0x2000001);
    cam().SPos = vmath::operator+(p.position, Vector3{30000, 0, 0});
    camera::setCentral(0x2000001);
    cam().systemTime = 0;
    for (double dt : {-1e308, 1e308, 1e308}) {
        systems::advance(dt);
        EXPECT_TRUE(std::isfinite(p.meanAnomaly) && std::isfinite(p.spin));
        EXPECT_TRUE(std::isfinite(p.position.x) && std::isfinite(p.position.y) && std::isfinite(p.position.z));
        EXPECT_TRUE(std::isfinite(cam().SPos.x) && std::isfinite(cam().SPos.z));
        EXPECT_GE(p.spin, 0.0);
        EXPECT_LT(p.spin, 1.0);
    }
}

TEST_F(RunningSystem, MoonsRideOnTheirPlanetsAndTheCameraOnItsCentral) {
    Line planet, moon;
    planet.mass = "0.6";
    moon.id = "2000002";
    moon.parent = "2000001";
    moon.axis = "0.00257";
    moon.period = "0";
    moon.kind = "10";
    enter(planet.text() + "\n" + moon.text());
    systems::advance(0.0);
    const SystemObject& p = object(0x2000001);
    const SystemObject& m = object(0x2000002);
    cam().SPos = vmath::operator+(p.position, Vector3{30000, 0, 0});
    camera::setCentral(0x2000001);
    ASSERT_EQ(cam().central, 0x2000001);
    for (double dt : {1.0, 40.0, -7.5}) {
        systems::advance(dt);
        EXPECT_EQ(m.centre.x, p.position.x);
        EXPECT_EQ(m.centre.z, p.position.z);
        EXPECT_NEAR(norm(vmath::operator-(m.position, p.position)), 0.00257 * systems::kKmPerAu, 1e-3);
        const Vector3 offset = vmath::operator-(cam().SPos, p.position);
        EXPECT_NEAR(offset.x, 30000, 1e-4);
        EXPECT_NEAR(offset.y, 0, 1e-4);
    }
}

TEST_F(RunningSystem, OrbitPathsRunFromNineDegreesAheadToNineBehind) {
    Line planet;
    planet.anomaly = "100";
    enter(planet.text());
    systems::advance(0.0);
    const SystemObject& p = object(0x2000001);
    int points = 0;
    const Vector3* path = systems::orbitPath(p.pathIndex, points);
    ASSERT_NE(path, nullptr);
    ASSERT_EQ(points, systems::kPathLength);
    auto angleOf = [](const Vector3& v) { return std::atan2(v.y, v.x) / systems::kDeg; };
    auto ahead = [&](const Vector3& v) { return std::remainder(angleOf(v) - angleOf(p.position), 360.0); };
    EXPECT_NEAR(ahead(path[0]), 9.0, 1e-6);
    EXPECT_NEAR(ahead(path[points - 1]), -9.0, 1e-6);
    for (int j = 1; j < points; ++j) EXPECT_NEAR(std::remainder(angleOf(path[j]) - angleOf(path[j - 1]), 360.0), 9.0, 1e-6);
}

TEST_F(RunningSystem, TheListAndThePathTableAreFull) {
    std::string text;
    for (int i = 0; i < 300; ++i) {
        Line l;
        char id[16];
        std::snprintf(id, sizeof id, "%x", 0x2000000 + i);
        l.id = id;
        text += l.text() + "\n";
    }
    enter(text);
    EXPECT_EQ(systems::objectCount(), systems::kMaxObjects);
    EXPECT_EQ(systems::objectAt(systems::kMaxPaths)->pathIndex, systems::kMaxPaths - 1);
    EXPECT_EQ(systems::objectAt(systems::kMaxPaths + 1)->pathIndex, -1);
    systems::advance(3.0);  // objects without a path still move
    EXPECT_NEAR(norm(systems::objectAt(systems::kMaxObjects - 1)->position), systems::kKmPerAu, 1e-3);
}

TEST_F(RunningSystem, EnteringStartsAtClockZeroAndAdvancesToTheCamerasTime) {
    Line planet;
    planet.period = "100";
    stest::read(planet.text(), table);
    cam().systemTime = 0.0;
    ASSERT_EQ(systems::enterSystem(0, table), 1);
    systems::advance(37.0);
    const Vector3 expected = object(0x2000001).position;

    systems::stop();
    writeSystemFile("test.ssd", planet.text());
    ASSERT_EQ(systems::start(), 1);
    cam().systemTime = 37.0;
    ASSERT_EQ(systems::enterCameraSystem(), 1);
    EXPECT_DOUBLE_EQ(cam().systemTime, 37.0);
    const Vector3 p = object(0x2000001).position;
    EXPECT_NEAR(norm(vmath::operator-(p, expected)), 0, 1e-3);
    Vector3 answered;
    ASSERT_EQ(catalog::objectPosition(0x2000001, answered), 1);
    EXPECT_EQ(answered.x, p.x);
    EXPECT_EQ(catalog::objectRadius(0x2000001), 6000.0);
    // A lock without a system (an open cluster) keeps the system and the clock.
    cam().system = static_cast<int32_t>(sky.addDeepSky(catalog::kOpenCluster, {1, 1, 1}, 0, 0));
    sky.attach();
    EXPECT_EQ(systems::enterCameraSystem(), 0);
    EXPECT_DOUBLE_EQ(cam().systemTime, 37.0);
    EXPECT_EQ(systems::objectCount(), 2);
}

}  // namespace
