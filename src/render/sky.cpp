// The sky: the far-to-near draw of the SkyList with picking, hovering and locking and the lock
// marks; the renderer's start and stop with its layers.
#include <climits>
#include <cmath>

#include "base/input_state.h"
#include "base/settings.h"
#include "base/zode.h"
#include "render/linefont.h"
#include "render/nebulae.h"
#include "render/render.h"
#include "render/sky_internal.h"
#include "render/sprites.h"
#include "video/video.h"

namespace render {

namespace {

constexpr double kTextScale = 2.0;
constexpr double kPickRadius2 = 25.0; // a pick must lie within 5 pixels
constexpr int kLockPaletteColour = 16;   // red
constexpr int kViewLockPaletteColour = 32;  // green
// Projected points are kept well inside the int range; anything beyond is far off screen.
constexpr double kProjectionLimit = 1.0e9;

struct Projected {
    int x, y;
};

// Rotates a sky point into camera space and projects it; false when it lies at or behind the
// near limit, or so far off axis that it cannot be on screen.
bool project(const CameraRecord& c, Vector3 v, int cx, int cy, Projected& out) {
    vmath::transformToCamera(c.Cam, v);
    if (!(v.z > c.zclip)) return false;
    const double scale = cx * c.zoom / (v.z + 20.0);
    if (!(std::fabs(v.x * scale) < kProjectionLimit && std::fabs(v.y * scale) < kProjectionLimit))
        return false;
    const vmath::SkyProjection p = vmath::projectSky(v.x, v.y, v.z, cx, cy, c.zoom);
    out = {p.x, p.y};
    return true;
}

void square(draw::Surface& s, int x, int y, int h, uint32_t colour) {
    draw::setColour(s, colour);
    draw::line(s, x - h, y - h, x + h, y - h);
    draw::line(s, x + h, y - h, x + h, y + h);
    draw::line(s, x + h, y + h, x - h, y + h);
    draw::line(s, x - h, y + h, x - h, y - h);
}

void buildStars(const SceneBuild& b) {
    if (b.camera.flags & camera::kFlagStars) collectStars(b.camera);
}

// Labels of the stars collected before them; deep-sky names join them at their own order.
void buildStarLabels(const SceneBuild& b) {
    if (b.camera.flags & camera::kFlagLabels) collectStarLabels();
}

constexpr SceneLayer kStarsLayer = {"stars", kOrderStars, kInSky, buildStars, nullptr};
constexpr SceneLayer kStarLabelsLayer = {"star labels", kOrderStarLabels, kInSky, buildStarLabels, nullptr};

// A point star: one pixel at its screen point, or none off the surface.
bool pointStar(const SkyLists& l, const SkyListItem& item) {
    return item.kind == kSkyStar && !(l.stars.items[item.entry].starFlags & kStarBright);
}

// The nebula points from item `last` nearer, and the point stars among them, until an item of
// another kind: the index of the nearest of those points.
int nebulaRunFirst(const SkyLists& l, int last) {
    int first = last;
    for (int k = last - 1; k >= 0 && (l.sky.items[k].kind == kSkyNebulaPoint || pointStar(l, l.sky.items[k])); --k)
        if (l.sky.items[k].kind == kSkyNebulaPoint) first = k;
    return first;
}

// The screen places of the nebula points, found by project() for the whole list in its own order
// before the runs walk it in distance order (kNoPlace where project() is false),
// with what the run draws of each. Seen from inside a nebula the runs hold tens of thousands of
// points: in the list's order the rotation and the division run back to back over memory read
// straight through, and the run then reads half the bytes of the list, from a table the cache holds.
constexpr int32_t kNoPlace = INT32_MIN;
struct PointPlace {
    int32_t x, y;
    uint32_t colour;
    int32_t size;
};
PointPlace pointPlaces[kNeb3dListCapacity];

void placeNebulaPoints(const CameraRecord& c, const SkyLists& l, int cx, int cy) {
    for (int i = 0; i < l.nebulaPoints.count; ++i) {
        const NebulaPoint& e = l.nebulaPoints.items[i];
        Projected p;
        if (!project(c, e.dir, cx, cy, p)) p = {kNoPlace, 0};
        pointPlaces[i] = {p.x, p.y, e.colour, e.size};
    }
}

// Items first … last (nebula points and point stars) as one run, nearest first: each pixel is
// written once, by the item that the far-to-near draw would leave on top. Seen from inside a
// nebula its discs are hundreds of pixels wide and thousands deep; drawn far to near they would
// write each pixel many times over. Stars are picked as the list orders them, farthest first.
void drawNebulaRun(draw::Surface& s, const CameraRecord& c, const SkyLists& l, NebulaRun& run, Pick& pick,
                   int first, int last, int cx, int cy) {
    Projected p;
    for (int k = first; k <= last; ++k) {
        // The list is in distance order and its points are where the collection left them:
        // the entry a few items on is asked for now, so that it is in the cache when reached.
        constexpr int kAhead = 8;
        if (k + kAhead <= last) {
            const SkyListItem& ahead = l.sky.items[k + kAhead];
            __builtin_prefetch(ahead.kind == kSkyNebulaPoint ? static_cast<const void*>(&pointPlaces[ahead.entry])
                                                             : static_cast<const void*>(&l.stars.items[ahead.entry]));
        }
        const SkyListItem& item = l.sky.items[k];
        if (item.kind == kSkyNebulaPoint) {
            const PointPlace place = pointPlaces[item.entry];
            if (place.x != kNoPlace) {
                NebulaPoint e;
                e.colour = place.colour;
                e.size = place.size;
                drawNebulaRunPoint(run, e, place.x, place.y);
            }
        } else {
            const StarEntry& star = l.stars.items[item.entry];
            if (project(c, star.dir, cx, cy, p) && claimNebulaRunPixel(run, p.x, p.y)) drawStarItem(s, star, p.x, p.y);
        }
    }
    endNebulaRun(run);
    for (int k = last; k >= first; --k) {
        const SkyListItem& item = l.sky.items[k];
        if (item.kind != kSkyStar) continue;
        const StarEntry& star = l.stars.items[item.entry];
        if (project(c, star.dir, cx, cy, p)) pickTest(pick, c, star.id, p.x, p.y);
    }
}

}  // namespace

Pick beginPick() {
    Pick pick;
    pick.mx = input::pointer.x;
    pick.my = input::pointer.y;
    return pick;
}

void pickTest(Pick& pick, const CameraRecord& c, int32_t object, int x, int y) {
    const double dx = static_cast<double>(x) - pick.mx, dy = static_cast<double>(y) - pick.my;
    const double q = dx * dx + dy * dy;
    // Strictly less: of two at the same distance the one drawn first (the farther) is kept.
    if (q < pick.best) {
        pick.best = q;
        pick.candidate = object;
    }
    if (object == c.lock) {
        pick.lockSeen = true;
        pick.lockX = x;
        pick.lockY = y;
    }
    if (object == c.vLock) {
        pick.viewLockSeen = true;
        pick.viewLockX = x;
        pick.viewLockY = y;
    }
}

void finishPick(draw::Surface& s, const Pick& pick, bool viewLockMark) {
    if (pick.lockSeen) {
        const int h = camera::takeLockHighlight();
        square(s, pick.lockX, pick.lockY, h, video::colours.palette[kLockPaletteColour]);
    }
    if (viewLockMark && pick.viewLockSeen)
        square(s, pick.viewLockX, pick.viewLockY, 4, video::colours.palette[kViewLockPaletteColour]);

    if (!input::pointerOverWindow && !input::pointerOverToolbar) {
        const bool click = input::takeLeftClick() != 0;
        if (pick.best < kPickRadius2) {
            if (click) {
                camera::lockObject(pick.candidate);
            } else {
                camera::setHover(pick.candidate);
                zode::broadcast(zode::kEventHover, pick.candidate);
            }
        }
    }
}

void drawTextItem(draw::Surface& s, const TextEntry& text, int x, int y) {
    const uint32_t colour = (text.colour & kTextDeviceColour)
                                ? (text.colour & ~kTextDeviceColour)
                                : video::colours.palette[text.colour & 0xFFu];
    drawText(s, x, y, kTextScale, colour, text.text);
}

void drawSkyList(draw::Surface& s, int cx, int cy) {
    const CameraRecord& c = *camera::activeCamera();
    SkyLists& l = lists();
    const bool bitmaps = (c.flags & camera::kFlagDeepSkyTexture) != 0;
    const bool galaxyTexture = (c.flags & camera::kFlagGalaxyTexture) != 0;
    Pick pick = beginPick();
    if (l.nebulaPoints.count > 0) placeNebulaPoints(c, l, cx, cy);

    for (int i = l.sky.count - 1; i >= 0; --i) {
        const SkyListItem& item = l.sky.items[i];
        Projected p;
        switch (item.kind) {
            case kSkyStar: {
                const StarEntry& star = l.stars.items[item.entry];
                if (!project(c, star.dir, cx, cy, p)) break;
                pickTest(pick, c, star.id, p.x, p.y);
                drawStarItem(s, star, p.x, p.y);
                break;
            }
            case kSkyLine: {
                const LineEntry& line = l.lines.items[item.entry];
                Projected b;
                // A line with either end at or behind the near limit is dropped whole.
                if (!project(c, line.p1, cx, cy, p) || !project(c, line.p2, cx, cy, b)) break;
                draw::setColour(s, line.colour);
                draw::line(s, p.x, p.y, b.x, b.y);
                break;
            }
            case kSkyText: {
                const TextEntry& text = l.texts.items[item.entry];
                if (!project(c, text.point, cx, cy, p)) break;
                drawTextItem(s, text, p.x, p.y);
                break;
            }
            case kSkyDeepSky: {
                const DeepSkyEntry& e = l.deepSky.items[item.entry];
                // An object as wide as the picture (the camera is inside or next to it) is
                // neither drawn nor picked.
                if (e.size >= s.maxX() || !project(c, e.dir, cx, cy, p)) break;
                pickTest(pick, c, e.id, p.x, p.y);
                drawDeepSkyItem(s, e, p.x, p.y, c.zoom, bitmaps);
                break;
            }
            case kSkyGalaxySpot: {
                const SpotEntry& e = l.spots.items[item.entry];
                if (!project(c, e.dir, cx, cy, p)) break;
                drawGalaxySpot(s, e, p.x, p.y, truncToInt(e.size * c.zoom * 0.5), galaxyTexture);
                break;
            }
            case kSkyNebulaPoint: {
                NebulaRun run;
                if (beginNebulaRun(run, s)) {
                    const int first = nebulaRunFirst(l, i);
                    drawNebulaRun(s, c, l, run, pick, first, i, cx, cy);
                    i = first;
                    break;
                }
                const NebulaPoint& e = l.nebulaPoints.items[item.entry];
                if (!project(c, e.dir, cx, cy, p)) break;
                drawNebulaPoint(s, e, p.x, p.y);
                break;
            }
            default: break;
        }
    }
    finishPick(s, pick, true);
}

int start() {
    resetLists();
    indexStarTree();
    loadSprites();
    loadLineFont();
    loadNebulae();
    prepareLocalSpace();
    addLayer(&kStarsLayer);
    addLayer(&kDeepSkyLayer);
    addLayer(&kStarLabelsLayer);
    addLayer(&kDeepSkyLabelsLayer);
    addLayer(&kGalaxyLayer);
    addLayer(&kLocalSpaceLayer);
    return 1;
}

void stop() {
    removeLayer(&kLocalSpaceLayer);
    removeLayer(&kGalaxyLayer);
    removeLayer(&kDeepSkyLabelsLayer);
    removeLayer(&kStarLabelsLayer);
    removeLayer(&kDeepSkyLayer);
    removeLayer(&kStarsLayer);
}

void toggleLocalDiscMode() { setLocalDiscMode(settings::LSmagDiam ? 0 : 1); }

void setLocalDiscMode(int byMagnitude) {
    settings::LSmagDiam = byMagnitude ? 1 : 0;
    camera::settingsChanged(1);
}

}  // namespace render
