// Painting helpers of the bitmap tool: blending, flood fill, outlines, anti-aliased strokes and
// writing the result.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bmptool.h"

namespace bmptool {

Rgb unpack(uint32_t pixel) {
    int r, g, b;
    draw::unpackColour(draw::kXrgb8888, pixel, r, g, b);
    return {(double)r, (double)g, (double)b};
}

void blend(draw::Surface& s, int x, int y, Rgb c, double a) {
    if (a <= 0 || x < 0 || y < 0 || x >= s.width || y >= s.height) return;
    a = std::min(a, 1.0);
    const Rgb under = unpack(draw::getPixel(s, x, y));
    draw::putPixel(s, x, y,
                   pack({under.r + (c.r - under.r) * a, under.g + (c.g - under.g) * a,
                         under.b + (c.b - under.b) * a}));
}

void floodFill(draw::Surface& s, int x, int y, uint32_t colour) {
    const uint32_t target = draw::getPixel(s, x, y);
    if (target == colour || x < 0 || y < 0 || x >= s.width || y >= s.height) return;
    std::vector<std::pair<int, int>> todo{{x, y}};
    while (!todo.empty()) {
        const auto [px, py] = todo.back();
        todo.pop_back();
        if (px < 0 || py < 0 || px >= s.width || py >= s.height) continue;
        if (draw::getPixel(s, px, py) != target) continue;
        draw::putPixel(s, px, py, colour);
        todo.push_back({px + 1, py});
        todo.push_back({px - 1, py});
        todo.push_back({px, py + 1});
        todo.push_back({px, py - 1});
    }
}

void polygonOutline(draw::Surface& s, const int (*p)[2], int count) {
    for (int i = 0; i < count; ++i) {
        const int j = (i + 1) % count;
        draw::line(s, p[i][0], p[i][1], p[j][0], p[j][1]);
    }
}

namespace {

double distanceToSegment(double px, double py, const Segment& g) {
    const double dx = g.x1 - g.x0, dy = g.y1 - g.y0;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((px - g.x0) * dx + (py - g.y0) * dy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const double ex = g.x0 + t * dx - px, ey = g.y0 + t * dy - py;
    return std::sqrt(ex * ex + ey * ey);
}

}  // namespace

void strokeSegments(draw::Surface& s, const Segment* segments, int count, double width,
                    Shader shader) {
    const double half = width / 2;
    double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
    for (int i = 0; i < count; ++i) {
        minX = std::min({minX, segments[i].x0, segments[i].x1});
        maxX = std::max({maxX, segments[i].x0, segments[i].x1});
        minY = std::min({minY, segments[i].y0, segments[i].y1});
        maxY = std::max({maxY, segments[i].y0, segments[i].y1});
    }
    const int x0 = std::max(0, (int)std::floor(minX - half)), x1 = std::min(s.width - 1, (int)std::ceil(maxX + half));
    const int y0 = std::max(0, (int)std::floor(minY - half)), y1 = std::min(s.height - 1, (int)std::ceil(maxY + half));
    constexpr int kSamples = 4;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            int inside = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double px = x + (sx + 0.5) / kSamples, py = y + (sy + 0.5) / kSamples;
                    for (int i = 0; i < count; ++i)
                        if (distanceToSegment(px, py, segments[i]) <= half) {
                            ++inside;
                            break;
                        }
                }
            if (inside) blend(s, x, y, shader(x + 0.5, y + 0.5), (double)inside / (kSamples * kSamples));
        }
}

bool writeBitmap(const char* folder, const char* file, const draw::Surface& s) {
    const std::string path = std::string(folder) + "/" + file;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        std::fprintf(stderr, "bmptool: can't create %s\n", path.c_str());
        return false;
    }
    const draw::ByteSink toFile = [](void* file, const void* data, size_t size) {
        return std::fwrite(data, 1, size, static_cast<std::FILE*>(file)) == size;
    };
    bool ok = draw::writeBmp24(toFile, f, s, s.width, s.height);
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "bmptool: can't write %s\n", path.c_str());
        std::remove(path.c_str());
    }
    return ok;
}

}  // namespace bmptool
