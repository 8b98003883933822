// The 3D nebula models (".neb3d") and their colours (".nebcol"), built from real pictures of the
// objects placed on the sky by their corner coordinates.
//
// Model file: axes A (line of sight, away from the Sun), B (columns, towards the west) and C (rows,
// towards the south) as unit vectors of the equatorial J2000 frame (x to RA 0h Dec 0°, y to RA 6h,
// z to the north pole), the extent E = 2·d·tan(θ/2) in light years for the modelled angular side θ
// at distance d, then 128 × 128 cells of (colour index, depth from, depth to, brightness). Cell
// (r, c) sits at (r − 64)·p·C + (c − 64)·p·B from the object, p = E / 128, so row 0 is the
// northern edge and column 0 the eastern one: seen from the Sun the model looks like the sky.
//
// Each cell's colour and brightness come from the pictures, averaged over 3 × 3 directions inside
// the cell; overlapping pictures of a mosaic are blended by their distance to the picture edge.
// The sky background (10th percentile per channel) is subtracted, the signal scaled by its 99.5th
// percentile and lifted by a power of 0.6 (brightness 0..127), fading to nothing between 0.8 and
// 1.0 of the half side so that the model is round; the colour keeps the hue at that
// lifted brightness. Cells below brightness 8 are empty: depth from 1 > depth to 0, so neither the
// far sheet nor the near cloud draws them.
//
// Thickness rule (depth in units of p/2): half depth h = 4 + H·b/127, H per object (deeper where
// the gas is brighter, since more emitting matter lies along the line of sight); the cloud's
// middle z0 is a smooth noise surface of amplitude 12 for nebulae, and for disc galaxies the
// inclined disc plane (z0 = −2·tan(i)·w, w the cell's offset in pitches towards the near side).
// from = z0 − h, to = z0 + h, both clamped to −128..127.
#include <algorithm>
#include <cmath>

#include "assetbuild.h"
#include "base/vecmath.h"
#include "noise.h"

