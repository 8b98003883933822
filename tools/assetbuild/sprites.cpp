// The sky's raw 8-bit images, each computed from a physical model:
//   starGlowB.raw, starGlowS.raw   point-spread function: diffraction core, scattering halo,
//                                  four faint diffraction spikes of the secondary mirror's spider
//   starDisc.raw                   stellar disc with linear limb darkening
//   spot00/01/02.raw               galaxy patches: smooth, knotty (star clouds), dusty (dark lanes)
//   ocbitmap.raw                   the Pleiades' twelve brightest stars at their true places
//   gcbitmap.raw                   a globular cluster: King (1962) profile plus resolved stars
//   nebitmap.raw                   an emission nebula from domain-warped fractal noise
// The drawers sample these without filtering and plot only values above a threshold (4 for the
// glows and galaxy spots of sub-type 0, 8 or 16 otherwise); values index a colour ramp whose lower
// half runs from black to the object's colour and upper half from the colour to white.
#include <algorithm>
#include <cmath>

#include "assetbuild.h"
#include "noise.h"

namespace assets {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct Picture {
    int side;
    std::vector<double> v;  // intensity 0..255 before rounding
    explicit Picture(int s) : side(s), v(static_cast<size_t>(s) * s, 0.0) {}
    double& at(int x, int y) { return v[static_cast<size_t>(y) * side + x]; }
    Bytes bytes() const {
        Bytes out(v.size());
        for (size_t i = 0; i < v.size(); ++i) out[i] = static_cast<uint8_t>(std::clamp(std::lround(v[i]), 0L, 255L));
        return out;
    }
};

// Evaluates f(dx, dy) over each sample, supersampled 4 × 4, with dx, dy in units of the half side
// measured from the sample (side / 2, side / 2), where a drawer's centre pixel lands.
template <class F>
Picture render(int side, F f) {
    Picture p(side);
    const double half = side / 2.0;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            double sum = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    double dx = (x + (sx + 0.5) / 4.0 - 0.5 - half) / half;
                    double dy = (y + (sy + 0.5) / 4.0 - 0.5 - half) / half;
                    sum += f(dx, dy);
                }
            p.at(x, y) = sum / 16.0;
        }
    return p;
}

// Smooth fade to zero between radius `start` and 1 so that no image has a hard square edge.
double edgeFade(double rho, double start) {
    if (rho <= start) return 1.0;
    if (rho >= 1.0) return 0.0;
    double t = (1.0 - rho) / (1.0 - start);
    return t * t * (3 - 2 * t);
}

// Point-spread function: Gaussian core (the Airy disc), Moffat halo (scattering in the optics and
// the eye), a broad faint glow and four spikes along the axes (diffraction on the spider holding a
// secondary mirror). Exposure maps intensity to 0..255 with soft saturation, v = 255·(1 − e^(−4I)),
// so the core burns out to white while the halo carries the star's colour in the ramp's lower half.
struct Psf {
    double core;                     // Gaussian σ of the core, half sides
    double haloAlpha, haloWeight;    // Moffat core radius and weight (β = 1.5)
    double glowSigma, glowWeight;    // broad Gaussian
    double spikeWeight, spikeWidth;  // spikes: Gaussian across, Lorentzian along
};

Picture starGlow(int side, Psf f) {
    return render(side, [=](double dx, double dy) {
        double r2 = dx * dx + dy * dy, rho = std::sqrt(r2);
        double i = std::exp(-r2 / (2 * f.core * f.core));
        i += f.haloWeight * std::pow(1 + r2 / (f.haloAlpha * f.haloAlpha), -1.5);
        i += f.glowWeight * std::exp(-r2 / (2 * f.glowSigma * f.glowSigma));
        for (int axis = 0; axis < 2; ++axis) {
            double along = std::fabs(axis ? dy : dx), across = axis ? dx : dy;
            i += f.spikeWeight * std::exp(-across * across / (2 * f.spikeWidth * f.spikeWidth)) /
                 (1 + (along / 0.12) * (along / 0.12));
        }
        double v = 255.0 * (1.0 - std::exp(-4.0 * i));
        return v * edgeFade(rho, 0.8);
    });
}

