// Deep-sky objects in the sky: their collection by type and magnitude, their labels, and their
// drawing as symbols or as sampled bitmaps.
#include <cmath>

#include "catalog/catalog.h"
#include "render/nebulae.h"
#include "render/sky_internal.h"
#include "render/sprites.h"
#include "video/video.h"

namespace render {

namespace {

constexpr double kLabelOffset = 100.0;  // km added to x and y of a label's point
constexpr int kLabelMinSize = 5;        // pixels before zoom: smaller objects get no label
constexpr uint32_t kLabelColour = 48;   // palette blue

// The look of each type in the sky: size factor (pixels per light year of size at 1 ly),
// colour class and, for pulsars, fixed size and level.
constexpr double kOpenClusterScale = 400.0;
constexpr double kGlobularScale = 500.0;
constexpr double kNebulaScale = 200.0;
constexpr uint8_t kOpenClusterClass = 88;
constexpr uint8_t kNeutralClass = 128;
constexpr uint8_t kNebulaClass = 0;
constexpr int kPulsarSize = 5;
constexpr uint8_t kPulsarLevel = 64;
constexpr uint8_t kNebulaLevel = 128;

bool addEntry(const Vector3& v, double d, uint32_t index, int size, uint8_t symbol, uint8_t colourClass,
              uint8_t level) {
    SkyLists& l = lists();
    if (l.deepSky.full() || l.sky.full()) return false;
    const int at = l.deepSky.count;
    DeepSkyEntry& e = *l.deepSky.add();
    e = DeepSkyEntry{};
    e.dir = vmath::operator*(v, vmath::kSkyRadius / d);
    e.id = static_cast<int32_t>(catalog::kDeepSkyBase + index);
    e.size = size;
    e.symbol = symbol;
    e.colourClass = colourClass;
    e.level = level;
    return addSkyItem(kSkyDeepSky, at, d);
}

void buildDeepSky(const SceneBuild& b) {
    if (b.camera.flags & camera::kFlagDeepSky) collectDeepSky(b.camera);
}

void buildDeepSkyLabels(const SceneBuild& b) {
    if (b.camera.flags & camera::kFlagLabels) collectDeepSkyLabels();
}

}  // namespace

const SceneLayer kDeepSkyLayer = {"deep sky", kOrderDeepSky, kInSky, buildDeepSky, nullptr};
const SceneLayer kDeepSkyLabelsLayer = {"deep-sky labels", kOrderDeepSkyLabels, kInSky, buildDeepSkyLabels, nullptr};

void collectDeepSky(const CameraRecord& c) {
    const uint32_t count = catalog::deepSkyCount();
    const uint32_t types = c.deepSkyTypes;
    const bool models = (c.flags & camera::kFlagDeepSkyTexture) != 0;
    for (uint32_t i = 0; i < count; ++i) {
        catalog::DeepSkyRecord r;
        if (!catalog::readDeepSky(i, r)) break;
        uint32_t filter;
        switch (r.type) {
            case catalog::kOpenCluster: filter = camera::kTypeOpenCluster; break;
            case catalog::kPulsar: filter = camera::kTypePulsar; break;
            case catalog::kGlobularCluster: filter = camera::kTypeGlobularCluster; break;
            case catalog::kNebula: filter = camera::kTypeNebula; break;
            default: continue;  // no other type is drawn
        }
        if (!(types & filter)) continue;
        const Vector3 v{r.x - c.IPos.x, r.y - c.IPos.y, r.z - c.IPos.z};
        const double d2 = vmath::lengthSquared(v);
        // An object at the camera (it has just arrived there) has no direction in the sky.
        if (!(d2 > 0.0) || !std::isfinite(d2)) continue;
        const double d = vmath::fastSqrt(d2);
        bool added = true;
        switch (r.type) {
            case catalog::kOpenCluster: {
                const double m = r.absMag / catalog::kFixed + vmath::distanceModulus(d2) - 5.0;
                // Not strict: an object exactly at the limit is drawn.
                if (!(m <= c.deepSkyMagLimit)) break;
                added = addEntry(v, d, i, truncToInt(r.v.f.a / d * kOpenClusterScale), r.unused,
                                 kOpenClusterClass, rampLevel(128.0 - 8.0 * m));
                break;
            }
            case catalog::kPulsar:
                added = addEntry(v, d, i, kPulsarSize, 1, kNeutralClass, kPulsarLevel);
                break;
            case catalog::kGlobularCluster: {
                const double m = r.absMag / catalog::kFixed + vmath::distanceModulus(d2) - 5.0;
                if (!(m <= c.deepSkyMagLimit)) break;
                // The tidal radius: the core radius times 10^concentration.
                const double tidal = std::pow(10.0, static_cast<double>(r.v.f.b)) * r.v.f.a;
                added = addEntry(v, d, i, truncToInt(tidal / d * kGlobularScale), 2, kNeutralClass,
                                 rampLevel(192.0 - 8.0 * m));
                break;
            }
            default: {  // nebula
                const int slot = models ? nebulaSlot(r.name) : -1;
                // A model that did not load leaves its nebula drawn as its symbol.
                if (slot >= 0 && nebulaModel(slot) != nullptr) {
                    collectNebulaSky(slot, v);
                    break;
                }
                added = addEntry(v, d, i, truncToInt(r.v.f.a / d * kNebulaScale), 4, kNebulaClass, kNebulaLevel);
                break;
            }
        }
        if (!added) return;
    }
}

void collectDeepSkyLabels() {
    SkyLists& l = lists();
    // Labels are appended to the SkyList while it is read: only the items there before count.
    const int items = l.sky.count;
    for (int i = 0; i < items; ++i) {
        const SkyListItem item = l.sky.items[i];
        if (item.kind != kSkyDeepSky) continue;
        const DeepSkyEntry& e = l.deepSky.items[item.entry];
        if (e.size <= kLabelMinSize) continue;
        char name[catalog::kNameSize];
        catalog::deepSkyName(static_cast<catalog::ObjectId>(e.id), name);
        if (name[0] == 0) continue;
        if (l.texts.full() || l.sky.full()) return;
        const int index = l.texts.count;
        TextEntry& t = *l.texts.add();
        t.point = {e.dir.x + kLabelOffset, e.dir.y + kLabelOffset, e.dir.z};
        t.colour = kLabelColour;
        copyText(t.text, sizeof t.text, name);
        addSkyItem(kSkyText, index, item.distance);
    }
}

void drawDeepSkyItem(draw::Surface& s, const DeepSkyEntry& e, int x, int y, double zoom, bool bitmaps) {
    const double h = e.size * zoom * 0.5;
    const int r = truncToInt(h);
    const int symbol = e.symbol & 0x7F;
    if (bitmaps) {
        // 2 × trunc(h): the bitmap is centred on the object's pixel.
        const int n = truncToInt(2.0 * r);
        switch (symbol) {
            case 0:
                if (!(e.symbol & 0x80)) drawImage256(s, kOpenClusterBitmap, x, y, n, e.colourClass);
                break;
            case 2: drawImage256(s, kGlobularBitmap, x, y, n, e.colourClass); break;
            case 4: drawImage256(s, kNebulaBitmap, x, y, n, e.colourClass); break;
            default: break;  // pulsars have no bitmap
        }
        return;
    }
    if (r < 0) return;
    const int colourClass = std::min<int>(e.colourClass, video::kColourClasses - 1);
    draw::setColour(s, video::colours.star[colourClass][e.level]);
    // Corners in 64 bits: a symbol as wide as the int range still clips without overflow.
    auto at = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    const int64_t X = x, Y = y, R = r;
    switch (symbol) {
        case 0: draw::ellipse(s, x, y, r, r); break;
        case 1:
            draw::line(s, at(X - R), y, at(X + R), y);
            draw::line(s, x, at(Y - R), x, at(Y + R));
            break;
        case 2:
            draw::line(s, at(X - R), y, at(X + R - 1), y);
            draw::line(s, x, at(Y - R), x, at(Y + R - 1));
            draw::ellipse(s, x, y, r, r);
            break;
        case 4:
            draw::line(s, at(X - R), at(Y - R), at(X + R), at(Y - R));
            draw::line(s, at(X + R), at(Y - R), at(X + R), at(Y + R));
            draw::line(s, at(X + R), at(Y + R), at(X - R), at(Y + R));
            draw::line(s, at(X - R), at(Y + R), at(X - R), at(Y - R));
            break;
        default: break;
    }
}

}  // namespace render