namespace assets {

using namespace vmath;  // vector operators
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;

constexpr double hms(double h, double m, double s) { return (h + m / 60.0 + s / 3600.0) * 15.0; }
constexpr double dms(int sign, double d, double m, double s) { return sign * (d + m / 60.0 + s / 3600.0); }

struct Disc {
    double inclination = 0;  // degrees; 0 = not a disc
    double nearPa = 0;       // position angle (from north through east) of the near side, degrees
};

struct NebulaSource {
    const char* stem;
    const char* name;
    double ra, dec;   // degrees, J2000
    double distance;  // light years
    double side;      // degrees of sky across the model
    std::vector<const char*> pictures;  // empty: procedural
    double depth;     // H of the thickness rule
    Disc disc;
    bool levelTiles;  // the mosaic's tiles differ in sky level: subtract each tile's own
    const char* reference;
};

// Positions are SIMBAD's (J2000) unless noted; distances as referenced. Places and distances agree
// with the deep-sky catalogue's records of the same objects, whose positions the models are drawn
// around: a model's angular size on the sky is E over the catalogue's distance.
const std::vector<NebulaSource>& sources() {
    static const std::vector<NebulaSource> table = {
        {"m42", "M 42 (Orion Nebula)", hms(5, 35, 17.3), dms(-1, 5, 23, 28), 1344, 1.3, {"m42.png"}, 40, {}, false,
         "distance 414 pc, Menten et al. 2007 (VLBA parallax)"},
        {"bernardloop", "Barnard's Loop (Sh 2-276)", hms(5, 27, 30), dms(-1, 3, 58, 0), 1435, 24.0,
         {"barnard_loop-1.png", "barnard_loop-2.png", "barnard_loop-3.png", "barnard_loop-4.png"}, 40, {}, true,
         "centre as commonly catalogued (05h27.5m, -3 58'); distance 440 pc, O'Dell et al. 2011"},
        {"ngc1977", "NGC 1977", hms(5, 35, 16), dms(-1, 4, 49, 15), 1350, 0.6, {"m42.png"}, 30, {}, false,
         "in the Orion A cloud, at about the distance of M 42 (Menten et al. 2007)"},
        {"m31", "M 31 (Andromeda Galaxy)", hms(0, 42, 44.3), dms(1, 41, 16, 9), 2540000, 4.0, {"m31.png"}, 10,
         {77, 308}, false,
         "distance 778 kpc (2.54 million ly); inclination 77 deg and major axis PA 38 deg (de Vaucouleurs "
         "1958), near side north-west (the side of the prominent dust lanes)"},
        {"lmc", "Large Magellanic Cloud", hms(5, 23, 34.5), dms(-1, 69, 45, 22), 163000, 11.0,
         {"lmc_01.png", "lmc_02.png", "lmc_03.png", "lmc_04.png", "lmc_05.png", "lmc_06.png", "lmc_07.png",
          "lmc_08.png", "lmc_09.png", "lmc_10.png", "lmc_11.png", "lmc_12.png", "lmc_13.png", "lmc_14.png",
          "lmc_15.png", "lmc_16.png"},
         10, {34.7, 32.5}, false,
         "distance 49.97 kpc (Pietrzynski et al. 2013); inclination 34.7 deg, line of nodes PA 122.5 deg, near "
         "side north-east (van der Marel & Cioni 2001)"},
        {"smc", "Small Magellanic Cloud", hms(0, 52, 44.8), dms(-1, 72, 49, 43), 203700, 6.0,
         {"smc29-1.png", "smc29-2.png", "smc29-3.png", "smc29-4.png"}, 60, {}, false,
         "distance 62.44 kpc (Graczyk et al. 2020); deep along the line of sight, hence the large H"},
        {"b33", "Horsehead Nebula (Barnard 33) on IC 434", hms(5, 40, 59), dms(-1, 2, 27, 30), 1375, 0.5,
         {"ic434.png"}, 30, {}, false, "distance about 422 pc (Orion B cloud)"},
        {"m8", "M 8 (Lagoon Nebula)", hms(18, 3, 37), dms(-1, 24, 23, 12), 4077, 1.4, {"m8.png"}, 40, {}, false,
         "distance 1.25 kpc (Arias et al. 2006)"},
        {"ngc7000", "NGC 7000 (North America Nebula)", hms(20, 58, 47), dms(1, 44, 19, 48), 1892, 3.0,
         {"n7000.png"}, 40, {}, false,
         "centre of the emission region; distance about 580 pc (photometry of the dark cloud in front)"},
        {"ngc6910", "NGC 6910 and the Gamma Cygni nebula", hms(20, 23, 12), dms(1, 40, 46, 42), 3720, 1.0,
         {"GammaCygni-vasey.png", "n6914.png"}, 30, {}, false, "distance about 1.1 kpc (open-cluster photometry)"},
        {"m16", "M 16 (Eagle Nebula)", hms(18, 18, 48), dms(-1, 13, 49, 0), 7000, 0.9, {"m16.png"}, 40, {}, false,
         "distance 2.15 kpc (7,000 ly, as commonly quoted)"},
        {"m17", "M 17 (Omega Nebula)", hms(18, 20, 26), dms(-1, 16, 10, 36), 5500, 0.8, {"m17.png"}, 40, {}, false,
         "distance about 1.7 kpc"},
        {"coalsack", "Coalsack", hms(12, 50, 0), dms(-1, 62, 30, 0), 600, 8.0, {}, 30, {}, false,
         "no picture: procedural dust cloud, 7 x 5 deg (long axis east-west); distance about 180 pc"},
    };
    return table;
}

Vector3 unitDirection(double raDeg, double decDeg) {
    double a = raDeg * kDeg, d = decDeg * kDeg;
    return {std::cos(d) * std::cos(a), std::cos(d) * std::sin(a), std::sin(d)};
}

double percentile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    size_t k = std::min(v.size() - 1, static_cast<size_t>(q * (v.size() - 1)));
    std::nth_element(v.begin(), v.begin() + static_cast<long>(k), v.end());
    return v[k];
}

double luminance(const double c[3]) { return 0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2]; }

int8_t clampI8(double v) { return static_cast<int8_t>(std::clamp(std::lround(v), -128L, 127L)); }

struct Cell {
    bool covered = false;
    double rgb[3] = {0, 0, 0};
    int brightness = 0;
    uint8_t colour[3] = {0, 0, 0};
};

