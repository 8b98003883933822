// The local-space chart (view mode 1): the stars and deep-sky objects within vradius of the
// camera at their true positions, inside a wireframe sphere with three axes, seen from an eye
// 2·vradius behind the camera's position, with the legend of its scale and disc sizes.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/input_state.h"
#include "base/settings.h"
#include "catalog/catalog.h"
#include "render/nebulae.h"
#include "render/sky_internal.h"
#include "video/video.h"
#include "vfs/vfs.h"

namespace render {

namespace {

// ---- The unit-sphere wireframe ---------------------------------------------------------------------

constexpr double kSegment = 0.157;   // rad along a meridian or a parallel
constexpr int kMeridians = 8;        // longitudes 0, π/4, … below 2π
constexpr int kParallels = 4;        // latitudes π/2, π/4, 0, −π/4 (the first a ring of radius 0)
constexpr int kMaxWireframe = 512;   // segments; the sphere has 320

struct Segment {
    Vector3 a, b;
};
Segment wireframe[kMaxWireframe];
int wireframeCount = 0;

Vector3 onSphere(double lat, double lon) {
    return {std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon), std::sin(lat)};
}

void addSegment(const Vector3& a, const Vector3& b) {
    if (wireframeCount < kMaxWireframe) wireframe[wireframeCount++] = {a, b};
}

void buildWireframe() {
    wireframeCount = 0;
    for (int m = 0; m < kMeridians; ++m) {
        const double lon = m * vmath::kQuarterPi;
        // Down from the north pole, up to and including the first segment that reaches within
        // one segment of the south pole.
        for (double lat = vmath::kHalfPi;; lat -= kSegment) {
            addSegment(onSphere(lat, lon), onSphere(lat - kSegment, lon));
            if (lat - kSegment <= -vmath::kHalfPi + kSegment) break;
        }
    }
    for (int k = 0; k < kParallels; ++k) {
        const double lat = vmath::kHalfPi - k * vmath::kQuarterPi;
        for (double lon = 0;; lon += kSegment) {
            addSegment(onSphere(lat, lon), onSphere(lat, lon + kSegment));
            if (lon + kSegment >= vmath::kTwoPi - kSegment) break;
        }
    }
}

// ---- The legend's bitmap font (the console's "default.bft") -----------------------------------

constexpr int kGlyphBytes = 48;  // 8 rows of 6 one-byte pixels, 0xFF ink
constexpr int kGlyphs = 96;      // codes 32 to 127
constexpr int kCellWidth = 6;
const uint8_t* legendFont = nullptr;

void bitmapText(draw::Surface& s, int x, int y, const char* text, uint32_t colour) {
    if (legendFont == nullptr) return;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p, x += kCellWidth) {
        if (*p <= 32 || *p >= 32 + kGlyphs) continue;
        const uint8_t* g = legendFont + (*p - 32) * kGlyphBytes;
        for (int row = 0; row < 8; ++row)
            for (int col = 0; col < 5; ++col)
                if (g[row * 6 + col] == 0xFF) draw::putPixel(s, x + col, y + row, colour);
    }
}

// ---- Build -----------------------------------------------------------------------------------------

constexpr double kAxisReach = 1.0625;   // the axes reach this far beyond the sphere, × vradius
constexpr int kAxisSegments = 80;
constexpr double kLabelOffset = 0.1;    // ly added to x and y of a label's point
constexpr uint32_t kLabelColour = 48;   // palette blue
constexpr uint8_t kOpenClusterClass = 78, kNeutralClass = 128, kNebulaClass = 0, kSymbolLevel = 128;

struct LocalWalk {
    const uint8_t* stars;
    uint32_t starCount;
    const uint8_t* nodes;
    uint32_t nodeCount;
    Vector3 eye;
    double radius2;
    catalog::Box box;  // the local box, widened by a hair so that rounding never loses a star
    bool byMagnitude;
    bool full;
};

