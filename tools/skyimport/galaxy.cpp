// Face-on model of the Milky Way sampled on the renderer's 63 × 63 grid over the galactic plane.
//
// The grid: cell (r, c) lies at galactic centre + s·u + t·v with s = −50000 + 1562.5·r and
// t = −50000 + 1562.5·c light years, u pointing from the Sun towards the centre and v across
// (towards galactic longitude 270°). The Sun sits at s = −28000, t = 0: cell (14, 32).
//
// The model, in galactocentric cylindrical coordinates (R, β), β = 0 towards the Sun and
// increasing in the sense of galactic rotation, lengths scaled from the published R0 = 8.34 kpc
// to the frame's 28,000 ly:
//   - exponential disc, scale length 2.6 kpc (Bland-Hawthorn & Gerhard 2016), cut off at 15 kpc;
//   - four major spiral arms as logarithmic spirals ln(R / Rref) = −(β − βref)·tan ψ with the
//     parameters of Reid et al. 2014 (ApJ 783, 130): Scutum-Centaurus Rref 5.0 kpc, βref 27.6°,
//     ψ 19.8°; Sagittarius-Carina 6.6 kpc, 25.6°, 6.9°; Perseus 9.9 kpc, 14.2°, 9.4°;
//     Norma-Outer 13.0 kpc, 18.6°, 13.8°; plus the Local (Orion) spur 8.4 kpc, 8.9°, 12.8° at
//     half strength. Gaussian arm profile, 0.45 kpc wide; arms from 3 to 15 kpc. The Sun falls
//     between the Sagittarius arm (1.4 kpc inwards) and the Perseus arm (2 kpc outwards);
//   - a central bar of half-length 5 kpc, its near end at positive longitudes, 27° from the
//     Sun-centre line (Wegg, Gerhard & Portail 2015), and a bulge of 0.7 kpc scale length.
// Brightness = 255·(density / peak)^0.45, at least 1 inside the disc and 0 outside; the second
// map is 40 + 50·(old fraction − 0.5)/0.5 where bar and bulge give more than half the light,
// else 35 − 25·(arm fraction), so the arms draw blue-white and small, the bar orange and large.
#include "galaxy.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "catalog/catalog_records.h"
#include "common.h"

