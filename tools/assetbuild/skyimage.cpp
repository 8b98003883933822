// Sky pictures placed by the equatorial coordinates of their four corners, as the nebula picture
// collection lists them in its textures.json. A direction is found in a picture by projecting the
// corners and the direction onto the tangent plane at the picture's centre and inverting the
// bilinear corner mapping there. Texture corner (0,0) is the picture's bottom-left pixel, (1,1) its
// top-right one (the collection's pictures are north up, east left).
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "assetbuild.h"

namespace assets {
namespace {

constexpr double kDeg = 3.14159265358979323846 / 180.0;

struct V3 {
    double x, y, z;
};

V3 direction(double raDeg, double decDeg) {
    double a = raDeg * kDeg, d = decDeg * kDeg;
    return {std::cos(d) * std::cos(a), std::cos(d) * std::sin(a), std::sin(d)};
}

// Gnomonic projection at (ra0, dec0): ξ towards east, η towards north. False behind the plane.
bool project(double ra0, double dec0, double ra, double dec, double& xi, double& eta) {
    double a0 = ra0 * kDeg, d0 = dec0 * kDeg, a = ra * kDeg, d = dec * kDeg;
    double cosc = std::sin(d0) * std::sin(d) + std::cos(d0) * std::cos(d) * std::cos(a - a0);
    if (cosc <= 0.1) return false;
    xi = std::cos(d) * std::sin(a - a0) / cosc;
    eta = (std::cos(d0) * std::sin(d) - std::sin(d0) * std::cos(d) * std::cos(a - a0)) / cosc;
    return true;
}

}  // namespace

bool loadSkyImage(const std::string& nebulaDir, const std::string& file, SkyImage& out, std::string& error) {
    std::string jsonPath = nebulaDir + "/textures.json";
    Bytes raw;
    if (!readFile(jsonPath, raw)) {
        error = "cannot read " + jsonPath;
        return false;
    }
    std::string json(raw.begin(), raw.end());
    out.name = file;
    if (!findCorners(json, file, out.cornerRa, out.cornerDec)) {
        error = "no usable corner coordinates for " + file + " in " + jsonPath;
        return false;
    }
    if (!loadImage(nebulaDir + "/" + file, out.image)) {
        error = "cannot read picture " + file;
        return false;
    }
    // Sky level of the picture: the 10th percentile of each channel.
    for (int k = 0; k < 3; ++k) {
        std::vector<uint8_t> values;
        for (size_t i = k; i < out.image.rgb.size(); i += 3) values.push_back(out.image.rgb[i]);
        std::nth_element(values.begin(), values.begin() + static_cast<long>(values.size() / 10), values.end());
        out.background[k] = values[values.size() / 10];
    }
    V3 sum{0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        V3 d = direction(out.cornerRa[i], out.cornerDec[i]);
        sum.x += d.x, sum.y += d.y, sum.z += d.z;
    }
    out.centreRa = std::atan2(sum.y, sum.x) / kDeg;
    if (out.centreRa < 0) out.centreRa += 360;
    out.centreDec = std::atan2(sum.z, std::hypot(sum.x, sum.y)) / kDeg;
    for (int i = 0; i < 4; ++i)
        if (!project(out.centreRa, out.centreDec, out.cornerRa[i], out.cornerDec[i], out.cornerX[i], out.cornerY[i])) {
            error = "picture corners span too much sky: " + file;
            return false;
        }
    return true;
}

bool sampleSky(const SkyImage& img, double ra, double dec, double rgb[3], double* edge) {
    double x, y;
    if (!project(img.centreRa, img.centreDec, ra, dec, x, y)) return false;
    // Invert P(s, t) = (1−s)(1−t)·C0 + s(1−t)·C1 + s·t·C2 + (1−s)·t·C3 by Newton's method.
    const double* cx = img.cornerX;
    const double* cy = img.cornerY;
    double s = 0.5, t = 0.5;
    for (int i = 0; i < 20; ++i) {
        double px = (1 - s) * (1 - t) * cx[0] + s * (1 - t) * cx[1] + s * t * cx[2] + (1 - s) * t * cx[3];
        double py = (1 - s) * (1 - t) * cy[0] + s * (1 - t) * cy[1] + s * t * cy[2] + (1 - s) * t * cy[3];
        double dxs = -(1 - t) * cx[0] + (1 - t) * cx[1] + t * cx[2] - t * cx[3];
        double dxt = -(1 - s) * cx[0] - s * cx[1] + s * cx[2] + (1 - s) * cx[3];
        double dys = -(1 - t) * cy[0] + (1 - t) * cy[1] + t * cy[2] - t * cy[3];
        double dyt = -(1 - s) * cy[0] - s * cy[1] + s * cy[2] + (1 - s) * cy[3];
        double det = dxs * dyt - dxt * dys;
        if (std::fabs(det) < 1e-18) return false;
        double ex = x - px, ey = y - py;
        s += (ex * dyt - ey * dxt) / det;
        t += (ey * dxs - ex * dys) / det;
    }
    if (!(s >= 0 && s <= 1 && t >= 0 && t <= 1)) return false;
    if (edge) *edge = std::min({s, 1 - s, t, 1 - t});
    // Bilinear sample; texture t = 0 is the bottom row.
    double fx = s * (img.image.w - 1), fy = (1 - t) * (img.image.h - 1);
    int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
    int x1 = std::min(x0 + 1, img.image.w - 1), y1 = std::min(y0 + 1, img.image.h - 1);
    double wx = fx - x0, wy = fy - y0;
    for (int k = 0; k < 3; ++k)
        rgb[k] = std::max(0.0, (1 - wx) * (1 - wy) * img.image.at(x0, y0)[k] + wx * (1 - wy) * img.image.at(x1, y0)[k] +
                                   (1 - wx) * wy * img.image.at(x0, y1)[k] + wx * wy * img.image.at(x1, y1)[k] -
                                   (img.levelled ? img.background[k] : 0.0));
    return true;
}

}  // namespace assets