void addStar(LocalWalk& w, const catalog::StarRecord& star, uint32_t index, const Vector3& v, double d2) {
    SkyLists& l = lists();
    if (l.stars.full() || l.sky.full()) {
        w.full = true;
        return;
    }
    const double absMag = star.absMag / catalog::kFixed;
    int level;
    if (w.byMagnitude) {
        level = localDiscByMagnitude(absMag);
    } else {
        double known = 0;
        catalog::StarExtraRecord extra;
        if (star.extra >= 0 && catalog::readStarExtra(static_cast<uint32_t>(star.extra), extra)) known = extra.radius;
        level = localDiscByDiameter(known, absMag, star.colourBV / catalog::kFixed);
    }
    const int at = l.stars.count;
    StarEntry& e = *l.stars.add();
    e.dir = v;
    e.id = static_cast<int32_t>(index);
    e.starFlags = 0;
    e.colourClass = static_cast<uint8_t>(catalog::starColourIndex(star.colourBV));
    e.level = static_cast<uint8_t>(level);
    // The squared distance serves as the key: the draw sorts by the eye's distance anyway.
    addSkyItem(kSkyStar, at, d2);
}

void scanRun(LocalWalk& w, uint32_t first) {
    for (uint32_t s = first; s < w.starCount && !w.full; ++s) {
        catalog::StarRecord star;
        std::memcpy(&star, w.stars + static_cast<size_t>(s) * sizeof star, sizeof star);
        const Vector3 v{star.x - w.eye.x, star.y - w.eye.y, star.z - w.eye.z};
        const double d2 = vmath::lengthSquared(v);
        if (d2 <= w.radius2) addStar(w, star, s, v, d2);
        if (star.flags & catalog::kLastOfRun) return;
    }
}

void walkNode(LocalWalk& w, uint32_t node, const catalog::Box& box, int depth) {
    if (w.full || depth >= catalog::kMaxTreeDepth || node >= w.nodeCount) return;
    catalog::TreeNode entries;
    std::memcpy(&entries, w.nodes + static_cast<size_t>(node) * sizeof entries, sizeof entries);
    for (int octant = 0; octant < 8 && !w.full; ++octant) {
        const uint32_t entry = entries.octant[octant];
        if (entry == catalog::kTreeEmpty) continue;
        catalog::Box child;
        catalog::octantBox(octant, box, child);
        if (!catalog::boxesOverlap(child, w.box)) continue;
        if ((entry & 0xFF000000u) == catalog::kTreeChildFlag)
            walkNode(w, entry & catalog::kTreeIndexMask, child, depth + 1);
        else
            scanRun(w, entry);
    }
}

void collectLocalStars(const CameraRecord& c, double radius, bool byMagnitude) {
    const catalog::CatalogFiles& files = catalog::catalogFiles();
    LocalWalk w{};
    w.stars = files.data[catalog::kStellarData];
    w.starCount = catalog::starCount();
    w.nodes = files.data[catalog::kStellarTree];
    w.nodeCount = catalog::treeNodeCount();
    if (w.stars == nullptr || w.nodes == nullptr || w.nodeCount == 0) return;
    w.eye = c.IPos;
    w.radius2 = radius * radius;
    const double pad = radius * 1e-9 + 1e-9 * (std::fabs(c.IPos.x) + std::fabs(c.IPos.y) + std::fabs(c.IPos.z));
    const double half = radius + pad;
    w.box = {c.IPos.x - half, c.IPos.y - half, c.IPos.z - half, c.IPos.x + half, c.IPos.y + half, c.IPos.z + half};
    w.byMagnitude = byMagnitude;
    walkNode(w, 0, catalog::rootBox(), 0);
}

bool addDeepSky(const Vector3& v, double d, uint32_t index, int size, uint8_t symbol, uint8_t colourClass) {
    SkyLists& l = lists();
    if (l.deepSky.full() || l.sky.full()) return false;
    const int at = l.deepSky.count;
    DeepSkyEntry& e = *l.deepSky.add();
    e = DeepSkyEntry{};
    e.dir = v;
    e.id = static_cast<int32_t>(catalog::kDeepSkyBase + index);
    e.size = size;
    e.symbol = symbol;
    e.colourClass = colourClass;
    e.level = kSymbolLevel;
    return addSkyItem(kSkyDeepSky, at, d);
}

