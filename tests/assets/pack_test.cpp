// Checks of the built program pack (<stage>/data/vyrex2.vfs) read through the pack system: every
// file the program loads is there in the size its format implies, the fonts cover their ranges,
// the sphere mesh maps the surface maps without seams, the maps and nebula models sit the right
// way round on the sky and the bodies, and the bitmaps load through the drawing layer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "base/app.h"
#include "base/vecmath.h"
#include "vfs/vfs.h"
#include "video/draw.h"

using namespace vmath;

namespace {

constexpr double kPi = 3.14159265358979323846;

struct File {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

class PackTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::snprintf(app::programFolder, sizeof app::programFolder, "%s", VYREX_STAGE_DIR);
        opened = vfs::openPacks();
    }
    static void TearDownTestSuite() { vfs::closePacks(); }
    void SetUp() override { ASSERT_EQ(opened, 1) << "no packs in " VYREX_STAGE_DIR "/data"; }

    static File load(const std::string& name) {
        File f;
        f.data = vfs::loadFile(name.c_str(), &f.size);
        return f;
    }
    static double f64(const uint8_t* p) {
        double v;
        std::memcpy(&v, p, 8);
        return v;
    }
    static int32_t i32(const uint8_t* p) {
        int32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    static inline int opened = 0;
};

const char* const kMaps[] = {"moon",   "jupiter", "mercury", "venus",  "earth",   "emoon", "mars", "io",
                             "europa", "ganymedes", "calisto", "saturn", "uranus", "neptune", "pluto"};
const char* const kColourMaps[] = {"moon", "jupiter", "gray",   "venus",   "earth", "emoon",
                                   "mars", "io",      "saturn", "uranus", "neptune", "pluto"};
const char* const kNebulae[] = {"m42", "bernardloop", "ngc1977", "m31",     "lmc", "smc",     "b33",
                                "m8",  "ngc7000",     "ngc6910", "m16",     "m17", "coalsack"};

TEST_F(PackTest, EveryLoadedFileIsPresentWithItsFormatsSize) {
    const std::map<std::string, size_t> sizes = {
        {"default.bft", 4608},    {"starGlowB.raw", 16384}, {"starGlowS.raw", 5184}, {"starDisc.raw", 16384},
        {"spot00.raw", 16384},    {"spot01.raw", 16384},    {"spot02.raw", 16384},   {"ocbitmap.raw", 65536},
        {"gcbitmap.raw", 65536},  {"nebitmap.raw", 65536},
    };
    for (const auto& [name, size] : sizes) {
        File f = load(name);
        ASSERT_NE(f.data, nullptr) << name;
        EXPECT_EQ(f.size, size) << name;
    }
    for (const char* m : kMaps) EXPECT_EQ(load(std::string(m) + ".map").size, 512u * 256) << m;
    for (const char* c : kColourMaps) EXPECT_EQ(load(std::string(c) + ".cmap").size, 1024u) << c;
    for (const char* n : kNebulae) {
        EXPECT_EQ(load(std::string(n) + ".neb3d").size, 65616u) << n;
        EXPECT_EQ(load(std::string(n) + ".nebcol").size, 1024u) << n;
    }
    File shape = load("planet.shape");
    EXPECT_GT(shape.size, 0u);
    EXPECT_EQ(shape.size % 160, 0u);
    File lft = load("default.lft");
    ASSERT_GE(lft.size, 2048u);
    EXPECT_EQ((lft.size - 2048) % 32, 0u);
}

TEST_F(PackTest, ConsoleFontHasALegibleGlyphForEveryPrintableCharacter) {
    File f = load("default.bft");
    ASSERT_EQ(f.size, 4608u);
    std::set<std::vector<uint8_t>> distinct;
    for (int code = 32; code < 128; ++code) {
        const uint8_t* g = f.data + (code - 32) * 48;
        int inkCount = 0;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 6; ++x) {
                ASSERT_TRUE(g[y * 6 + x] == 0 || g[y * 6 + x] == 0xFF) << code;
                if (g[y * 6 + x] == 0xFF) {
                    ++inkCount;
                    EXPECT_LT(x, 5) << "ink in the gap column of glyph " << code;
                }
            }
        if (code == 32 || code == 127) {
            EXPECT_EQ(inkCount, 0) << code;
        } else {
            EXPECT_GT(inkCount, 0) << "empty glyph " << code;
            distinct.insert(std::vector<uint8_t>(g, g + 48));
        }
    }
    EXPECT_EQ(distinct.size(), 94u) << "two printable characters share a picture";
}

