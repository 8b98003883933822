// Vector and matrix helpers of the camera and the sky renderers.
#include "base/vecmath.h"

#include <cmath>
#include <cstring>

namespace vmath {

Matrix4 identity() {
    Matrix4 r{};
    for (int i = 0; i < 4; ++i) r.m[i][i] = 1.0;
    return r;
}

void multiply3x3(Matrix4& m, const double a[3][3]) {
    double rows[3][3];
    for (int k = 0; k < 3; ++k)
        for (int c = 0; c < 3; ++c)
            rows[k][c] = a[k][0] * m.m[0][c] + a[k][1] * m.m[1][c] + a[k][2] * m.m[2][c];
    for (int k = 0; k < 3; ++k)
        for (int c = 0; c < 3; ++c) m.m[k][c] = rows[k][c];
}

void rotateCamera(Matrix4& m, double a, double b, double c) {
    // A zero angle never reaches sin/cos, so the common single-axis turns are exact.
    const double ca = a != 0 ? std::cos(a) : 1.0, sa = a != 0 ? std::sin(a) : 0.0;
    const double cb = b != 0 ? std::cos(b) : 1.0, sb = b != 0 ? std::sin(b) : 0.0;
    const double cc = c != 0 ? std::cos(c) : 1.0, sc = c != 0 ? std::sin(c) : 0.0;
    const double r[3][3] = {
        {cb * cc, -cb * sc, sb},
        {ca * sc + sa * sb * cc, ca * cc - sa * sb * sc, -sa * cb},
        {sa * sc - ca * sb * cc, sa * cc + ca * sb * sc, ca * cb},
    };
    multiply3x3(m, r);
}

void normalizeFast(Vector3& v, double& length) {
    length = fastSqrt(lengthSquared(v));
    if (length > 0) v = v * (1.0 / length);
}

void normalize(Vector3& v) {
    const double length = std::sqrt(lengthSquared(v));
    if (length > 0) v = v * (1.0 / length);
}

double distanceModulus(double distanceSquared) {
    return 2.5 * std::log10(distanceSquared * kParsecSquaredFactor);
}

}  // namespace vmath