// Cell colours of a dark cloud where no picture exists: optical depth from a soft ellipse times
// fractal noise; brightness (which sizes the drawn dots) follows 1 − e^(−τ), colour a dim
// reddish-brown of dust lit by the surrounding Milky Way.
void proceduralDust(const NebulaSource& s, std::vector<Cell>& cells) {
    const double semiX = 3.5 / s.side * 128, semiY = 2.5 / s.side * 128;  // 7° × 5° in cells
    for (int r = 0; r < 128; ++r)
        for (int c = 0; c < 128; ++c) {
            Cell& cell = cells[r * 128 + c];
            double x = (c - 64) / semiX, y = (r - 64) / semiY;
            double rho = std::hypot(x, y) * (1 + 0.25 * fbm(c / 40.0, r / 40.0, 3, 0.5, 907));
            double envelope = rho >= 1 ? 0 : (1 - rho * rho) * (1 - rho * rho);
            double tau = 2.2 * envelope * (0.55 + 0.45 * fbm(c / 18.0 + 3.1, r / 18.0 + 7.7, 5, 0.55, 911));
            double b = 1 - std::exp(-std::max(0.0, tau));
            cell.covered = true;
            cell.brightness = static_cast<int>(std::lround(127 * b));
            double k = 0.5 + 0.5 * b;
            cell.colour[0] = static_cast<uint8_t>(std::lround(34 * k));
            cell.colour[1] = static_cast<uint8_t>(std::lround(24 * k));
            cell.colour[2] = static_cast<uint8_t>(std::lround(16 * k));
        }
}

