// The galaxy: a 63 × 63 grid of glow spots over the galactic plane, sized and coloured from the
// two galaxy maps of the catalogue, so that from inside the disc it is a band round the sky and
// from far outside a whole disc; and the drawing of a spot as an outline or a sampled lattice.
#include <cmath>

#include "catalog/catalog.h"
#include "render/sky_internal.h"
#include "render/sprites.h"
#include "video/video.h"

namespace render {

namespace {

// The galactic frame in the catalogue's interstellar frame, light years.
constexpr Vector3 kCentre{-144.498344, -24545.790404, -13471.57354};
constexpr Vector3 kAxisU{-0.005161, -0.876635, -0.481128};  // towards the centre
constexpr Vector3 kAxisV{-0.49503, 0.419812, -0.759605};    // in the plane, across
constexpr int kCells = 63;
constexpr double kPitch = 1562.5;     // ly between neighbouring cells
constexpr double kGridStart = -50000.0;
// Beyond this distance from the centre every cell is seen; inside, only the near ones, more the
// farther the camera is from the plane (the far side of the disc would cover the sky).
constexpr double kOutside = 50000.0;
constexpr double kNearLimit = 12000.0;
constexpr double kLimitPerHeight = 50.0;
constexpr double kUnlimited = 1.0e20;
// Second-map values from this up are old populations (bulge, bar): large, reddish spots.
constexpr int kOldPopulation = 40;
constexpr int kBrightSpot = 64;
constexpr uint8_t kOldClass = 32, kYoungClass = 100;
constexpr double kSpotScale = 40.0;

int spotThreshold(int subtype) {
    constexpr int kThresholds[3] = {4, 16, 8};
    return kThresholds[subtype];
}

void buildGalaxy(const SceneBuild& b) {
    if (b.camera.flags & camera::kFlagGalaxy) collectGalaxy(b.camera);
}

}  // namespace

const SceneLayer kGalaxyLayer = {"galaxy", kOrderGalaxy, kInSky, buildGalaxy, nullptr};

void collectGalaxy(const CameraRecord& c) {
    using vmath::operator+;
    using vmath::operator-;
    using vmath::operator*;
    const catalog::CatalogFiles& files = catalog::catalogFiles();
    const uint8_t* brightness = files.data[catalog::kGalacticBmap];
    const uint8_t* second = files.data[catalog::kGalacticHmap];
    // Cells are read up to byte 4096 of both maps: shorter maps give no galaxy.
    if (brightness == nullptr || second == nullptr || files.size[catalog::kGalacticBmap] < catalog::kGalaxyMapMinSize ||
        files.size[catalog::kGalacticHmap] < catalog::kGalaxyMapMinSize)
        return;

    const Vector3 g = kCentre - c.IPos;
    double limit = kUnlimited;
    if (vmath::lengthSquared(g) < kOutside * kOutside) {
        // Height above the plane through the origin spanned by u and v.
        const Vector3& p = c.IPos;
        const Vector3 inPlane = kAxisU * vmath::dot(p, kAxisU) + kAxisV * vmath::dot(p, kAxisV);
        const double h = std::sqrt(vmath::lengthSquared(inPlane - p));
        limit = kNearLimit + kLimitPerHeight * h;
    }

    SkyLists& l = lists();
    for (int r = 0; r < kCells; ++r) {
        const Vector3 rowBase = g + kAxisU * (kGridStart + kPitch * r);
        for (int col = 0; col < kCells; ++col) {
            const size_t i = catalog::galaxyCell(r, col);
            const int b = brightness[i];
            if (b == 0) continue;
            const int k = second[i];
            const Vector3 q = rowBase + kAxisV * (kGridStart + kPitch * col);
            const double d = vmath::fastSqrt(vmath::lengthSquared(q));
            // The cells round the camera are left out: they would fill the whole picture.
            if (!(d > kPitch && d < limit)) continue;
            if (l.spots.full() || l.sky.full()) return;
            const int index = l.spots.count;
            SpotEntry& e = *l.spots.add();
            e.dir = q * (vmath::kSkyRadius / d);
            e.size = truncToInt(kPitch / d * (k + 21) * kSpotScale);
            if (k >= kOldPopulation) {
                e.subtype = 2;
                e.colourClass = kOldClass;
            } else {
                e.subtype = b < kBrightSpot ? 0 : 1;
                e.colourClass = kYoungClass;
            }
            e.level = static_cast<uint8_t>(b);
            e.reserved = 0;
            addSkyItem(kSkyGalaxySpot, index, d);
        }
    }
}

void drawGalaxySpot(draw::Surface& s, const SpotEntry& e, int x, int y, int n, bool textured) {
    const int colourClass = std::min<int>(e.colourClass, video::kColourClasses - 1);
    const uint32_t* ramp = video::colours.star[colourClass];
    if (!textured) {
        if (n < 0) return;
        draw::setColour(s, ramp[e.level]);
        draw::ellipse(s, x, y, n / 2, n / 2);
        return;
    }
    if (n < 2 || n > s.maxX() || e.level < 32 || e.subtype > 2 || s.pixels == nullptr) return;
    const Sprite& image = sprite(static_cast<SpriteId>(kSpot0 + e.subtype));
    if (image.samples == nullptr || image.side != 128) return;
    // Larger spots take more of the image: 32, 16 or 8 dots a side.
    const int step = n > 48 ? 4 : n > 32 ? 8 : 16;
    const int dots = 128 / step;
    const double spacing = static_cast<double>(n) / dots;
    const int threshold = spotThreshold(e.subtype);
    const int64_t left = static_cast<int64_t>(x) - n / 2, top = static_cast<int64_t>(y) - n / 2;
    for (int j = 0; j < dots; ++j) {
        const int64_t py = top + static_cast<int64_t>(j * spacing);
        if (py < 0 || py >= s.height) continue;
        const uint8_t* samples = image.samples + j * step * 128;
        uint32_t* row = s.pixels + py * s.pitch;
        for (int i = 0; i < dots; ++i) {
            const int64_t px = left + static_cast<int64_t>(i * spacing);
            if (px < 0 || px >= s.width) continue;
            const int v = std::min<int>(e.level, samples[i * step]);
            if (v > threshold) row[px] = ramp[v];
        }
    }
}

}  // namespace render
