// The splash logo "intro.bmp": the program's name in clean strokes over a night sky that fades
// to black at its edges (the splash shows it on a black screen), with a four-pointed star.
#include <cmath>
#include <cstdint>
#include <vector>

#include "bmptool.h"

namespace bmptool {
namespace {

constexpr int kWidth = 160, kHeight = 78;
constexpr double kPi = 3.14159265358979;

// Letter geometry, pixels: baseline, cap and x-height tops, stroke width.
constexpr double kBase = 50, kCapTop = 16, kXTop = 28, kStroke = 5.0;

// Appends an arc of the circle (cx, cy, r) from angle a0 to a1 (degrees, y downwards, so
// -90 is the top) as short segments.
void arc(std::vector<Segment>& out, double cx, double cy, double r, double a0, double a1) {
    const int steps = (int)std::ceil(std::fabs(a1 - a0) / 10.0);
    double px = cx + r * std::cos(a0 * kPi / 180), py = cy + r * std::sin(a0 * kPi / 180);
    for (int i = 1; i <= steps; ++i) {
        const double a = (a0 + (a1 - a0) * i / steps) * kPi / 180;
        const double x = cx + r * std::cos(a), y = cy + r * std::sin(a);
        out.push_back({px, py, x, y});
        px = x;
        py = y;
    }
}

std::vector<Segment> letters(double left) {
    std::vector<Segment> g;
    double x = left;
    // V
    g.push_back({x, kCapTop, x + 12, kBase});
    g.push_back({x + 12, kBase, x + 24, kCapTop});
    x += 30;
    // y: a short left arm meeting a long right arm that runs on into the descender.
    g.push_back({x, kXTop, x + 9, kBase});
    g.push_back({x + 18, kXTop, x + 4.5, kBase + 12});
    x += 24;
    // r: stem and shoulder.
    g.push_back({x, kXTop, x, kBase});
    arc(g, x + 12, kXTop + 12, 12, 180, 285);
    x += 22;
    // e: bar and an open bowl.
    const double r = (kBase - kXTop) / 2;
    g.push_back({x, kXTop + r, x + 2 * r, kXTop + r});
    arc(g, x + r, kXTop + r, r, 0, -320);
    x += 2 * r + 6;
    // x
    g.push_back({x, kXTop, x + 18, kBase});
    g.push_back({x + 18, kXTop, x, kBase});
    return g;
}

Rgb letterShade(double, double y) {
    const double t = std::fmin(1.0, std::fmax(0.0, (y - kCapTop) / (kBase + 12 - kCapTop)));
    return {255 - 125 * t, 255 - 80 * t, 255};
}

// Night sky: navy at the middle, black at the edges.
Rgb sky(int x, int y) {
    const double dx = (x + 0.5 - kWidth / 2.0) / (kWidth / 2.0);
    const double dy = (y + 0.5 - kHeight / 2.0) / (kHeight / 2.0);
    const double k = std::fmax(0.0, 1.0 - std::sqrt(dx * dx + dy * dy));
    const double f = k * k * (3 - 2 * k);  // smooth fall-off
    return {14 * f, 22 * f, 72 * f};
}

// A four-pointed star at (cx, cy): two thin rhombi of half-length len and a soft glow.
void sparkle(draw::Surface& s, double cx, double cy, double len, double thick) {
    constexpr int kSamples = 4;
    const int r = (int)std::ceil(len) + 1;
    for (int y = (int)cy - r; y <= (int)cy + r; ++y)
        for (int x = (int)cx - r; x <= (int)cx + r; ++x) {
            const double gx = x + 0.5 - cx, gy = y + 0.5 - cy;
            const double glow = 0.55 * std::exp(-(gx * gx + gy * gy) / (len * len * 0.08));
            blend(s, x, y, {170, 200, 255}, glow);
            int inside = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double dx = std::fabs(x + (sx + 0.5) / kSamples - cx);
                    const double dy = std::fabs(y + (sy + 0.5) / kSamples - cy);
                    if (dx / len + dy / thick <= 1 || dx / thick + dy / len <= 1) ++inside;
                }
            blend(s, x, y, {255, 252, 235}, (double)inside / (kSamples * kSamples));
        }
}

void intro(draw::Surface& s) {
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) draw::putPixel(s, x, y, pack(sky(x, y)));

    // Faint background stars from a fixed sequence, brighter towards the middle of the sky.
    uint32_t seed = 20240611u;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int i = 0; i < 55; ++i) {
        const int x = (int)(next() % kWidth), y = (int)(next() % kHeight);
        const Rgb under = sky(x, y);
        const double a = (0.25 + (next() % 100) / 140.0) * std::fmin(1.0, under.b / 30.0);
        blend(s, x, y, {200, 215, 255}, a);
    }

    // A thin orbit sweeping under the name, drawn with the drawing layer's ellipse.
    draw::Surface orbit;
    draw::createSurface(orbit, kWidth, kHeight);
    draw::setColour(orbit, 1);
    draw::ellipse(orbit, 86, 40, 66, 22);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (draw::getPixel(orbit, x, y) == 1 && y > 40) {
                // Bright at the bottom, fading as it rises to either side.
                const double a = 0.75 * std::fmax(0.0, (y - 40) / 22.0);
                blend(s, x, y, {90, 140, 255}, a);
            }

    const std::vector<Segment> name = letters(20);
    strokeSegments(s, name.data(), (int)name.size(), kStroke, letterShade);

    sparkle(s, 141, 15, 10, 1.6);
    sparkle(s, 16, 60, 4.5, 1.0);
}

const Generator kIntro[] = {
    {"intro.bmp", kWidth, kHeight, intro, "splash logo: the name over a night sky with a star"},
};

}  // namespace

Group introBitmaps() { return {kIntro, (int)(sizeof kIntro / sizeof kIntro[0])}; }

}  // namespace bmptool