bool buildOne(const NebulaSource& s, const std::string& nebulaDir, const std::string& outDir) {
    const Vector3 A = unitDirection(s.ra, s.dec);
    const Vector3 east{-std::sin(s.ra * kDeg), std::cos(s.ra * kDeg), 0};
    const Vector3 north = vmath::cross(A, east);
    const Vector3 B = east * -1.0, C = north * -1.0;
    const double E = 2 * s.distance * std::tan(s.side * kDeg / 2), p = E / 128;
    std::vector<Cell> cells(128 * 128);

    if (s.pictures.empty()) {
        proceduralDust(s, cells);
    } else {
        std::vector<SkyImage> images(s.pictures.size());
        std::string error;
        for (size_t i = 0; i < s.pictures.size(); ++i)
            if (!loadSkyImage(nebulaDir, s.pictures[i], images[i], error)) fail("%s", error.c_str());
        for (SkyImage& img : images) img.levelled = s.levelTiles;
        const Vector3 centre = A * s.distance;
        for (int r = 0; r < 128; ++r)
            for (int c = 0; c < 128; ++c) {
                Cell& cell = cells[r * 128 + c];
                double sum[3] = {0, 0, 0}, weight = 0;
                for (int sy = -1; sy <= 1; ++sy)
                    for (int sx = -1; sx <= 1; ++sx) {
                        Vector3 q = centre + B * ((c - 64 + sx / 3.0) * p) + C * ((r - 64 + sy / 3.0) * p);
                        double ra = std::atan2(q.y, q.x) / kDeg, dec = std::atan2(q.z, std::hypot(q.x, q.y)) / kDeg;
                        if (ra < 0) ra += 360;
                        for (const SkyImage& img : images) {
                            double rgb[3], edge;
                            if (!sampleSky(img, ra, dec, rgb, &edge)) continue;
                            double w = std::min(1.0, edge / 0.02) + 1e-6;  // feather the outer 2 %
                            for (int k = 0; k < 3; ++k) sum[k] += rgb[k] * w;
                            weight += w;
                        }
                    }
                if (weight <= 0) continue;
                cell.covered = true;
                for (int k = 0; k < 3; ++k) cell.rgb[k] = sum[k] / weight;
            }
        // Background and scale from the covered cells.
        std::vector<double> channel[3], signal;
        for (const Cell& cell : cells)
            if (cell.covered)
                for (int k = 0; k < 3; ++k) channel[k].push_back(cell.rgb[k]);
        if (channel[0].empty()) fail("%s: no picture covers the model", s.stem);
        double bg[3];
        for (int k = 0; k < 3; ++k) bg[k] = percentile(channel[k], 0.10);
        for (Cell& cell : cells) {
            if (!cell.covered) continue;
            for (int k = 0; k < 3; ++k) cell.rgb[k] = std::max(0.0, cell.rgb[k] - bg[k]);
            signal.push_back(luminance(cell.rgb));
        }
        const double top = std::max(1.0, percentile(signal, 0.995));
        for (int i = 0; i < 128 * 128; ++i) {
            Cell& cell = cells[i];
            if (!cell.covered) continue;
            // A round fade over the outer part of the square keeps picture edges out of the model.
            double rho = std::hypot(i % 128 - 63.5, i / 128 - 63.5) / 64.0;
            double fade = rho < 0.8 ? 1.0 : rho >= 1.0 ? 0.0 : (1.0 - rho) / 0.2;
            for (int k = 0; k < 3; ++k) cell.rgb[k] *= fade * fade * (3 - 2 * fade);
            double L = luminance(cell.rgb);
            double lifted = std::pow(std::clamp(L / top, 0.0, 1.0), 0.6);
            cell.brightness = static_cast<int>(std::lround(127 * lifted));
            // Hue of the signal at the lifted brightness, scaled down if a channel would overflow.
            double target = 255 * lifted, scale = L > 0 ? target / L : 0;
            double m = std::max({cell.rgb[0], cell.rgb[1], cell.rgb[2]}) * scale;
            if (m > 255) scale *= 255 / m;
            for (int k = 0; k < 3; ++k) cell.colour[k] = static_cast<uint8_t>(std::lround(std::min(255.0, cell.rgb[k] * scale)));
        }
    }

    // Palette of the drawn cells.
    std::vector<int> active;
    std::vector<uint8_t> rgb;
    for (int i = 0; i < 128 * 128; ++i)
        if (cells[i].covered && cells[i].brightness >= 8) {
            active.push_back(i);
            rgb.insert(rgb.end(), cells[i].colour, cells[i].colour + 3);
        }
    Bytes indexes;
    std::vector<uint8_t> palette(256 * 3, 0);
    if (!active.empty()) quantise(rgb, active.size(), indexes, palette);

    Bytes model;
    for (Vector3 axis : {A, B, C}) {
        putF64(model, axis.x);
        putF64(model, axis.y);
        putF64(model, axis.z);
    }
    putF64(model, E);
    Bytes cellBytes(128 * 128 * 4, 0);
    for (int i = 0; i < 128 * 128; ++i) {
        cellBytes[i * 4 + 1] = 1;  // empty: from 1 > to 0
        cellBytes[i * 4 + 2] = 0;
    }
    const double tanI = std::tan(s.disc.inclination * kDeg);
    // Near-side direction in cell offsets: north is −row, east is −column.
    const double nearC = -std::sin(s.disc.nearPa * kDeg), nearR = -std::cos(s.disc.nearPa * kDeg);
    for (size_t k = 0; k < active.size(); ++k) {
        int i = active[k], r = i / 128, c = i % 128;
        int b = std::min(127, cells[i].brightness);
        double z0 = s.disc.inclination > 0 ? -2 * tanI * ((c - 64) * nearC + (r - 64) * nearR)
                                           : 12 * fbm(c / 32.0 + 0.37, r / 32.0 + 0.71, 3, 0.5, 1301);
        double h = 4 + s.depth * b / 127.0;
        int from = clampI8(z0 - h), to = clampI8(z0 + h);
        if (from >= to) from = to - 1;
        cellBytes[i * 4] = indexes[k];
        cellBytes[i * 4 + 1] = static_cast<uint8_t>(static_cast<int8_t>(from));
        cellBytes[i * 4 + 2] = static_cast<uint8_t>(static_cast<int8_t>(to));
        cellBytes[i * 4 + 3] = static_cast<uint8_t>(b);
    }
    model.insert(model.end(), cellBytes.begin(), cellBytes.end());
    Bytes colours(1024, 0);
    for (int i = 0; i < 256; ++i) {
        colours[i * 4] = palette[i * 3 + 2];
        colours[i * 4 + 1] = palette[i * 3 + 1];
        colours[i * 4 + 2] = palette[i * 3];
    }
    std::string base = outDir + "/" + s.stem;
    if (!writeFile(base + ".neb3d", model) || !writeFile(base + ".nebcol", colours)) fail("cannot write %s", base.c_str());
    note("%s.neb3d: %s, E = %.1f ly, %zu of 16384 cells drawn; %s", base.c_str(), s.name, E, active.size(),
         s.reference);
    return true;
}

}  // namespace

void buildNebulae(const std::string& nebulaDir, const std::string& outDir) {
    for (const NebulaSource& s : sources()) buildOne(s, nebulaDir, outDir);
}

}  // namespace assets