struct LineFont {
    const uint8_t* data;
    size_t strokes;
    int count(int code) const { return read32(data + code * 8 + 4); }
    int first(int code) const { return read32(data + code * 8); }
    static int read32(const uint8_t* p) {
        int32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    // x0, y0, x1, y1 of stroke k of the glyph.
    void stroke(int code, int k, double out[4]) const {
        std::memcpy(out, data + 2048 + (static_cast<size_t>(first(code)) + k) * 32, 32);
    }
};

TEST_F(PackTest, LineFontCoversAsciiGreekAndSymbolsInGlyphUnits) {
    File f = load("default.lft");
    ASSERT_GE(f.size, 2048u);
    LineFont font{f.data, (f.size - 2048) / 32};
    for (int code = 0; code < 256; ++code) {
        ASSERT_GE(font.count(code), 0);
        if (font.count(code) == 0) continue;
        ASSERT_GE(font.first(code), 0) << code;
        ASSERT_LE(static_cast<size_t>(font.first(code)) + font.count(code), font.strokes) << code;
    }
    std::vector<int> drawn;
    for (int c = 33; c < 127; ++c)
        if (c < 'a' || c > 'z') drawn.push_back(c);
    for (int c = 'A'; c <= 'Z'; ++c)
        if (c != 'J' && c != 'V') drawn.push_back(c + 128);
    for (int c = 'a'; c <= 'z'; ++c)
        if (c != 'j' && c != 'v') drawn.push_back(c + 128);
    for (const char* k = "0123456789(*+"; *k; ++k) drawn.push_back(*k + 128);
    for (int code : drawn) EXPECT_GT(font.count(code), 0) << "glyph " << code << " is empty";
    for (int c = 'a'; c <= 'z'; ++c) EXPECT_EQ(font.count(c), 0) << "lower case is drawn as small capitals";

    // Capitals: top at 0, baseline at 5, leftmost ink at 0; at scale 2 they are 10 pixels high and
    // fit a 12-pixel line. Every coordinate of every glyph is finite and near the glyph box.
    for (int code = 0; code < 256; ++code) {
        double minX = 1e9, minY = 1e9, maxY = -1e9;
        for (int k = 0; k < font.count(code); ++k) {
            double s[4];
            font.stroke(code, k, s);
            for (double v : s) ASSERT_TRUE(std::isfinite(v)) << code;
            minX = std::min({minX, s[0], s[2]});
            minY = std::min({minY, s[1], s[3]});
            maxY = std::max({maxY, s[1], s[3]});
            EXPECT_GE(std::min(s[1], s[3]), -1.5) << code;
            EXPECT_LE(std::max(s[1], s[3]), 7.5) << code;
            EXPECT_LE(std::max(s[0], s[2]), 7.5) << code;
        }
        if (font.count(code) > 0) {
            EXPECT_NEAR(minX, 0.0, 1e-9) << code;
        }
        if (code >= 'A' && code <= 'Z' && code != 'Q') {
            EXPECT_NEAR(minY, 0.0, 0.01) << static_cast<char>(code);
            EXPECT_NEAR(maxY, 5.0, 0.01) << static_cast<char>(code);
            EXPECT_EQ(static_cast<int>(maxY * 2.0) - static_cast<int>(minY * 2.0), 10);
        }
    }
}

// ---- Sprites ----

struct Raw {
    const uint8_t* p;
    int side;
    int at(int x, int y) const { return p[y * side + x]; }
    int borderMax() const {
        int m = 0;
        for (int i = 0; i < side; ++i)
            m = std::max({m, at(i, 0), at(i, side - 1), at(0, i), at(side - 1, i)});
        return m;
    }
};

TEST_F(PackTest, SpritesFadeBelowTheirDrawersThresholdsAtSensibleRadii) {
    for (const char* name : {"starGlowB.raw", "starGlowS.raw"}) {
        File f = load(name);
        const int side = name[8] == 'B' ? 128 : 72;
        ASSERT_EQ(f.size, static_cast<size_t>(side * side));
        Raw r{f.data, side};
        const int c = side / 2;
        EXPECT_GE(r.at(c, c), 250) << name << ": the core burns out to white";
        EXPECT_LE(r.borderMax(), 4) << name << ": a square edge would show";
        // Along the diagonal (away from the spikes) the halo drops below the glow threshold 4
        // between half and nine tenths of the half side, and falls monotonically.
        int fade = -1;
        for (int k = 0; c + k < side; ++k) {
            if (k > 0) {
                EXPECT_LE(r.at(c + k, c + k), r.at(c + k - 1, c + k - 1)) << name;
            }
            if (fade < 0 && r.at(c + k, c + k) <= 4) fade = k;
        }
        const double rho = fade * std::sqrt(2.0) / c;
        EXPECT_GT(rho, 0.5) << name;
        EXPECT_LT(rho, 0.95) << name;
    }
    {
        File f = load("starDisc.raw");
        Raw r{f.data, 128};
        EXPECT_GT(r.at(64, 64), r.at(126, 64)) << "limb darkening";
        EXPECT_GT(r.at(126, 64), 16) << "the limb is above the 128-image threshold";
        EXPECT_EQ(r.at(0, 0), 0);
        EXPECT_EQ(r.at(127, 127), 0);
    }
    std::vector<Raw> spots;
    for (const char* name : {"spot00.raw", "spot01.raw", "spot02.raw"}) {
        spots.push_back({load(name).data, 128});
        EXPECT_LE(spots.back().borderMax(), 4) << name;
        EXPECT_GT(spots.back().at(64, 64), 64) << name;
    }
    for (int a = 0; a < 3; ++a)
        for (int b = a + 1; b < 3; ++b) {
            double diff = 0;
            for (int i = 0; i < 128 * 128; ++i) diff += std::abs(spots[a].p[i] - spots[b].p[i]);
            EXPECT_GT(diff / (128 * 128), 8.0) << "spots " << a << " and " << b << " look alike";
        }
    for (const char* name : {"ocbitmap.raw", "gcbitmap.raw", "nebitmap.raw"}) {
        Raw r{load(name).data, 256};
        EXPECT_LE(r.borderMax(), 16) << name << ": a square edge would show";
        int above = 0;
        for (int i = 0; i < 256 * 256; ++i) above += r.p[i] > 16;
        EXPECT_GT(above, 2000) << name;
    }
}

// ---- Body sphere ----

struct Triangle {
    Vector3 v[3], n, U, V;
    double mapU0, mapV0;
};

Triangle readTriangle(const uint8_t* r) {
    double d[20];
    std::memcpy(d, r, 160);
    Triangle t;
    for (int k = 0; k < 3; ++k) t.v[k] = {d[3 * k], d[3 * k + 1], d[3 * k + 2]};
    t.n = {d[9], d[10], d[11]};
    t.U = {d[12], d[13], d[14]};
    t.V = {d[15], d[16], d[17]};
    t.mapU0 = d[18];
    t.mapV0 = d[19];
    return t;
}

// (a, b) of a point of the triangle's plane by the drawer's rule: P = P0 + a·U + b·V with
// P0 = v0 − (spin − mapU0)·U + mapV0·V.
void mapCoordinates(const Triangle& t, Vector3 p, double spin, double& a, double& b) {
    Vector3 P0 = t.v[0] - t.U * (spin - t.mapU0) + t.V * t.mapV0;
    Vector3 d = p - P0;
    double uu = dot(t.U, t.U), uv = dot(t.U, t.V), vv = dot(t.V, t.V);
    double du = dot(d, t.U), dv = dot(d, t.V), det = uu * vv - uv * uv;
    a = (du * vv - dv * uv) / det;
    b = (dv * uu - du * uv) / det;
}

// The documented convention: longitude from +x towards −y, a = (λ + π) / 2π, b = colatitude / π.
void trueCoordinates(Vector3 p, double& a, double& b) {
    double len = std::sqrt(lengthSquared(p));
    a = (std::atan2(-p.y, p.x) + kPi) / (2 * kPi);
    b = std::acos(std::clamp(p.z / len, -1.0, 1.0)) / kPi;
}

TEST_F(PackTest, SphereMapsLongitudeAndLatitudeWithoutSeams) {
    File f = load("planet.shape");
    const size_t n = f.size / 160;
    ASSERT_GE(n, 300u);
    ASSERT_LE(n, 6000u);
    std::map<std::tuple<long, long, long, long, long, long>, int> edges;
    double area = 0;
    for (size_t i = 0; i < n; ++i) {
        Triangle t = readTriangle(f.data + i * 160);
        Vector3 centroid = (t.v[0] + t.v[1] + t.v[2]) * (1.0 / 3);
        for (const Vector3& v : t.v) ASSERT_NEAR(lengthSquared(v), 1.0, 1e-9) << i;
        ASSERT_NEAR(lengthSquared(t.n), 1.0, 1e-9) << i;
        EXPECT_GT(dot(t.n, centroid), 0) << "normal of triangle " << i << " points inwards";
        Vector3 e1 = t.v[1] - t.v[0], e2 = t.v[2] - t.v[0];
        EXPECT_NEAR(dot(t.n, e1), 0, 1e-9);
        EXPECT_NEAR(dot(t.n, t.U), 0, 1e-9) << "U leaves the plane of triangle " << i;
        EXPECT_NEAR(dot(t.n, t.V), 0, 1e-9) << "V leaves the plane of triangle " << i;
        area += std::sqrt(lengthSquared(cross(e1, e2))) / 2;

        double as[3];
        for (int k = 0; k < 3; ++k) {
            double a, b, ta, tb;
            mapCoordinates(t, t.v[k], 0.0, a, b);
            trueCoordinates(t.v[k], ta, tb);
            EXPECT_NEAR(b, tb, 1e-9) << "latitude of vertex " << k << " of triangle " << i;
            as[k] = a;
            EXPECT_GE(a, -1e-9);
            EXPECT_LE(a, 1 + 1e-9);
            const bool pole = std::fabs(t.v[k].z) > 1 - 1e-12;
            if (!pole) {
                double d = a - ta;
                d -= std::round(d);  // a = 1 at the seam's east side is column 0 again
                EXPECT_NEAR(d, 0.0, 1e-9) << "longitude of vertex " << k << " of triangle " << i;
            }
            // A spin shifts the horizontal coordinate only.
            double a2, b2;
            mapCoordinates(t, t.v[k], 0.25, a2, b2);
            EXPECT_NEAR(a2 - a, 0.25, 1e-9);
            EXPECT_NEAR(b2, b, 1e-9);
        }
        // No triangle spans the seam: its map coordinates stay within one sector.
        EXPECT_LT(std::max({as[0], as[1], as[2]}) - std::min({as[0], as[1], as[2]}), 0.1) << i;
        // Inside the triangle the linear map stays within a map pixel of the true place (away
        // from the pole caps, where longitude loses its meaning).
        double a, b, ta, tb;
        mapCoordinates(t, centroid, 0.0, a, b);
        trueCoordinates(centroid, ta, tb);
        if (tb > 0.05 && tb < 0.95) {
            double d = a - ta;
            d -= std::round(d);
            EXPECT_LT(std::fabs(d) * 512 * std::sin(tb * kPi), 1.0) << i;
            EXPECT_LT(std::fabs(b - tb) * 256, 1.0) << i;
        }
        for (int k = 0; k < 3; ++k) {
            auto key = [](Vector3 p) {
                return std::make_tuple(std::lround(p.x * 1e8), std::lround(p.y * 1e8), std::lround(p.z * 1e8));
            };
            auto p = key(t.v[k]), q = key(t.v[(k + 1) % 3]);
            if (q < p) std::swap(p, q);
            ++edges[std::tuple_cat(p, q)];
        }
    }
    for (const auto& [edge, count] : edges) EXPECT_EQ(count, 2) << "the mesh has a hole or a fold";
    EXPECT_NEAR(area, 4 * kPi, 0.05 * 4 * kPi);
}

// ---- Surface maps ----

struct Map {
    const uint8_t* map;
    const uint8_t* cmap;
    // Colour at longitude λ, latitude φ (degrees) in the documented layout.
    void colour(double lon, double lat, int rgb[3]) const {
        int col = static_cast<int>((lon + 180) / 360 * 512) & 511;
        int row = std::clamp(static_cast<int>((90 - lat) / 180 * 256), 0, 255);
        int i = map[row * 512 + col];
        rgb[0] = cmap[i * 4 + 2], rgb[1] = cmap[i * 4 + 1], rgb[2] = cmap[i * 4];
    }
    double luminance(double lon, double lat) const {
        int c[3];
        colour(lon, lat, c);
        return 0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2];
    }
};

