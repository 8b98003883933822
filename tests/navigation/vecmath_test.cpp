// Vector math: the camera rotation, the fast square root, the distance modulus and the sky
// projection.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "base/vecmath.h"

namespace {

Matrix4 someOrientation() {
    Matrix4 m = vmath::identity();
    vmath::rotateCamera(m, 0.3, -1.1, 2.0);
    return m;
}

Vector3 row(const Matrix4& m, int k) { return {m.m[k][0], m.m[k][1], m.m[k][2]}; }

TEST(VecMath, ZeroRotationLeavesTheMatrixBitForBit) {
    Matrix4 m = someOrientation();
    const Matrix4 before = m;
    vmath::rotateCamera(m, 0, 0, 0);
    EXPECT_EQ(std::memcmp(&m, &before, sizeof m), 0);
}

TEST(VecMath, TurningRoundFacesBackwardsWithTheSameRollSense) {
    Matrix4 m = someOrientation();
    const Matrix4 before = m;
    vmath::rotateCamera(m, vmath::kPi, 0, vmath::kPi);
    // Viewing axis and screen-right axis reverse; screen-down stays, so the turn is not a mirror.
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(m.m[0][c], -before.m[0][c], 1e-10);
        EXPECT_NEAR(m.m[1][c], before.m[1][c], 1e-10);
        EXPECT_NEAR(m.m[2][c], -before.m[2][c], 1e-10);
    }
    const Vector3 c = vmath::cross(row(m, 1), row(m, 2));
    EXPECT_NEAR(c.x, m.m[0][0], 1e-10);
    EXPECT_NEAR(c.y, m.m[0][1], 1e-10);
    EXPECT_NEAR(c.z, m.m[0][2], 1e-10);
}

TEST(VecMath, SingleAxisTurnsMoveTheRightAxes) {
    // Yaw by +90° from the identity: the view turns to −x, screen-right to +z.
    Matrix4 m = vmath::identity();
    vmath::rotateCamera(m, 0, vmath::kHalfPi, 0);
    EXPECT_NEAR(m.m[2][0], -1.0, 1e-11);
    EXPECT_NEAR(m.m[0][2], 1.0, 1e-11);
    EXPECT_NEAR(m.m[1][1], 1.0, 1e-11);
    // Pitch keeps screen-right, roll keeps the viewing axis.
    m = vmath::identity();
    vmath::rotateCamera(m, 0.4, 0, 0);
    EXPECT_DOUBLE_EQ(m.m[0][0], 1.0);
    m = vmath::identity();
    vmath::rotateCamera(m, 0, 0, 0.4);
    EXPECT_DOUBLE_EQ(m.m[2][2], 1.0);
}

TEST(VecMath, TransformToCameraUsesTheRows) {
    const Matrix4 m = someOrientation();
    Vector3 v{1.5, -2.0, 0.25};
    const Vector3 in = v;
    vmath::transformToCamera(m, v);
    EXPECT_DOUBLE_EQ(v.x, vmath::dot(row(m, 0), in));
    EXPECT_DOUBLE_EQ(v.y, vmath::dot(row(m, 1), in));
    EXPECT_DOUBLE_EQ(v.z, vmath::dot(row(m, 2), in));
    // An orthonormal orientation keeps lengths.
    EXPECT_NEAR(vmath::lengthSquared(v), vmath::lengthSquared(in), 1e-12);
}

TEST(VecMath, FastSqrtHoldsFiveDigitsOverTheWholeRange) {
    // Two Newton steps from the bit-level estimate leave at most about 1.2e-5 relative error.
    EXPECT_EQ(vmath::fastSqrt(0.0), 0.0);
    EXPECT_NEAR(vmath::fastSqrt(4.0), 2.0, 5e-5);
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> exponent(-30.0, 30.0);
    double worst = 0;
    for (int i = 0; i < 200000; ++i) {
        const double x = std::pow(10.0, exponent(random));
        const double relative = std::fabs(vmath::fastSqrt(x) / std::sqrt(x) - 1.0);
        worst = std::max(worst, relative);
    }
    EXPECT_LT(worst, 2e-5);
    EXPECT_GT(worst, 0.0);  // it is the approximation, not the library's square root
    // Squared distances of the sky reach 1e10 ly² and more.
    EXPECT_NEAR(vmath::fastSqrt(1.6e11) / std::sqrt(1.6e11), 1.0, 2e-5);
}

TEST(VecMath, NormalizeGivesUnitLengthAndReportsTheLength) {
    Vector3 v{3, 4, 12};
    double length = 0;
    vmath::normalizeFast(v, length);
    EXPECT_NEAR(length, 13.0, 1e-4);
    EXPECT_NEAR(vmath::lengthSquared(v), 1.0, 1e-5);
    Vector3 w{0, -7, 0};
    vmath::normalize(w);
    EXPECT_DOUBLE_EQ(w.y, -1.0);
    Vector3 zero{};
    vmath::normalize(zero);  // no division by zero
    EXPECT_EQ(zero.x, 0.0);
}

TEST(VecMath, DistanceModulusIsZeroAtOneParsecAndFiveAtTen) {
    EXPECT_NEAR(vmath::distanceModulus(3.2616 * 3.2616), 0.0, 1e-12);
    EXPECT_NEAR(vmath::distanceModulus(32.616 * 32.616), 5.0, 1e-12);
    EXPECT_NEAR(vmath::distanceModulus(326.16 * 326.16), 10.0, 1e-12);
}

TEST(VecMath, ProjectionPutsTheAxisAtTheCentreAndTruncatesTowardZero) {
    for (double z : {-19.5, 0.0, 1.0, 1e12})
        EXPECT_EQ(vmath::projectSky(0, 0, z, 320, 240, 1.5).x, 320);
    const vmath::SkyProjection p = vmath::projectSky(10, -10, 100, 320, 240, 1.5);
    EXPECT_DOUBLE_EQ(p.scale, 320 * 1.5 / 120.0);  // 4
    EXPECT_DOUBLE_EQ(p.xs, 40.0);
    EXPECT_EQ(p.x, 360);
    EXPECT_EQ(p.y, 200);
    // −0.5 pixels truncates to 0, not −1.
    const vmath::SkyProjection q = vmath::projectSky(-0.125, 0.125, 100, 320, 240, 1.5);
    EXPECT_EQ(q.x, 320);
    EXPECT_EQ(q.y, 240);
}

}  // namespace
