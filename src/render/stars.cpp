// The star field: collecting the stars seen from the camera by a walk of the star tree, their
// labels, and drawing a star item.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "catalog/catalog.h"
#include "render/render.h"
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

// The brightest absolute magnitude (× 256) of any star under each octant of each tree node, so
// that a leaf run or a whole subtree too far away for its brightest star to be seen is passed
// over without reading it.
// Built once per catalogue (the first build after prepareSky or after another catalogue was
// attached); builds of the same catalogue allocate nothing.
constexpr int32_t kNoStars = INT32_MAX;

struct BrightnessIndex {
    const uint8_t* stars = nullptr;
    size_t starBytes = 0;
    const uint8_t* nodes = nullptr;
    size_t nodeBytes = 0;
    std::vector<int32_t> brightest;  // per node and octant (node · 8 + octant); kNoStars: none
    std::vector<uint8_t> state;      // 0 not yet, 1 in progress, 2 done
};
BrightnessIndex brightness;

int32_t brightestOfRun(const uint8_t* stars, uint32_t starCount, uint32_t first) {
    int32_t best = kNoStars;
    for (uint32_t s = first; s < starCount; ++s) {
        catalog::StarRecord star;
        std::memcpy(&star, stars + static_cast<size_t>(s) * sizeof star, sizeof star);
        best = std::min<int32_t>(best, star.absMag);
        if (star.flags & catalog::kLastOfRun) break;
    }
    return best;
}

// The brightest star under a node. A node re-entered while in progress (a cyclic tree)
// contributes nothing more; the depth limit is the walk's, so every node the walk can reach is
// indexed.
int32_t brightestOfNode(uint32_t node, uint32_t nodeCount, uint32_t starCount, int depth) {
    if (depth >= catalog::kMaxTreeDepth || node >= nodeCount || brightness.state[node] == 1) return kNoStars;
    int32_t* octants = &brightness.brightest[static_cast<size_t>(node) * 8];
    if (brightness.state[node] == 0) {
        brightness.state[node] = 1;
        catalog::TreeNode entries;
        std::memcpy(&entries, brightness.nodes + static_cast<size_t>(node) * sizeof entries, sizeof entries);
        for (int o = 0; o < 8; ++o) {
            const uint32_t entry = entries.octant[o];
            if (entry == catalog::kTreeEmpty) continue;
            octants[o] = (entry & 0xFF000000u) == catalog::kTreeChildFlag
                             ? brightestOfNode(entry & catalog::kTreeIndexMask, nodeCount, starCount, depth + 1)
                             : brightestOfRun(brightness.stars, starCount, entry);
        }
        brightness.state[node] = 2;
    }
    return *std::min_element(octants, octants + 8);
}

}  // namespace

void indexStarTree() {
    const catalog::CatalogFiles& files = catalog::catalogFiles();
    const uint8_t* stars = files.data[catalog::kStellarData];
    const uint8_t* nodes = files.data[catalog::kStellarTree];
    if (brightness.stars == stars && brightness.starBytes == files.size[catalog::kStellarData] &&
        brightness.nodes == nodes && brightness.nodeBytes == files.size[catalog::kStellarTree] &&
        !brightness.state.empty())
        return;
    brightness.stars = stars;
    brightness.starBytes = files.size[catalog::kStellarData];
    brightness.nodes = nodes;
    brightness.nodeBytes = files.size[catalog::kStellarTree];
    const uint32_t nodeCount = catalog::treeNodeCount();
    brightness.brightest.assign(static_cast<size_t>(nodeCount) * 8, kNoStars);
    brightness.state.assign(std::max<uint32_t>(nodeCount, 1), 0);
    if (stars != nullptr && nodes != nullptr && nodeCount > 0)
        brightestOfNode(0, nodeCount, catalog::starCount(), 0);
}

namespace {

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

// distanceModulus(d²) to within 2e-6 magnitudes, without a library call: the exponent from the
// bits, the mantissa's logarithm from the atanh series. Used only to screen stars whose
// magnitude is clearly on one side of both the cut and the limit; every decision near either
// is taken on the exact value.
inline double approxDistanceModulus(double d2) {
    const double x = d2 * vmath::kParsecSquaredFactor;
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    const int exponent = static_cast<int>((bits >> 52) & 0x7FF) - 1023;
    bits = (bits & 0x000FFFFFFFFFFFFFull) | 0x3FF0000000000000ull;  // mantissa in [1, 2)
    double mantissa;
    std::memcpy(&mantissa, &bits, sizeof mantissa);
    const double t = (mantissa - 1.0) / (mantissa + 1.0), t2 = t * t;
    const double ln = 2.0 * t * (1.0 + t2 * (1.0 / 3 + t2 * (1.0 / 5 + t2 * (1.0 / 7 + t2 * (1.0 / 9)))));
    // 2.5·log10(x) = 2.5·(exponent·ln 2 + ln mantissa) / ln 10
    return (exponent * 0.69314718055994531 + ln) * 1.0857362047581294;
}

constexpr double kScreenMargin = 1e-4;  // magnitudes; far above the approximation's error

// Scans the leaf run starting at `first` until a star fails the cut or the run ends.
void scanRun(Walk& w, uint32_t first, double cut) {
    SkyLists& l = lists();
    for (uint32_t s = first; s < w.starCount; ++s) {
        catalog::StarRecord star;
        std::memcpy(&star, w.stars + static_cast<size_t>(s) * sizeof star, sizeof star);
        const Vector3 v{star.x - w.eye.x, star.y - w.eye.y, star.z - w.eye.z};
        const double d2 = vmath::lengthSquared(v);
        const double absMag = star.absMag / catalog::kFixed;
        // Normal distances: a star well between the limit and the cut is passed over without
        // the exact logarithm. (Tiny, huge and zero distances always take the exact path.)
        if (d2 > 1e-200 && d2 < 1e200) {
            const double approx = absMag + approxDistanceModulus(d2) - 5.0;
            if (approx > cut + kScreenMargin) return;
            if (approx >= w.magLimit + kScreenMargin && approx < cut - kScreenMargin) {
                if (star.flags & catalog::kLastOfRun) return;
                continue;
            }
        }
        const double m = absMag + vmath::distanceModulus(d2) - 5.0;
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
        // Nothing in the octant can be brighter than the limit: pass it over unread. (Apparent
        // magnitude of its brightest star at the least distance of its box; from inside the box
        // that distance is 0 and the octant is always read.)
        const int32_t best = brightness.brightest[static_cast<size_t>(node) * 8 + octant];
        if (best == kNoStars) continue;
        catalog::Box child;
        catalog::octantBox(octant, box, child);
        double near2, far2;
        distanceRange2(child, w.eye, near2, far2);
        if (near2 > 0.0 && best / catalog::kFixed + vmath::distanceModulus(near2) - 5.0 >= w.magLimit)
            continue;
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
            // |M(far²) − M(near²)| as one logarithm of the ratio.
            cut = std::fabs(2.5 * std::log10((far2 + kDistanceEpsilon2) / (near2 + kDistanceEpsilon2))) *
                      w.slope +
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

void catalogueChanged() { brightness.state.clear(); }

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
    indexStarTree();
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