TEST_F(PackTest, ColourMapsAreSortedPalettesAndMapsUseThem) {
    for (const char* c : kColourMaps) {
        File f = load(std::string(c) + ".cmap");
        ASSERT_EQ(f.size, 1024u);
        double last = -1;
        for (int i = 0; i < 256; ++i) {
            EXPECT_EQ(f.data[i * 4 + 3], 0) << c;
            double y = 0.299 * f.data[i * 4 + 2] + 0.587 * f.data[i * 4 + 1] + 0.114 * f.data[i * 4];
            // Used entries run from dark to light, so a map read through another body's colour
            // map (the tinted slots) keeps its light and shade.
            if (y > 0) {
                EXPECT_GE(y, last) << c << " entry " << i;
            }
            if (y > 0) last = y;
        }
    }
    File gray = load("gray.cmap");
    for (int i = 0; i < 256; ++i)
        for (int k = 0; k < 3; ++k) EXPECT_EQ(gray.data[i * 4 + k], i);
    for (const char* m : kMaps) {
        File f = load(std::string(m) + ".map");
        std::set<int> used(f.data, f.data + f.size);
        EXPECT_GT(used.size(), 32u) << m << " is nearly flat";
    }
}

TEST_F(PackTest, EarthAndMoonMapsAreTheRightWayRound) {
    Map earth{load("earth.map").data, load("earth.cmap").data};
    int c[3];
    earth.colour(0, 0, c);  // Gulf of Guinea
    EXPECT_GT(c[2], c[0]) << "ocean at 0°, 0°";
    earth.colour(134, -25, c);  // central Australia; mirrored it would be the Pacific
    EXPECT_GT(c[0], c[2]) << "desert at 134° E, 25° S";
    earth.colour(20, 25, c);  // Libyan desert
    EXPECT_GT(c[0], c[2]);
    earth.colour(-150, 0, c);  // Pacific
    EXPECT_GT(c[2], c[0]);
    EXPECT_GT(earth.luminance(0, -85), 150) << "Antarctic ice at the bottom rows";

    // The Moon's near side (longitudes −90..90) holds the dark maria; the far side is highland.
    Map moon{load("emoon.map").data, load("emoon.cmap").data};
    double nearSide = 0, farSide = 0;
    for (int lat = -60; lat <= 60; lat += 5)
        for (int lon = -85; lon <= 85; lon += 5) {
            nearSide += moon.luminance(lon, lat);
            farSide += moon.luminance(lon + 180, lat);
        }
    EXPECT_LT(nearSide, farSide * 0.95);
}