// Linear limb darkening I(µ) = 1 − u(1 − µ), u = 0.6 (the Sun in visible light); the centre maps
// near white and the limb into the coloured half of the ramp. Edge samples are in or out by
// coverage so the disc has a crisp rim rather than a dark anti-aliased ring.
Picture starDisc(int side) {
    Picture p(side);
    const double half = side / 2.0, radius = half - 0.5;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            int inside = 0;
            double mu = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    double dx = x + (sx + 0.5) / 4.0 - half, dy = y + (sy + 0.5) / 4.0 - half;
                    double r2 = (dx * dx + dy * dy) / (radius * radius);
                    if (r2 < 1) ++inside, mu += std::sqrt(1 - r2);
                }
            if (inside < 8) continue;
            mu /= inside;
            p.at(x, y) = 100 + 140 * (1 - 0.6 * (1 - mu));
        }
    return p;
}

// Galaxy patch envelope: an exponential-like profile fading to zero at the rim.
double spotEnvelope(double rho) { return std::exp(-rho * rho / (2 * 0.33 * 0.33)) * edgeFade(rho, 0.6); }

Picture spotSmooth() {
    return render(128, [](double dx, double dy) {
        double rho = std::hypot(dx, dy);
        double tex = 0.85 + 0.15 * fbm(dx * 2.5 + 7.1, dy * 2.5 + 3.3, 3, 0.5, 11);
        return 255.0 * spotEnvelope(rho) * tex;
    });
}

// Star clouds and H II knots: a faint base with 90 clumps of 2–5 samples, brighter towards the
// middle of the patch.
Picture spotKnotty() {
    Random rnd(0x5107);
    struct Knot {
        double x, y, s, a;
    };
    std::vector<Knot> knots;
    while (knots.size() < 90) {
        double x = rnd.uniform() * 1.6 - 0.8, y = rnd.uniform() * 1.6 - 0.8;
        if (x * x + y * y > 0.6) continue;
        knots.push_back({x, y, (2.0 + 3.0 * rnd.uniform()) / 64.0, 0.25 + 0.45 * rnd.uniform()});
    }
    return render(128, [&](double dx, double dy) {
        double rho = std::hypot(dx, dy);
        double k = 0;
        for (const Knot& n : knots) {
            double d2 = (dx - n.x) * (dx - n.x) + (dy - n.y) * (dy - n.y);
            k += n.a * std::exp(-d2 / (2 * n.s * n.s));
        }
        double base = 0.4 + 0.15 * fbm(dx * 3 + 1.7, dy * 3 + 9.2, 4, 0.55, 23);
        return 255.0 * std::min(1.0, spotEnvelope(rho) * (base + 0.8 * std::min(k, 1.0)));
    });
}

// Dark dust lanes: the zero crossings of warped fractal noise, widened into lanes, cut out of a
// bright patch.
Picture spotDusty() {
    return render(128, [](double dx, double dy) {
        double rho = std::hypot(dx, dy);
        double wx = dx + 0.25 * fbm(dx * 2 + 9.1, dy * 2 + 4.2, 3, 0.5, 43);
        double wy = dy + 0.25 * fbm(dx * 2 + 1.3, dy * 2 + 7.8, 3, 0.5, 47);
        double n = fbm(wx * 1.3 + 4.4, wy * 1.3 + 0.6, 4, 0.5, 37);
        double dust = std::exp(-(n / 0.16) * (n / 0.16));
        return std::min(255.0, 320.0 * spotEnvelope(rho) * (1.0 - 0.8 * dust) * (0.9 + 0.1 * fbm(dx * 4, dy * 4, 3, 0.5, 41)));
    });
}

