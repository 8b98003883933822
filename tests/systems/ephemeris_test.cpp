// The shipped Solar System against positions computed here without the loader: the planets by
// the JPL table's own algorithm (Standish, "Keplerian Elements for Approximate Positions of the
// Major Planets", Tables 2a and 2b, copied below), the Moon by the low-precision lunar series of
// the Astronomical Almanac. Time 0 of the star-system clock is J2000.0; the clock counts days.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "base/app.h"
#include "catalog/catalog.h"
#include "navigation/camera_edit.h"
#include "systems/systems.h"
#include "vfs/vfs.h"

namespace {

constexpr double kRad = M_PI / 180.0;
constexpr double kObliquity = 23.4392911 * kRad;

// a (AU), e, I, L, long.peri, long.node (degrees), each with its rate per Julian century, then
// the Table 2b terms b, c, s, f of the mean anomaly.
struct Elements {
    const char* name;
    int32_t id;
    double a, e, I, L, w, O, da, de, dI, dL, dw, dO, b, c, s, f;
};
constexpr Elements kTable[] = {
    {"Mercury", 0x2000100, 0.38709843, 0.20563661, 7.00559432, 252.25166724, 77.45771895, 48.33961819, 0.00000000,
     0.00002123, -0.00590158, 149472.67486623, 0.15940013, -0.12214182, 0, 0, 0, 0},
    {"Venus", 0x2000200, 0.72332102, 0.00676399, 3.39777545, 181.97970850, 131.76755713, 76.67261496, -0.00000026,
     -0.00005107, 0.00043494, 58517.81560260, 0.05679648, -0.27274174, 0, 0, 0, 0},
    {"Earth", 0x2000300, 1.00000018, 0.01673163, -0.00054346, 100.46691572, 102.93005885, -5.11260389, -0.00000003,
     -0.00003661, -0.01337178, 35999.37306329, 0.31795260, -0.24123856, 0, 0, 0, 0},
    {"Mars", 0x2000400, 1.52371243, 0.09336511, 1.85181869, -4.56813164, -23.91744784, 49.71320984, 0.00000097,
     0.00009149, -0.00724757, 19140.29934243, 0.45223625, -0.26852431, 0, 0, 0, 0},
    {"Jupiter", 0x2000500, 5.20248019, 0.04853590, 1.29861416, 34.33479152, 14.27495244, 100.29282654, -0.00002864,
     0.00018026, -0.00322699, 3034.90371757, 0.18199196, 0.13024619, -0.00012452, 0.06064060, -0.35635438,
     38.35125000},
    {"Saturn", 0x2000600, 9.54149883, 0.05550825, 2.49424102, 50.07571329, 92.86136063, 113.63998702, -0.00003065,
     -0.00032044, 0.00451969, 1222.11494724, 0.54179478, -0.25015002, 0.00025899, -0.13434469, 0.87320147,
     38.35125000},
    {"Uranus", 0x2000700, 19.18797948, 0.04685740, 0.77298127, 314.20276625, 172.43404441, 73.96250215, -0.00020455,
     -0.00001550, -0.00180155, 428.49512595, 0.09266985, 0.05739699, 0.00058331, -0.97731848, 0.17689245,
     7.67025000},
    {"Neptune", 0x2000800, 30.06952752, 0.00895439, 1.77005520, 304.22289287, 46.68158724, 131.78635853,
     0.00006447, 0.00000818, 0.00022400, 218.46515314, 0.01009938, -0.00606302, -0.00041348, 0.68346318,
     -0.10162547, 7.67025000},
};

// Heliocentric ecliptic longitude (degrees) by the table's algorithm at T centuries from J2000.
double jplLongitude(const Elements& p, double T) {
    const double a = p.a + p.da * T, e = p.e + p.de * T, I = (p.I + p.dI * T) * kRad;
    const double L = p.L + p.dL * T, w = p.w + p.dw * T, O = p.O + p.dO * T;
    const double M = std::remainder((L - w + p.b * T * T + p.c * std::cos(p.f * T * kRad) + p.s * std::sin(p.f * T * kRad)) * kRad,
                                    2 * M_PI);
    double E = M + e * std::sin(M);
    for (int k = 0; k < 50; ++k) E -= (E - e * std::sin(E) - M) / (1 - e * std::cos(E));
    const double x1 = a * (std::cos(E) - e), y1 = a * std::sqrt(1 - e * e) * std::sin(E);
    const double om = (w - O) * kRad, no = O * kRad;
    const double x = (std::cos(om) * std::cos(no) - std::sin(om) * std::sin(no) * std::cos(I)) * x1 +
                     (-std::sin(om) * std::cos(no) - std::cos(om) * std::sin(no) * std::cos(I)) * y1;
    const double y = (std::cos(om) * std::sin(no) + std::sin(om) * std::cos(no) * std::cos(I)) * x1 +
                     (-std::sin(om) * std::sin(no) + std::cos(om) * std::cos(no) * std::cos(I)) * y1;
    return std::atan2(y, x) / kRad;
}

// Geocentric ecliptic longitude of the Moon (degrees), Astronomical Almanac low-precision
// formula (about 0.3°), at T centuries from J2000.
double almanacMoon(double T) {
    return 218.32 + 481267.881 * T + 6.29 * std::sin((135.0 + 477198.87 * T) * kRad) -
           1.27 * std::sin((259.3 - 413335.36 * T) * kRad) + 0.66 * std::sin((235.7 + 890534.22 * T) * kRad) +
           0.21 * std::sin((269.9 + 954397.74 * T) * kRad) - 0.19 * std::sin((357.5 + 35999.05 * T) * kRad) -
           0.11 * std::sin((186.5 + 966404.03 * T) * kRad);
}

// Ecliptic longitude of an equatorial vector.
double eclipticLongitude(const Vector3& v) {
    const double y = v.y * std::cos(kObliquity) + v.z * std::sin(kObliquity);
    return std::atan2(y, v.x) / kRad;
}

double difference(double a, double b) { return std::fabs(std::remainder(a - b, 360.0)); }

class Ephemeris : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::snprintf(app::programFolder, sizeof app::programFolder, "%s", VYREX_STAGE_DIR);
        ASSERT_EQ(vfs::openPacks(), 1);
        ASSERT_EQ(catalog::catalogLoad(), 1);
        ASSERT_EQ(systems::start(), 1);
    }
    static void TearDownTestSuite() {
        systems::stop();
        catalog::catalogClose();
        vfs::closePacks();
    }
    void SetUp() override {
        CameraRecord& c = camera::editActive();
        c = camera::defaultRecord();
        c.systemTime = 0.0;
        c.central = camera::kNone;
        ASSERT_EQ(systems::enterSystem(static_cast<int32_t>(catalog::kSunIndex), systems::bodyTable()), 1);
        systems::advance(0.0);
    }
    static double now() { return camera::activeCamera()->systemTime; }
    static Vector3 at(int32_t id) {
        const systems::SystemObject* o = systems::findObject(id);
        EXPECT_NE(o, nullptr) << std::hex << id;
        return o ? o->position : Vector3{};
    }
};