// ---- Nebula models ----

struct Place {
    const char* name;
    double ra, dec;  // degrees, as the deep-sky catalogue places the objects
    double distance; // light years
};

TEST_F(PackTest, NebulaModelsFaceTheirObjectsWithUnitAxesAndPlausibleSizes) {
    const Place places[] = {
        {"m42", 83.822, -5.391, 1344},       {"bernardloop", 81.880, -3.970, 1435}, {"ngc1977", 83.817, -4.821, 1350},
        {"m31", 10.685, 41.269, 2537525},    {"lmc", 80.896, -69.756, 162982},     {"smc", 13.158, -72.800, 203654},
        {"b33", 85.246, -2.458, 1376},       {"m8", 270.904, -24.378, 4077},       {"ngc7000", 314.696, 44.330, 1892},
        {"ngc6910", 305.800, 40.778, 3720},  {"m16", 274.700, -13.807, 6999},      {"m17", 275.196, -16.172, 5499},
        {"coalsack", 192.500, -62.500, 600},
    };
    for (const Place& p : places) {
        File f = load(std::string(p.name) + ".neb3d");
        File col = load(std::string(p.name) + ".nebcol");
        ASSERT_EQ(f.size, 65616u) << p.name;
        ASSERT_EQ(col.size, 1024u) << p.name;
        Vector3 A{f64(f.data), f64(f.data + 8), f64(f.data + 16)};
        Vector3 B{f64(f.data + 24), f64(f.data + 32), f64(f.data + 40)};
        Vector3 C{f64(f.data + 48), f64(f.data + 56), f64(f.data + 64)};
        const double E = f64(f.data + 72);
        for (Vector3 axis : {A, B, C}) EXPECT_NEAR(lengthSquared(axis), 1.0, 1e-9) << p.name;
        EXPECT_NEAR(dot(A, B), 0, 1e-9);
        EXPECT_NEAR(dot(A, C), 0, 1e-9);
        EXPECT_NEAR(dot(B, C), 0, 1e-9);
        // Seen from the Sun with the depth axis away from it, columns run west and rows south
        // (as the sky's pictures are laid out): one handedness for every model.
        EXPECT_NEAR(dot(A, cross(B, C)), 1.0, 1e-9) << p.name;
        const double ra = p.ra * kPi / 180, dec = p.dec * kPi / 180;
        Vector3 dir{std::cos(dec) * std::cos(ra), std::cos(dec) * std::sin(ra), std::sin(dec)};
        EXPECT_GT(dot(A, dir), std::cos(0.3 * kPi / 180)) << p.name << " looks elsewhere";
        Vector3 north{0, 0, 1};
        EXPECT_LT(dot(C, north), 0) << p.name << ": rows must run southwards";
        const double side = 2 * std::atan(E / 2 / p.distance) * 180 / kPi;
        EXPECT_GT(side, 0.3) << p.name;
        EXPECT_LT(side, 30.0) << p.name;

        int drawn = 0;
        for (int i = 0; i < 128 * 128; ++i) {
            const uint8_t* cell = f.data + 80 + i * 4;
            const int from = static_cast<int8_t>(cell[1]), to = static_cast<int8_t>(cell[2]);
            const int bright = static_cast<int8_t>(cell[3]);
            ASSERT_GE(bright, 0) << p.name;
            if (from > to) continue;
            ++drawn;
            EXPECT_LT(from, to) << p.name << ": a drawn cell has depth";
            EXPECT_GE(bright, 8) << p.name;
            const uint8_t* c = col.data + cell[0] * 4;
            EXPECT_GT(c[0] + c[1] + c[2], 0) << p.name << ": drawn in black";
        }
        EXPECT_GT(drawn, 1000) << p.name;
        EXPECT_LT(drawn, 16384) << p.name << ": the corners of the square must stay empty";
    }
}