namespace sky {
namespace {

struct Arm {
    const char* name;
    double rref, betaRef, pitch, weight;
};
const Arm kArms[] = {
    {"Scutum-Centaurus", 5.0, 27.6, 19.8, 1.0},
    {"Sagittarius-Carina", 6.6, 25.6, 6.9, 1.0},
    {"Perseus", 9.9, 14.2, 9.4, 1.0},
    {"Norma-Outer", 13.0, 18.6, 13.8, 1.0},
    {"Local spur", 8.4, 8.9, 12.8, 0.5},
};

constexpr double kModelR0 = 8.34;           // kpc
constexpr double kFrameR0 = 28000.0;        // ly, Sun to centre in the renderer's frame
constexpr double kDiscScale = 2.6, kDiscEdge = 15.0, kArmWidth = 0.45;
constexpr double kArmInner = 3.0, kArmOuter = 15.0;
constexpr double kBarHalfLength = 5.0, kBarAngle = 27.0, kBulgeScale = 0.7;

// Distance in kpc (radial) from R to the nearest winding of an arm at azimuth β (degrees).
double armDistance(const Arm& a, double r, double betaDeg) {
    double best = 1e9;
    for (int k = -2; k <= 2; ++k) {
        double b = betaDeg + 360.0 * k;
        double ra = a.rref * std::exp(-(b - a.betaRef) * kDeg * std::tan(a.pitch * kDeg));
        if (ra < kArmInner || ra > kArmOuter) continue;
        best = std::min(best, std::fabs(r - ra));
    }
    return best;
}

struct Density {
    double disc, arms, old;
};

Density densityAt(double x, double y) {  // kpc; x along u from the centre, y along v
    double r = std::hypot(x, y);
    Density d{0, 0, 0};
    if (r > kDiscEdge) return d;
    double beta = std::atan2(-y, -x) / kDeg;  // 0 at the Sun, growing with rotation (towards −v)
    double disc = std::exp(-r / kDiscScale);
    double arms = 0;
    for (const Arm& a : kArms) {
        double dr = armDistance(a, r, beta);
        arms += a.weight * std::exp(-dr * dr / (2 * kArmWidth * kArmWidth));
    }
    // The stellar disc is weak inside the bar's radius, where the bar takes over.
    double inner = 1.0 - std::exp(-std::pow(r / 3.0, 3));
    d.disc = disc * inner;
    d.arms = 1.2 * disc * inner * arms * std::exp(-std::max(0.0, r - 12.0) / 1.5) + 0.04 * arms * inner;
    // Bar: axis through the centre; the near end at positive longitudes (towards −v from the Sun).
    double phi = kBarAngle * kDeg;
    double ax = -std::cos(phi), ay = -std::sin(phi);  // unit vector to the near end
    double along = x * ax + y * ay, across = -x * ay + y * ax;
    double bar = 2.5 * std::exp(-std::sqrt(std::pow(along / (kBarHalfLength / 2.2), 2) + std::pow(across / 0.55, 2)));
    double bulge = 4.0 * std::exp(-r / kBulgeScale);
    d.old = bar + bulge;
    return d;
}

}  // namespace

GalaxyMaps buildGalaxyMaps(std::string& description) {
    GalaxyMaps maps;
    maps.brightness.assign(kGalaxyMapBytes, 0);
    maps.population.assign(kGalaxyMapBytes, 0);
    const double kpcPerLy = kModelR0 / kFrameR0;
    double peak = 0;
    for (int r = 0; r < 63; ++r)
        for (int c = 0; c < 63; ++c) {
            Density d = densityAt((-50000 + 1562.5 * r) * kpcPerLy, (-50000 + 1562.5 * c) * kpcPerLy);
            peak = std::max(peak, d.disc + d.arms + d.old);
        }
    int bright = 0, old = 0;
    for (int r = 0; r < 63; ++r)
        for (int c = 0; c < 63; ++c) {
            double x = (-50000 + 1562.5 * r) * kpcPerLy, y = (-50000 + 1562.5 * c) * kpcPerLy;
            if (std::hypot(x, y) > kDiscEdge) continue;
            Density d = densityAt(x, y);
            double total = d.disc + d.arms + d.old;
            int b = static_cast<int>(std::lround(255.0 * std::pow(total / peak, 0.45)));
            b = std::clamp(b, 1, 255);
            double oldFraction = d.old / total, armFraction = d.arms / total;
            int k = oldFraction > 0.5 ? static_cast<int>(std::lround(40 + 50 * (oldFraction - 0.5) / 0.5))
                                      : static_cast<int>(std::lround(35 - 25 * std::min(1.0, armFraction)));
            size_t i = catalog::galaxyCell(r, c);
            maps.brightness[i] = static_cast<uint8_t>(b);
            maps.population[i] = static_cast<uint8_t>(std::clamp(k, 0, 255));
            ++bright;
            if (k >= 40) ++old;
        }
    // The Sun's cell: the one nearest to s = −(centre·u), t = −(centre·v).
    const Vec3 centre{-144.498344, -24545.790404, -13471.57354};
    const Vec3 u{-0.005161, -0.876635, -0.481128}, v{-0.49503, 0.419812, -0.759605};
    double s = -dot(centre, u), t = -dot(centre, v);
    maps.sunRow = static_cast<int>(std::lround((s + 50000) / 1562.5));
    maps.sunColumn = static_cast<int>(std::lround((t + 50000) / 1562.5));
    char line[200];
    std::snprintf(line, sizeof line, "%d disc cells, %d bar/bulge cells; the Sun in cell (%d, %d) at s %.0f, t %.0f ly",
                  bright, old, maps.sunRow, maps.sunColumn, s, t);
    description = line;
    return maps;
}

}  // namespace sky
