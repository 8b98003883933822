// The program's icon: a round patch of night sky with a bright star, a tilted orbit round it and
// a small planet on the orbit. Drawn at any size from one description in unit coordinates, with
// 4 × 4 samples per pixel: as PNG files with transparency for the desktop's icon theme, and as
// "icon.bmp" on the dialogs' grey for the Setup dialog.
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bmptool.h"

namespace bmptool {
namespace {

constexpr double kPi = 3.14159265358979;

// A colour with its coverage, premultiplied: r, g, b already multiplied by a.
struct Rgba {
    double r, g, b, a;
};

Rgba over(Rgba top, Rgba under) {
    const double k = 1 - top.a;
    return {top.r + under.r * k, top.g + under.g * k, top.b + under.b * k, top.a + under.a * k};
}

Rgba paint(Rgb c, double a) { return {c.r * a, c.g * a, c.b * a, a}; }

// The picture, in unit coordinates (0..1 across, y downwards).
constexpr double kCx = 0.5, kCy = 0.5, kRadius = 0.47;   // the patch of sky
constexpr double kStarX = 0.47, kStarY = 0.47;           // the star
constexpr double kOrbitA = 0.37, kOrbitB = 0.12;         // the orbit's semi-axes
constexpr double kOrbitTilt = -22 * kPi / 180;           // radians, counter-clockwise on screen
constexpr double kOrbitWidth = 0.022;
constexpr double kPlanetAngle = 62 * kPi / 180;          // along the orbit, from its major axis
constexpr double kPlanetRadius = 0.065;

struct Dot {
    double x, y, brightness;
};
constexpr Dot kBackground[] = {{0.22, 0.30, 0.7}, {0.70, 0.22, 0.9}, {0.78, 0.62, 0.6}, {0.30, 0.75, 0.8},
                               {0.55, 0.80, 0.5}, {0.16, 0.55, 0.5}, {0.62, 0.36, 0.4}, {0.40, 0.18, 0.5}};

// The point of the orbit at `angle`, in the picture.
void orbitPoint(double angle, double& x, double& y) {
    const double ox = kOrbitA * std::cos(angle), oy = kOrbitB * std::sin(angle);
    x = kStarX + ox * std::cos(kOrbitTilt) + oy * std::sin(kOrbitTilt);
    y = kStarY - ox * std::sin(kOrbitTilt) + oy * std::cos(kOrbitTilt);
}

// How much of the orbit's line covers (x, y), and whether that part lies in front of the star.
double orbitCover(double x, double y, bool& front) {
    const double dx = x - kStarX, dy = y - kStarY;
    // Into the orbit's own frame: the ellipse is axis-aligned there.
    const double ox = dx * std::cos(kOrbitTilt) - dy * std::sin(kOrbitTilt);
    const double oy = dx * std::sin(kOrbitTilt) + dy * std::cos(kOrbitTilt);
    front = oy > 0;
    const double e = std::sqrt((ox / kOrbitA) * (ox / kOrbitA) + (oy / kOrbitB) * (oy / kOrbitB));
    if (e == 0) return 0;
    // The distance to the ellipse, to first order: the radial miss scaled by the local radius.
    const double r = std::sqrt(ox * ox + oy * oy);
    const double miss = std::fabs(e - 1) * r / e;
    return miss < kOrbitWidth / 2 ? 1 : 0;
}

Rgba sample(double x, double y) {
    const double d = std::hypot(x - kCx, y - kCy);
    if (d > kRadius) return {0, 0, 0, 0};
    // The sky: deep blue at the star, darker to the rim, with a faint lighter rim.
    const double t = d / kRadius;
    Rgba c = paint({18 + 10 * (1 - t), 28 + 24 * (1 - t), 70 + 60 * (1 - t)}, 1);
    if (t > 0.94) c = paint({60, 90, 170}, 1);
    auto add = [&c](Rgb colour, double a) { c = over(paint(colour, std::fmin(1.0, a)), c); };
    for (const Dot& s : kBackground) {
        const double r2 = ((x - s.x) * (x - s.x) + (y - s.y) * (y - s.y)) / (0.012 * 0.012);
        add({200, 215, 255}, s.brightness * std::exp(-r2));
    }
    bool front = false;
    const double orbit = orbitCover(x, y, front);
    if (orbit > 0 && !front) add({110, 150, 255}, 0.65 * orbit);
    // The star: a soft glow and four thin points.
    const double gx = x - kStarX, gy = y - kStarY, g2 = gx * gx + gy * gy;
    add({150, 190, 255}, 0.9 * std::exp(-g2 / (2 * 0.07 * 0.07)));
    add({255, 250, 230}, std::exp(-g2 / (2 * 0.03 * 0.03)));
    const double ax = std::fabs(gx), ay = std::fabs(gy);
    if (ax / 0.30 + ay / 0.028 <= 1 || ax / 0.028 + ay / 0.30 <= 1) add({255, 252, 240}, 1);
    if (orbit > 0 && front) add({140, 180, 255}, 0.9 * orbit);
    // The planet, lit from the star.
    double px, py;
    orbitPoint(kPlanetAngle, px, py);
    const double pd = std::hypot(x - px, y - py);
    if (pd <= kPlanetRadius) {
        const double lx = kStarX - px, ly = kStarY - py, ll = std::hypot(lx, ly);
        const double nx = (x - px) / kPlanetRadius, ny = (y - py) / kPlanetRadius;
        const double nz = std::sqrt(std::fmax(0.0, 1 - nx * nx - ny * ny));
        const double light = std::fmax(0.0, (nx * lx + ny * ly) / ll * 0.8 + nz * 0.45);
        add({230 * light + 20, 150 * light + 15, 90 * light + 20}, 1);
    }
    return c;
}

// The icon at size × size pixels: RGBA, straight (not premultiplied) alpha, top row first.
std::vector<uint8_t> drawIcon(int size) {
    constexpr int kSamples = 4;
    std::vector<uint8_t> rgba(static_cast<size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            Rgba sum{0, 0, 0, 0};
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx) {
                    const Rgba s = sample((x + (sx + 0.5) / kSamples) / size, (y + (sy + 0.5) / kSamples) / size);
                    sum = {sum.r + s.r, sum.g + s.g, sum.b + s.b, sum.a + s.a};
                }
            const double n = kSamples * kSamples, a = sum.a / n;
            auto channel = [a](double premultiplied) {
                const double v = a > 0 ? premultiplied / a : 0;
                return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : std::lround(v));
            };
            uint8_t* p = &rgba[(static_cast<size_t>(y) * size + x) * 4];
            p[0] = channel(sum.r / n);
            p[1] = channel(sum.g / n);
            p[2] = channel(sum.b / n);
            p[3] = static_cast<uint8_t>(std::lround(a * 255));
        }
    return rgba;
}