// The Pleiades (M 45): positions J2000 and V magnitudes of the twelve brightest members from the
// Hipparcos catalogue as given by SIMBAD.
struct ClusterStar {
    const char* name;
    int raH, raM;
    double raS;
    int decD, decM;
    double decS, vmag;
};
constexpr ClusterStar kPleiades[] = {
    {"Alcyone (eta Tau)", 3, 47, 29.08, 24, 6, 18.5, 2.87},   {"Atlas (27 Tau)", 3, 49, 9.74, 24, 3, 12.3, 3.62},
    {"Electra (17 Tau)", 3, 44, 52.54, 24, 6, 48.0, 3.70},    {"Maia (20 Tau)", 3, 45, 49.61, 24, 22, 3.9, 3.87},
    {"Merope (23 Tau)", 3, 46, 19.57, 23, 56, 54.1, 4.18},    {"Taygeta (19 Tau)", 3, 45, 12.50, 24, 28, 2.2, 4.30},
    {"Pleione (28 Tau)", 3, 49, 11.22, 24, 8, 12.2, 5.05},    {"Celaeno (16 Tau)", 3, 44, 48.22, 24, 17, 22.1, 5.45},
    {"HD 23753", 3, 48, 20.82, 23, 25, 16.5, 5.44},           {"18 Tau", 3, 45, 9.74, 24, 50, 21.3, 5.65},
    {"Asterope (21 Tau)", 3, 45, 54.48, 24, 33, 16.2, 5.76},  {"22 Tau", 3, 46, 2.90, 24, 31, 40.4, 6.43},
};

// Each star is a small point-spread function whose size and peak follow its flux; the pattern is
// the gnomonic projection of the sky around the stars' mean place, north up and east left as the
// sky is seen, scaled so the outermost star lies at 85 % of the half side.
Picture openCluster() {
    struct P {
        double x, y, flux;
    };
    auto place = [](int h, int m, double s) { return (h + m / 60.0 + s / 3600.0) * 15 * kPi / 180; };
    auto decl = [](int d, int m, double s) { return (d + m / 60.0 + s / 3600.0) * kPi / 180; };
    double ra0 = 0, dec0 = 0;
    for (const ClusterStar& s : kPleiades) ra0 += place(s.raH, s.raM, s.raS), dec0 += decl(s.decD, s.decM, s.decS);
    ra0 /= std::size(kPleiades);
    dec0 /= std::size(kPleiades);
    std::vector<P> stars;
    double maxR = 0;
    for (const ClusterStar& s : kPleiades) {
        double ra = place(s.raH, s.raM, s.raS), dec = decl(s.decD, s.decM, s.decS);
        double cosc = std::sin(dec0) * std::sin(dec) + std::cos(dec0) * std::cos(dec) * std::cos(ra - ra0);
        double xi = std::cos(dec) * std::sin(ra - ra0) / cosc;  // east
        double eta = (std::cos(dec0) * std::sin(dec) - std::sin(dec0) * std::cos(dec) * std::cos(ra - ra0)) / cosc;
        stars.push_back({-xi, -eta, std::pow(10.0, -0.4 * (s.vmag - 2.87))});
        maxR = std::max(maxR, std::hypot(xi, eta));
    }
    const double scale = 0.85 / maxR;
    return render(256, [&](double dx, double dy) {
        double v = 0;
        for (const P& s : stars) {
            double x = s.x * scale, y = s.y * scale;
            double d2 = (dx - x) * (dx - x) + (dy - y) * (dy - y);
            double core = (2.5 + 5.5 * std::sqrt(s.flux)) / 128.0;  // 2.5..8 samples
            double i = std::exp(-d2 / (2 * core * core)) + 0.12 * std::sqrt(s.flux) / (1 + d2 / (9 * core * core));
            v += 255.0 * (0.55 + 0.45 * std::sqrt(s.flux)) * i;
        }
        return std::min(255.0, v);
    });
}

