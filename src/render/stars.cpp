// The star field: collecting the stars seen from the camera by a walk of the star tree, their
// labels, and drawing a star item.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "catalog/catalog.h"
#include "render/sky_internal.h"
#include "render/sprites.h"
#include "video/video.h"

namespace render {

namespace {

constexpr double kCellCut = 100.0;          // the camera's own cell: every star is tested
constexpr double kDistanceEpsilon2 = 0.0001;  // ly², keeps the log of a zero distance finite
constexpr double kLabelOffset = 100.0;      // km added to x and y of a label's point

// trunc toward zero, saturating instead of overflowing for magnitudes the console can set.
int truncSaturated(double v) {
    if (!(v == v)) return 0;
    return static_cast<int>(std::clamp(v, -2.0e9, 2.0e9));
}

struct Walk {
    const uint8_t* stars;
    uint32_t starCount;
    const uint8_t* nodes;
    uint32_t nodeCount;
    Vector3 eye;
    double magLimit, slope, labelMagLimit, vradius;
    uint32_t cameraCell;
    bool hasCameraCell;
    bool full;  // the star list or the SkyList is full: the collection is over
};

// Least squared distance from the point to the box (0 inside) and greatest, to a corner.
void distanceRange2(const catalog::Box& b, const Vector3& p, double& near2, double& far2) {
    auto axis = [](double v, double lo, double hi, double& nearOut, double& farOut) {
        const double a = lo - v, c = v - hi;
        nearOut = a > 0 ? a : (c > 0 ? c : 0.0);
        farOut = std::max(std::fabs(a), std::fabs(c));
    };
    double nx, fx, ny, fy, nz, fz;
    axis(p.x, b.x0, b.x1, nx, fx);
    axis(p.y, b.y0, b.y1, ny, fy);
    axis(p.z, b.z0, b.z1, nz, fz);
    near2 = nx * nx + ny * ny + nz * nz;
    far2 = fx * fx + fy * fy + fz * fz;
}

// Scans the leaf run starting at `first` until a star fails the cut or the run ends.
void scanRun(Walk& w, uint32_t first, double cut) {
    SkyLists& l = lists();
    for (uint32_t s = first; s < w.starCount; ++s) {
        catalog::StarRecord star;
        std::memcpy(&star, w.stars + static_cast<size_t>(s) * sizeof star, sizeof star);
        const Vector3 v{star.x - w.eye.x, star.y - w.eye.y, star.z - w.eye.z};
        const double d2 = vmath::lengthSquared(v);
        const double m = star.absMag / catalog::kFixed + vmath::distanceModulus(d2) - 5.0;
        if (m > cut) return;
        // A star at the camera's own position has no direction: it is not in the sky.
        if (m < w.magLimit && d2 > 0.0) {
            if (l.stars.full() || l.sky.full()) {
                w.full = true;
                return;
            }
            const double d = vmath::fastSqrt(d2);
            const int index = l.stars.count;
            StarEntry& e = *l.stars.add();
            e.dir = vmath::operator*(v, vmath::kSkyRadius / d);
            e.id = static_cast<int32_t>(s);
            const StarLook look = starLook(m, star.colourBV, d, w.labelMagLimit, w.vradius);
            e.starFlags = look.starFlags;
            e.colourClass = look.colourClass;
            e.level = look.level;
            addSkyItem(kSkyStar, index, d);
        }
        if (star.flags & catalog::kLastOfRun) return;
    }
}

void walkNode(Walk& w, uint32_t node, const catalog::Box& box, int depth) {
    if (w.full || depth >= catalog::kMaxTreeDepth || node >= w.nodeCount) return;
    catalog::TreeNode entries;
    std::memcpy(&entries, w.nodes + static_cast<size_t>(node) * sizeof entries, sizeof entries);
    const bool cameraCell = w.hasCameraCell && node == w.cameraCell;
    for (int octant = 0; octant < 8 && !w.full; ++octant) {
        const uint32_t entry = entries.octant[octant];
        if (entry == catalog::kTreeEmpty) continue;
        catalog::Box child;
        catalog::octantBox(octant, box, child);
        if ((entry & 0xFF000000u) == catalog::kTreeChildFlag) {
            walkNode(w, entry & catalog::kTreeIndexMask, child, depth + 1);
            continue;
        }
        // The cut bounds the apparent magnitude of every star of the run that follows one that
        // fails it: the run is brightest first in absolute magnitude, and no star of it can be
        // nearer than the run's box allows. The least distance is taken to the box itself, not
        // to its nearest corner, so that a camera beside a face cannot lose near stars.
        double cut = kCellCut;
        if (!cameraCell) {
            double near2, far2;
            distanceRange2(child, w.eye, near2, far2);
            cut = std::fabs(vmath::distanceModulus(far2 + kDistanceEpsilon2) -
                            vmath::distanceModulus(near2 + kDistanceEpsilon2)) * w.slope +
                  w.magLimit;
        }
        scanRun(w, entry, cut);
    }
}

}  // namespace

StarLook starLook(double m, int16_t colourBV, double distance, double labelMagLimit, double vradius) {
    StarLook look{0, 128, 0};
    int level;
    if (m >= 4.0) {
        level = truncSaturated(128.0 - (m - 4.0) * 16.0);
    } else {
        look.colourClass = static_cast<uint8_t>(catalog::starColourIndex(colourBV));
        if (m >= 0.0) {
            level = truncSaturated(128.0 - m * 8.0);
        } else {
            level = truncSaturated(1.0 - m);
            look.starFlags |= kStarBright;
        }
    }
    look.level = static_cast<uint8_t>(level & 0xFF);
    if (m < labelMagLimit) look.starFlags |= kStarLabelled;
    if (distance < vradius) look.starFlags |= kStarLocal;
    return look;
}

void collectStars(const CameraRecord& camera) {
    const catalog::CatalogFiles& files = catalog::catalogFiles();
    Walk w{};
    w.stars = files.data[catalog::kStellarData];
    w.starCount = catalog::starCount();
    w.nodes = files.data[catalog::kStellarTree];
    w.nodeCount = catalog::treeNodeCount();
    if (w.stars == nullptr || w.nodes == nullptr || w.nodeCount == 0) return;
    w.eye = camera.IPos;
    w.magLimit = camera.starMagLimit;
    w.slope = camera.tree;
    w.labelMagLimit = camera.labelMagLimit;
    w.vradius = camera.vradius;
    w.hasCameraCell = catalog::findLeafNode(catalog::rootBox(), 0, w.eye, w.cameraCell) == 1;
    walkNode(w, 0, catalog::rootBox(), 0);
}

void collectStarLabels() {
    SkyLists& l = lists();
    // Labels are appended to the SkyList while it is read: only the items there before count.
    const int items = l.sky.count;
    for (int i = 0; i < items; ++i) {
        const SkyListItem item = l.sky.items[i];
        if (item.kind != kSkyStar) continue;
        const StarEntry& star = l.stars.items[item.entry];
        if (!(star.starFlags & (kStarLabelled | kStarLocal))) continue;
        char name[catalog::kNameSize];
        catalog::starName(static_cast<uint32_t>(star.id), name);
        for (uint16_t flag : {kStarLabelled, kStarLocal}) {
            if (!(star.starFlags & flag)) continue;
            if (l.texts.full() || l.sky.full()) return;
            const int index = l.texts.count;
            TextEntry& t = *l.texts.add();
            t.point = {star.dir.x + kLabelOffset, star.dir.y + kLabelOffset, star.dir.z};
            t.colour = flag == kStarLabelled ? 32u : 16u;  // palette green, red
            std::snprintf(t.text, sizeof t.text, "%s", name);
            addSkyItem(kSkyText, index, item.distance);
        }
    }
}

void drawStarItem(draw::Surface& s, const StarEntry& star, int px, int py) {
    if (star.starFlags & kStarBright) {
        drawStarGlow(s, px, py, star.level, star.colourClass);
        return;
    }
    const int colourClass = std::min<int>(star.colourClass, video::kColourClasses - 1);
    if (px >= 0 && py >= 0 && px < s.width && py < s.height)
        s.pixels[static_cast<size_t>(py) * s.pitch + px] = video::colours.star[colourClass][star.level];
}

}  // namespace render