void collectLocalDeepSky(const CameraRecord& c, double radius) {
    const double radius2 = radius * radius;
    const bool models = (c.flags & camera::kFlagDeepSkyTexture) != 0;
    const uint32_t count = catalog::deepSkyCount();
    for (uint32_t i = 0; i < count; ++i) {
        catalog::DeepSkyRecord r;
        if (!catalog::readDeepSky(i, r)) break;
        const Vector3 v{r.x - c.IPos.x, r.y - c.IPos.y, r.z - c.IPos.z};
        const double d2 = vmath::lengthSquared(v);
        if (!(d2 <= radius2)) continue;
        const double d = vmath::fastSqrt(d2);
        bool added = true;
        switch (r.type) {
            case catalog::kOpenCluster:
                added = addDeepSky(v, d, i, truncToInt(r.v.f.a), 0, kOpenClusterClass);
                break;
            case catalog::kPulsar:
                // A pulsar has no size of its own in the chart: size 0, at its true distance.
                added = addDeepSky(v, d, i, 0, 1, kNeutralClass);
                break;
            case catalog::kGlobularCluster:
                added = addDeepSky(v, d, i, truncToInt(std::pow(10.0, static_cast<double>(r.v.f.b)) * r.v.f.a), 2,
                                   kNeutralClass);
                break;
            case catalog::kNebula: {
                const int slot = models ? nebulaSlot(r.name) : -1;
                if (slot >= 0 && nebulaModel(slot) != nullptr) {
                    collectNebulaLocal(slot, v, radius2);
                    break;
                }
                added = addDeepSky(v, d, i, truncToInt(r.v.f.a), 4, kNebulaClass);
                break;
            }
            default: break;
        }
        if (!added) return;
    }
}

bool addShadedLine(const Vector3& a, const Vector3& b) {
    SkyLists& l = lists();
    if (l.lines.full() || l.sky.full()) return false;
    const int at = l.lines.count;
    LineEntry& e = *l.lines.add();
    e = LineEntry{};
    e.p1 = a;
    e.p2 = b;
    e.ownColour = 0;  // shaded by its depth when drawn
    const Vector3 mid{(a.x + b.x) * 0.5, (a.y + b.y) * 0.5, (a.z + b.z) * 0.5};
    return addSkyItem(kSkyLine, at, std::sqrt(vmath::lengthSquared(mid)));
}

void collectAxesAndSphere(double radius) {
    const double reach = kAxisReach * radius, step = 2.0 * reach / kAxisSegments;
    for (int axis = 0; axis < 3; ++axis) {
        for (int k = 0; k < kAxisSegments; ++k) {
            double a[3] = {0, 0, 0}, b[3] = {0, 0, 0};
            a[axis] = -reach + k * step;
            b[axis] = -reach + (k + 1) * step;
            if (!addShadedLine({a[0], a[1], a[2]}, {b[0], b[1], b[2]})) return;
        }
    }
    using vmath::operator*;
    for (int i = 0; i < wireframeCount; ++i)
        if (!addShadedLine(wireframe[i].a * radius, wireframe[i].b * radius)) return;
}

void collectLocalLabels() {
    SkyLists& l = lists();
    const int items = l.sky.count;
    for (int i = 0; i < items; ++i) {
        const SkyListItem item = l.sky.items[i];
        Vector3 point;
        char name[catalog::kNameSize];
        if (item.kind == kSkyStar) {
            const StarEntry& e = l.stars.items[item.entry];
            point = e.dir;
            catalog::starName(static_cast<uint32_t>(e.id), name);
        } else if (item.kind == kSkyDeepSky) {
            const DeepSkyEntry& e = l.deepSky.items[item.entry];
            point = e.dir;
            catalog::deepSkyName(static_cast<catalog::ObjectId>(e.id), name);
        } else {
            continue;
        }
        if (name[0] == 0) continue;
        if (l.texts.full() || l.sky.full()) return;
        const int at = l.texts.count;
        TextEntry& t = *l.texts.add();
        t.point = {point.x + kLabelOffset, point.y + kLabelOffset, point.z};
        t.colour = kLabelColour;
        copyText(t.text, sizeof t.text, name);
        addSkyItem(kSkyText, at, item.distance);
    }
}

void buildLocal(const SceneBuild& b) {
    const CameraRecord& c = b.camera;
    // vradius is kept at 1 ly or more by the camera; a record from elsewhere may hold anything.
    const double radius = c.vradius >= 1.0 ? c.vradius : 1.0;
    if (c.flags & camera::kFlagStars) collectLocalStars(c, radius, settings::LSmagDiam != 0);
    if (c.flags & camera::kFlagDeepSky) collectLocalDeepSky(c, radius);
    collectAxesAndSphere(radius);
    if (c.flags & camera::kFlagLabels) collectLocalLabels();
}

// ---- Draw ------------------------------------------------------------------------------------------

constexpr int kLegendColour = 32;     // palette green
constexpr int kLegendDiscColour = 9;  // palette mid grey
constexpr int kShadeColour = 40;      // palette: green ramp from its middle, darker with depth
constexpr double kProjectionLimit = 1.0e9;

struct Screen {
    int x, y;
};