// The Andromeda galaxy's disc runs north-east to south-west (position angle 38°): the brightness-
// weighted long axis of the model, measured on the sky as seen from the Sun, must agree. A model
// mirrored on the sky would give −38°.
TEST_F(PackTest, AndromedaModelLiesAtItsPositionAngle) {
    File f = load("m31.neb3d");
    Vector3 A{f64(f.data), f64(f.data + 8), f64(f.data + 16)};
    Vector3 B{f64(f.data + 24), f64(f.data + 32), f64(f.data + 40)};
    Vector3 C{f64(f.data + 48), f64(f.data + 56), f64(f.data + 64)};
    Vector3 east = cross(Vector3{0, 0, 1}, A);
    east = east * (1 / std::sqrt(lengthSquared(east)));
    Vector3 north = cross(A, east);
    double sw = 0, se = 0, sn = 0, see = 0, snn = 0, sen = 0;
    for (int r = 0; r < 128; ++r)
        for (int c = 0; c < 128; ++c) {
            const uint8_t* cell = f.data + 80 + (r * 128 + c) * 4;
            if (static_cast<int8_t>(cell[1]) > static_cast<int8_t>(cell[2])) continue;
            const double w = static_cast<int8_t>(cell[3]);
            Vector3 q = B * (c - 64.0) + C * (r - 64.0);
            const double e = dot(q, east), n = dot(q, north);
            sw += w, se += w * e, sn += w * n, see += w * e * e, snn += w * n * n, sen += w * e * n;
        }
    const double me = se / sw, mn = sn / sw;
    const double cee = see / sw - me * me, cnn = snn / sw - mn * mn, cen = sen / sw - me * mn;
    // Long axis of the covariance, as a position angle from north through east.
    const double theta = 0.5 * std::atan2(2 * cen, cnn - cee) * 180 / kPi;
    EXPECT_NEAR(theta, 38.0, 8.0);
}