// King (1962) surface density with concentration c = log10(rt / rc) = 1.3, the tidal radius at
// 94 % of the half side; 2500 resolved stars drawn from the same profile with a power-law
// luminosity function sit on the unresolved light. An asinh stretch shows core and halo together.
Picture globularCluster() {
    const double rt = 0.94, rc = rt / std::pow(10.0, 1.3);
    auto king = [&](double r) {
        if (r >= rt) return 0.0;
        double a = 1 / std::sqrt(1 + (r / rc) * (r / rc)) - 1 / std::sqrt(1 + (rt / rc) * (rt / rc));
        return a * a;
    };
    const double k0 = king(0);
    Random rnd(0x61C);
    struct S {
        double x, y, l;
    };
    std::vector<S> stars;
    while (stars.size() < 2500) {
        // Rejection sampling of radius from 2πr·Σ(r).
        double r = rnd.uniform() * rt;
        double w = r * king(r) / (rc * k0);
        if (rnd.uniform() * 0.5 > w) continue;
        double phi = rnd.uniform() * 2 * kPi;
        double l = std::pow(rnd.uniform() + 1e-3, -1.2) * 0.02;  // few bright giants, many faint stars
        stars.push_back({r * std::cos(phi), r * std::sin(phi), std::min(l, 1.5)});
    }
    // Bucket the stars on a grid so each sample looks only at its neighbours.
    const int grid = 32;
    std::vector<std::vector<int>> cells(grid * grid);
    for (size_t i = 0; i < stars.size(); ++i) {
        int gx = std::clamp(static_cast<int>((stars[i].x + 1) / 2 * grid), 0, grid - 1);
        int gy = std::clamp(static_cast<int>((stars[i].y + 1) / 2 * grid), 0, grid - 1);
        cells[gy * grid + gx].push_back(static_cast<int>(i));
    }
    const double sigma = 1.3 / 128.0;
    const double beta = 0.02;
    const double norm = std::asinh(1.6 / beta);
    return render(256, [&](double dx, double dy) {
        double i = 0.9 * king(std::hypot(dx, dy)) / k0;
        int gx = static_cast<int>((dx + 1) / 2 * grid), gy = static_cast<int>((dy + 1) / 2 * grid);
        for (int cy = gy - 1; cy <= gy + 1; ++cy)
            for (int cx = gx - 1; cx <= gx + 1; ++cx) {
                if (cx < 0 || cy < 0 || cx >= grid || cy >= grid) continue;
                for (int k : cells[cy * grid + cx]) {
                    double d2 = (dx - stars[k].x) * (dx - stars[k].x) + (dy - stars[k].y) * (dy - stars[k].y);
                    i += stars[k].l * std::exp(-d2 / (2 * sigma * sigma));
                }
            }
        return std::min(255.0, 255.0 * std::asinh(i / beta) / norm);
    });
}

// Emission nebula: fractal noise with its coordinates displaced by more noise (domain warping,
// which gives the folded, wind-blown look of ionised gas), bright ridges along ionisation fronts,
// and an irregular envelope.
Picture nebula() {
    return render(256, [](double dx, double dy) {
        double wx = dx + 0.35 * fbm(dx * 1.7 + 5.2, dy * 1.7 + 1.3, 4, 0.5, 71);
        double wy = dy + 0.35 * fbm(dx * 1.7 + 8.9, dy * 1.7 + 2.8, 4, 0.5, 73);
        double rho = std::hypot(wx, wy * 1.15);
        double envelope = edgeFade(rho, 0.15) * edgeFade(std::hypot(dx, dy), 0.85);
        double gas = 0.5 + 0.5 * fbm(wx * 2.6, wy * 2.6, 6, 0.55, 79);
        double fronts = ridged(wx * 1.9 + 3.0, wy * 1.9 - 2.0, 5, 0.5, 83);
        double v = envelope * (0.75 * gas * gas + 0.55 * std::pow(fronts, 3.0));
        return std::min(255.0, 340.0 * v);
    });
}

void save(const std::string& dir, const char* name, const Picture& p) {
    Bytes b = p.bytes();
    if (!writeFile(dir + "/" + name, b)) fail("cannot write %s/%s", dir.c_str(), name);
    note("%s/%s: %d x %d", dir.c_str(), name, p.side, p.side);
}

}  // namespace

void buildSprites(const std::string& outDir) {
    // Big glow: threshold 4 is reached at about 0.7 of the half side (spikes reach 0.85),
    // threshold 16 at about 0.4. The small glow, drawn at 4 to 16 pixels, has a wider core and
    // weaker spikes so that a 4-pixel glow still shows a cross-shaped core.
    save(outDir, "starGlowB.raw", starGlow(128, {0.045, 0.10, 0.8, 0.4, 0.012, 0.15, 0.018}));
    save(outDir, "starGlowS.raw", starGlow(72, {0.10, 0.16, 0.6, 0.4, 0.010, 0.06, 0.035}));
    save(outDir, "starDisc.raw", starDisc(128));
    save(outDir, "spot00.raw", spotSmooth());
    save(outDir, "spot01.raw", spotKnotty());
    save(outDir, "spot02.raw", spotDusty());
    save(outDir, "ocbitmap.raw", openCluster());
    save(outDir, "gcbitmap.raw", globularCluster());
    save(outDir, "nebitmap.raw", nebula());
}

}  // namespace assets