TEST_F(Ephemeris, PlanetsFrom1950To2050) {
    // Steps of 29.3 days back to 1950, then forwards to 2050, as a user steps the clock.
    double worst[8] = {};
    systems::advance(-18262.5);
    for (double t = -18262.5; t <= 18262.5; t += 29.3) {
        systems::advance(t - now());
        for (int k = 0; k < 8; ++k) {
            const double d = difference(eclipticLongitude(at(kTable[k].id)), jplLongitude(kTable[k], t / 36525.0));
            worst[k] = std::fmax(worst[k], d);
        }
    }
    for (int k = 0; k < 8; ++k) {
        EXPECT_LT(worst[k], 0.5) << kTable[k].name;
        std::printf("%-8s worst %.3f deg\n", kTable[k].name, worst[k]);
    }
}

TEST_F(Ephemeris, OneStepLandsWhereManyDo) {
    for (double t : {-18262.5, -3652.5, 0.0, 7777.7, 18262.5}) {
        systems::advance(t - now());
        for (const Elements& p : kTable)
            EXPECT_LT(difference(eclipticLongitude(at(p.id)), jplLongitude(p, t / 36525.0)), 0.5) << p.name << " " << t;
    }
}

TEST_F(Ephemeris, TheMoonOverAMonth) {
    double worst = 0;
    for (double t = 0; t <= 30.0; t += 0.25) {
        systems::advance(t - now());
        const Vector3 moon = at(0x2000301), earth = at(0x2000300);
        const double lambda = eclipticLongitude(vmath::operator-(moon, earth));
        worst = std::fmax(worst, difference(lambda, almanacMoon(t / 36525.0)));
    }
    std::printf("Moon worst %.3f deg\n", worst);
    EXPECT_LT(worst, 2.0);
}

// The Earth's surface turns as the IAU's prime meridian: at 2000 January 2, 12:00, the Sun
// stands over Greenwich (within the equation of time and the mean rotation's few degrees) at
// the latitude of its declination, −22.9°.
TEST_F(Ephemeris, TheSunOverGreenwichAtNoon) {
    systems::advance(1.0);
    const systems::SystemObject& e = *systems::findObject(0x2000300);
    Vector3 d{-e.position.x, -e.position.y, -e.position.z};
    vmath::normalize(d);
    // The direction in the mesh's own frame (the body frame is orthogonal: its inverse is its
    // transpose), and the map longitude the drawer shows there.
    const Matrix4& B = e.bodyFrame;
    const Vector3 v{B.m[0][0] * d.x + B.m[1][0] * d.y + B.m[2][0] * d.z,
                    B.m[0][1] * d.x + B.m[1][1] * d.y + B.m[2][1] * d.z,
                    B.m[0][2] * d.x + B.m[1][2] * d.y + B.m[2][2] * d.z};
    const double longitude = std::atan2(-v.y, v.x) + 2 * M_PI * e.spin;
    EXPECT_NEAR(std::remainder(longitude / kRad, 360.0), 0.0, 3.0);
    EXPECT_NEAR(std::asin(v.z) / kRad, -22.9, 0.3);
    // Half a day later it stands over the date line.
    systems::advance(0.5);
    const Vector3 w{-e.position.x, -e.position.y, -e.position.z};
    const double l2 = std::atan2(-(B.m[0][1] * w.x + B.m[1][1] * w.y + B.m[2][1] * w.z),
                                 B.m[0][0] * w.x + B.m[1][0] * w.y + B.m[2][0] * w.z) + 2 * M_PI * e.spin;
    EXPECT_NEAR(std::fabs(std::remainder(l2 / kRad, 360.0)), 180.0, 3.0);
}

}  // namespace