// ---- Interface bitmaps ----

TEST_F(PackTest, BitmapsLoadThroughTheDrawingLayerWithTheirKeyWhereTheyAreKeyed) {
    struct Expect {
        const char* name;
        int w, h;
        bool keyed;
    };
    const Expect bitmaps[] = {
        {"close.bmp", 12, 12, false},   {"buttons.bmp", 231, 36, true}, {"menu.bmp", 231, 96, true},
        {"scroll.bmp", 16, 18, false},  {"scrollup.bmp", 16, 16, false}, {"scrolldown.bmp", 16, 16, false},
        {"speed.bmp", 20, 126, false},  {"speedcur.bmp", 22, 12, false}, {"helpBar.bmp", 244, 22, false},
    };
    const uint32_t key = draw::packColour(draw::kXrgb8888, 255, 0, 255);
    for (const Expect& e : bitmaps) {
        draw::BitmapPtr b = draw::loadBitmap(e.name);
        ASSERT_NE(b, nullptr) << e.name << ": " << draw::lastErrorText();
        EXPECT_EQ(b->width, e.w) << e.name;
        EXPECT_EQ(b->height, e.h) << e.name;
        int keyPixels = 0;
        for (int i = 0; i < b->width * b->height; ++i) keyPixels += (b->pixels[i] & 0xFFFFFF) == key;
        if (e.keyed) {
            EXPECT_GT(keyPixels, 0) << e.name;
        } else {
            EXPECT_EQ(keyPixels, 0) << e.name << " is drawn without the key";
        }
    }
    // The toolbar's hit ranges land on drawn buttons and menu cells, the gaps between them on the key.
    draw::BitmapPtr buttons = draw::loadBitmap("buttons.bmp");
    draw::BitmapPtr menu = draw::loadBitmap("menu.bmp");
    ASSERT_TRUE(buttons && menu);
    auto px = [](const draw::Bitmap& b, int x, int y) { return b.pixels[y * b.width + x] & 0xFFFFFF; };
    for (int i = 0; i < 9; ++i) {
        const int c0 = 4 + 25 * i, c1 = c0 + 21;
        for (int c : {c0, (c0 + c1) / 2, c1}) EXPECT_NE(px(*buttons, c, 4 + 10), key) << "button " << i;
        if (i < 8) {
            EXPECT_EQ(px(*buttons, c1 + 2, 4 + 10), key) << "gap after button " << i;
        }
    }
    const int rows[4] = {29, 52, 73, 95}, rowEnds[4] = {47, 68, 90, 112};
    const int cols[3] = {4, 71, 162}, colEnds[3] = {66, 157, 224};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c) {
            if (r == 3 && c < 2) continue;
            const int y = (std::max(rows[r], 32) + rowEnds[r]) / 2 - 32, x = (cols[c] + colEnds[c]) / 2;
            EXPECT_NE(px(*menu, x, y), key) << "menu cell " << r << ", " << c;
        }
    EXPECT_EQ(px(*menu, 68, 8), key);
}

}  // namespace