// The chart's projection: s = cx / (z + D). False for a point at or behind the eye (which the
// chart's own contents never are) or too far off axis for the screen.
bool project(const Vector3& v, double eye, int cx, int cy, Screen& out) {
    const double depth = v.z + eye;
    if (!(depth > 0.0)) return false;
    const double s = cx / depth;
    const double x = v.x * s + cx, y = v.y * s + cy;
    if (!(std::fabs(x) < kProjectionLimit && std::fabs(y) < kProjectionLimit)) return false;
    out = {static_cast<int>(x), static_cast<int>(y)};
    return true;
}

Vector3 pointOf(const SkyLists& l, const SkyListItem& item) {
    switch (item.kind) {
        case kSkyStar: return l.stars.items[item.entry].dir;
        case kSkyText: return l.texts.items[item.entry].point;
        case kSkyDeepSky: return l.deepSky.items[item.entry].dir;
        case kSkyNebulaPoint: return l.nebulaPoints.items[item.entry].dir;
        default: return {};
    }
}

// The rList of this frame: every item's point in camera space and its key, sorted.
void makeDrawList(const CameraRecord& c, double eye) {
    SkyLists& l = lists();
    l.local.count = 0;
    for (int i = 0; i < l.sky.count; ++i) {
        const SkyListItem& item = l.sky.items[i];
        if (item.kind == kSkyGalaxySpot) continue;
        LocalItem& r = *l.local.add();  // as long as the SkyList: never full
        r.kind = item.kind;
        r.entry = item.entry;
        if (item.kind == kSkyLine) {
            const LineEntry& line = l.lines.items[item.entry];
            r.a = line.p1;
            r.b = line.p2;
            vmath::transformToCamera(c.Cam, r.a);
            vmath::transformToCamera(c.Cam, r.b);
            const double x = (r.a.x + r.b.x) * 0.5, y = (r.a.y + r.b.y) * 0.5, z = (r.a.z + r.b.z) * 0.5 + eye;
            r.key = x * x + y * y + z * z;
        } else {
            r.a = pointOf(l, item);
            r.b = {};
            vmath::transformToCamera(c.Cam, r.a);
            const double z = r.a.z + eye;
            r.key = r.a.x * r.a.x + r.a.y * r.a.y + z * z;
        }
    }
    sortLocalItems(l.local.items, l.local.count);
}

// The scale text, formatted again only when the radius or the picture width changed.
struct ScaleText {
    double vradius = -1;
    int largestX = -1;
    char text[16] = "";
};
ScaleText scaleText;

void drawLegend(draw::Surface& s, double radius) {
    const int largestX = s.maxX();
    const int X = largestX - 128, Y = 16;
    const uint32_t colour = video::colours.palette[kLegendColour];
    draw::setColour(s, colour);
    draw::line(s, X + 14, Y + 16, X + 100, Y + 16);
    draw::line(s, X + 14, Y + 14, X + 14, Y + 18);
    draw::line(s, X + 100, Y + 14, X + 100, Y + 18);
    if (scaleText.vradius != radius || scaleText.largestX != largestX) {
        localScaleText(radius, largestX, scaleText.text, sizeof scaleText.text);
        scaleText.vradius = radius;
        scaleText.largestX = largestX;
    }
    bitmapText(s, X + 48, Y, scaleText.text, colour);
    const bool byMagnitude = settings::LSmagDiam != 0;
    bitmapText(s, X + 32, Y + 20, byMagnitude ? "Magnitude" : "Diameter", colour);
    bitmapText(s, X + 64, Y + 36, byMagnitude ? "6.0" : " 1  R/R0", colour);
    bitmapText(s, X + 64, Y + 60, byMagnitude ? "0.0" : "100 R/R0", colour);
    draw::setColour(s, video::colours.palette[kLegendDiscColour]);
    draw::fillEllipse(s, X + 32, Y + 36, byMagnitude ? 1 : 3, byMagnitude ? 1 : 3);
    draw::fillEllipse(s, X + 32, Y + 60, byMagnitude ? 6 : 12, byMagnitude ? 6 : 12);
}

