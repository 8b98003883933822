// Geometry shared by the camera and the renderers: three-component vectors of doubles, the
// camera's 4 × 4 orientation matrix, the sky projection and a fast square root for the
// per-object distances of the sky collectors. Nothing here allocates.
//
// Matrix4 is row-major; rows 0 to 2 are unit vectors in world coordinates: row 0 maps to screen
// x (rightwards), row 1 to screen y (downwards), row 2 is the viewing direction. Row 3 is
// (0, 0, 0, 1).
#pragma once

#include <cstdint>
#include <cstring>

struct Vector3 {
    double x = 0, y = 0, z = 0;
};

struct Matrix4 {
    double m[4][4];
};

namespace vmath {

inline constexpr double kTwoPi = 6.28318530718;
inline constexpr double kHalfPi = 1.570796326795;
inline constexpr double kQuarterPi = 0.7853981633975;
inline constexpr double kPiOver20 = 0.1570796326795;
inline constexpr double kPi = 3.14159265359;
inline constexpr double kLyPerParsec = 3.2616;
inline constexpr double kParsecSquaredFactor = 1.0 / (3.2616 * 3.2616);  // ly² → pc²
inline constexpr double kKmPerAu = 149600000.0;
inline constexpr double kSkyRadius = 946070400000.0;  // km: 0.1 light year
inline constexpr double kKmPerLy = 9460704000000.0;

inline Vector3 operator+(Vector3 a, Vector3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vector3 operator-(Vector3 a, Vector3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vector3 operator*(Vector3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline double dot(Vector3 a, Vector3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline Vector3 cross(Vector3 a, Vector3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double lengthSquared(Vector3 a) { return dot(a, a); }

// The identity orientation (row 3 = 0, 0, 0, 1).
Matrix4 identity();

// v' = (row0·v, row1·v, row2·v), written back into v. Inline: every point of the sky passes here
// on every frame.
inline void transformToCamera(const Matrix4& m, Vector3& v) {
    const Vector3 in = v;
    v.x = m.m[0][0] * in.x + m.m[0][1] * in.y + m.m[0][2] * in.z;
    v.y = m.m[1][0] * in.x + m.m[1][1] * in.y + m.m[1][2] * in.z;
    v.z = m.m[2][0] * in.x + m.m[2][1] * in.y + m.m[2][2] * in.z;
}
// M' = Rx(a)·Ry(b)·Rz(c)·M: a pitches about screen x, b yaws about screen y, c rolls about the
// viewing axis. Rows are not re-orthonormalised; the drift is accepted.
void rotateCamera(Matrix4& m, double a, double b, double c);
// M' = A·M on rows 0 to 2.
void multiply3x3(Matrix4& m, const double a[3][3]);

// √x for x ≥ 0 from a bit-level estimate of 1/√x and two Newton steps (about five digits).
// Inline: every star and nebula point collected passes here.
inline double fastSqrt(double x) {
    if (x <= 0) return 0.0;
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    const uint32_t hi = static_cast<uint32_t>(bits >> 32);
    const uint32_t estimate = (0xBFCD4600u - hi) >> 1;
    bits = (static_cast<uint64_t>(estimate) << 32) | (bits & 0xFFFFFFFFull);
    double y;
    std::memcpy(&y, &bits, sizeof y);
    y = y * (1.5 - 0.5 * x * y * y);
    y = y * (1.5 - 0.5 * x * y * y);
    return x * y;
}

// Divides v by its fastSqrt length, returned through `length`.
void normalizeFast(Vector3& v, double& length);
void normalize(Vector3& v);

// 2.5·log10(d² / 3.2616²): 5·log10 of the distance in parsecs.
double distanceModulus(double distanceSquared);

// The sky projection: s = cx·zoom / (z + 20); screen = trunc(x·s) + cx, trunc(y·s) + cy.
// The intermediate values stay in the result for callers that size sprites by them.
struct SkyProjection {
    int x, y;
    double scale;   // s
    double xs, ys;  // x·s and y·s
};
inline SkyProjection projectSky(double x, double y, double z, int cx, int cy, double zoom) {
    SkyProjection p;
    p.scale = cx * zoom / (z + 20.0);
    p.xs = x * p.scale;
    p.ys = y * p.scale;
    p.x = static_cast<int>(p.xs) + cx;
    p.y = static_cast<int>(p.ys) + cy;
    return p;
}

}  // namespace vmath