// The Setup dialog's icon on the dialogs' face (grey 159), where it is always drawn.
void iconOnFace(draw::Surface& s) {
    const std::vector<uint8_t> rgba = drawIcon(s.width);
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x) {
            const uint8_t* p = &rgba[(static_cast<size_t>(y) * s.width + x) * 4];
            draw::putPixel(s, x, y, pack({159, 159, 159}));
            blend(s, x, y, {double(p[0]), double(p[1]), double(p[2])}, p[3] / 255.0);
        }
}

const Generator kIcon[] = {
    {"icon.bmp", 32, 32, iconOnFace, "the program's icon on the dialogs' grey (Setup)"},
};

void putBigEndian(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void chunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
    putBigEndian(png, static_cast<uint32_t>(data.size()));
    const size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    putBigEndian(png, static_cast<uint32_t>(crc32(0, png.data() + start, static_cast<uInt>(png.size() - start))));
}

// An 8-bit RGBA PNG: every row filtered with "none", the whole compressed with zlib.
std::vector<uint8_t> encodePng(int size, const std::vector<uint8_t>& rgba) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < size; ++y) {
        raw.push_back(0);
        const uint8_t* row = &rgba[static_cast<size_t>(y) * size * 4];
        raw.insert(raw.end(), row, row + static_cast<size_t>(size) * 4);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK) return {};
    packed.resize(packedSize);
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    putBigEndian(header, static_cast<uint32_t>(size));
    putBigEndian(header, static_cast<uint32_t>(size));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter choice, no interlace
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", packed);
    chunk(png, "IEND", {});
    return png;
}

}  // namespace

Group iconBitmaps() { return {kIcon, (int)(sizeof kIcon / sizeof kIcon[0])}; }

bool writeIconTheme(const char* folder, const char* name) {
    static constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
    for (const int size : kSizes) {
        const std::string dir = std::string(folder) + "/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        const std::string path = dir + "/" + name + ".png";
        const std::vector<uint8_t> png = encodePng(size, drawIcon(size));
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        std::FILE* f = png.empty() || ec ? nullptr : std::fopen(path.c_str(), "wb");
        bool ok = f && std::fwrite(png.data(), 1, png.size(), f) == png.size();
        if (f) ok = std::fclose(f) == 0 && ok;
        if (!ok) {
            std::fprintf(stderr, "bmptool: can't write %s\n", path.c_str());
            return false;
        }
    }
    return true;
}

}  // namespace bmptool