void drawLocal(const SceneDraw& d) {
    draw::Surface& s = d.surface;
    const CameraRecord& c = d.camera;
    const double radius = c.vradius >= 1.0 ? c.vradius : 1.0;
    const double eye = 2.0 * radius;  // D: the eye sits this far behind the camera's position
    const double eye2 = eye * eye;
    const int largestX = s.maxX();
    const bool bitmaps = (c.flags & camera::kFlagDeepSkyTexture) != 0;
    makeDrawList(c, eye);

    SkyLists& l = lists();
    Pick pick = beginPick();
    for (int i = l.local.count - 1; i >= 0; --i) {
        const LocalItem& r = l.local.items[i];
        Screen p;
        switch (r.kind) {
            case kSkyStar: {
                const StarEntry& e = l.stars.items[r.entry];
                if (!project(r.a, eye, d.cx, d.cy, p)) break;
                pickTest(pick, c, e.id, p.x, p.y);
                const int colourClass = std::min<int>(e.colourClass, video::kColourClasses - 1);
                draw::setColour(s, video::colours.star[colourClass][128]);
                draw::fillEllipse(s, p.x, p.y, e.level, e.level);
                break;
            }
            case kSkyLine: {
                const LineEntry& e = l.lines.items[r.entry];
                Screen q;
                if (!project(r.a, eye, d.cx, d.cy, p) || !project(r.b, eye, d.cx, d.cy, q)) break;
                if (e.ownColour) {
                    draw::setColour(s, e.colour);
                } else {
                    // 40 for the near side of the sphere to 44 for the far side.
                    const int shade = std::clamp(truncToInt(std::floor(2.0 * r.key / eye2)), 0, 7);
                    draw::setColour(s, video::colours.palette[kShadeColour + shade]);
                }
                draw::line(s, p.x, p.y, q.x, q.y);
                break;
            }
            case kSkyText: {
                if (!project(r.a, eye, d.cx, d.cy, p)) break;
                drawTextItem(s, l.texts.items[r.entry], p.x, p.y);
                break;
            }
            case kSkyDeepSky: {
                const DeepSkyEntry& e = l.deepSky.items[r.entry];
                // At the chart's scale an object larger than a third of the picture is left out.
                if (truncToInt(e.size * static_cast<double>(largestX) / (4.0 * radius)) > largestX / 3) break;
                if (!project(r.a, eye, d.cx, d.cy, p)) break;
                pickTest(pick, c, e.id, p.x, p.y);
                drawDeepSkyItem(s, e, p.x, p.y, c.zoom, bitmaps);
                break;
            }
            case kSkyNebulaPoint: {
                if (!project(r.a, eye, d.cx, d.cy, p)) break;
                draw::setColour(s, l.nebulaPoints.items[r.entry].colour);
                draw::fillEllipse(s, p.x, p.y, 2, 2);
                break;
            }
            default: break;
        }
    }
    finishPick(s, pick, false);
    drawLegend(s, radius);
}

}  // namespace

const SceneLayer kLocalSpaceLayer = {"local space", kOrderLocalSpace, kInLocalSpace, buildLocal, drawLocal};

int localDiscByDiameter(double knownRadius, double absMag, double colourBV) {
    double R = knownRadius;
    if (!(R > 0.0)) {
        // From the luminosity and the temperature (in units of the Sun's), R = √L / T².
        const double L = std::pow(10.0, 0.4 * (4.8 - absMag));
        const double T = (8800.0 / (colourBV + 0.82) - 770.0) / 6050.0;
        R = std::sqrt(L) / (T * T);
    }
    // ln of a radius that is 0, negative or not a number gives the smallest disc.
    const double level = 2.0 * (std::log(R) + 1.5);
    return std::clamp(truncToInt(level >= 1.0 ? level : 1.0), 1, 255);
}

int localDiscByMagnitude(double absMag) {
    if (!(absMag <= 6.0)) return 1;
    return std::clamp(truncToInt(7.0 - absMag), 1, 255);
}

void localScaleText(double vradius, int largestX, char* out, int capacity) {
    const double q = 4.0 * vradius / (largestX > 0 ? largestX : 1);
    if (q < 1.0)
        std::snprintf(out, static_cast<size_t>(capacity), "%d:1", truncToInt(1.0 / q));
    else
        std::snprintf(out, static_cast<size_t>(capacity), "1:%d", truncToInt(q));
}

int prepareLocalSpace() {
    buildWireframe();
    size_t size = 0;
    legendFont = vfs::loadFile("default.bft", &size);
    // A short font would leave characters without glyphs: the legend's texts are then left out.
    if (legendFont != nullptr && size < static_cast<size_t>(kGlyphs) * kGlyphBytes) legendFont = nullptr;
    scaleText = ScaleText{};
    return wireframeCount;
}

int wireframeSegments() { return wireframeCount; }

}  // namespace render
