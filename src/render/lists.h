// The render lists of the sky: one fixed array per kind of drawable thing and the shared,
// depth-sorted SkyList that the frame draws from the farthest item to the nearest. Private to
// the render subsystem (its collectors, the draw loop and its tests).
//
// Every list is a fixed array sized once for the whole run; a build starts from empty lists and
// a collector whose list (or the SkyList) is full stops adding things of its kind. All points
// are relative to the camera and lie on the sky sphere (vmath::kSkyRadius km): the direction
// times kSkyRadius, or for a line its two ends scaled by the distance of its midpoint so that
// its angular size is kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

#include "base/vecmath.h"
#include "render/scene.h"

namespace render {

// ---- Records ------------------------------------------------------------------------------------

enum SkyKind : int32_t {
    kSkyStar = 1,
    kSkyLine = 2,
    kSkyText = 3,
    kSkyDeepSky = 5,
    kSkyGalaxySpot = 6,
    kSkyNebulaPoint = 7,
};

// One item of the depth-sorted list. `entry` is the record's index in the list of its kind: an
// index rather than a pointer keeps the item at 16 bytes on a 64-bit build.
struct SkyListItem {
    int32_t kind;     // SkyKind
    uint32_t entry;   // index into the list of that kind
    double distance;  // sort key: light years from the camera (a line: of its midpoint)
};
static_assert(sizeof(SkyListItem) == 16);
static_assert(offsetof(SkyListItem, kind) == 0 && offsetof(SkyListItem, entry) == 4 &&
              offsetof(SkyListItem, distance) == 8);

// StarEntry::starFlags bits.
constexpr uint16_t kStarBright = 0x1;    // apparent magnitude below 0: drawn as a glow
constexpr uint16_t kStarLabelled = 0x2;  // brighter than labelMagLimit: green label
constexpr uint16_t kStarLocal = 0x4;     // nearer than vradius: red label

struct StarEntry {
    Vector3 dir;          // unit direction from the camera × kSkyRadius, km
    int32_t id;           // star index
    uint16_t starFlags;   // kStar* bits
    uint8_t colourClass;  // ramp row: 0–127 from B−V, 128 grey
    uint8_t level;        // ramp intensity of a point star; glow size r of a bright star
};
static_assert(sizeof(StarEntry) == 32);
static_assert(offsetof(StarEntry, id) == 24 && offsetof(StarEntry, starFlags) == 28 &&
              offsetof(StarEntry, colourClass) == 30 && offsetof(StarEntry, level) == 31);

struct DeepSkyEntry {
    Vector3 dir;          // direction on the sky sphere, km
    int32_t id;           // 0x1000000 + record index
    int32_t size;         // symbol size before zoom, pixels
    uint8_t symbol;       // 0 open cluster, 1 pulsar, 2 globular, 4 nebula; bit 7 no bitmap
    uint8_t colourClass;  // ramp row
    uint8_t level;        // ramp intensity
    uint8_t reserved[5];
};
static_assert(sizeof(DeepSkyEntry) == 40);
static_assert(offsetof(DeepSkyEntry, id) == 24 && offsetof(DeepSkyEntry, size) == 28 &&
              offsetof(DeepSkyEntry, symbol) == 32 && offsetof(DeepSkyEntry, colourClass) == 33 &&
              offsetof(DeepSkyEntry, level) == 34);

constexpr int kTextChars = 76;  // bytes of a text entry's text, terminator included

struct TextEntry {
    Vector3 point;            // on the sky sphere, km
    uint32_t colour;          // palette index 0–255, or kTextDeviceColour | pixel value
    char text[kTextChars];    // NUL-terminated
};
static_assert(sizeof(TextEntry) == 104);
static_assert(offsetof(TextEntry, colour) == 24 && offsetof(TextEntry, text) == 28);

struct LineEntry {
    Vector3 p1, p2;       // ends on the sky sphere (scaled by the midpoint's distance), km
    uint32_t colour;      // device pixel value, drawn as is
    int32_t ownColour;    // 1 marker lines; 0 depth-shaded lines of the local-space view
    uint8_t reserved[8];
};
static_assert(sizeof(LineEntry) == 64);
static_assert(offsetof(LineEntry, p2) == 24 && offsetof(LineEntry, colour) == 48 &&
              offsetof(LineEntry, ownColour) == 52);

struct SpotEntry {
    Vector3 dir;          // on the sky sphere, km
    int32_t size;         // spot size before zoom, pixels
    uint8_t subtype;      // which spot image: 0, 1 or 2
    uint8_t colourClass;  // ramp row
    uint8_t level;        // brightness
    uint8_t reserved;
};
static_assert(sizeof(SpotEntry) == 32);
static_assert(offsetof(SpotEntry, size) == 24 && offsetof(SpotEntry, subtype) == 28 &&
              offsetof(SpotEntry, colourClass) == 29 && offsetof(SpotEntry, level) == 30);

struct NebulaPoint {
    Vector3 dir;      // on the sky sphere, km
    uint32_t colour;  // device pixel value
    int32_t size;     // disc size before zoom, pixels (taken as unsigned when drawn)
};
static_assert(sizeof(NebulaPoint) == 32);
static_assert(offsetof(NebulaPoint, colour) == 24 && offsetof(NebulaPoint, size) == 28);

// ---- Capacities ---------------------------------------------------------------------------------

constexpr int kSkyListCapacity = 116000;
constexpr int kStarListCapacity = 116000;
// Room for every object of the shipped deep-sky catalogue (4,809, of which 3,217 pulsars that no
// magnitude test holds back): with fewer, the objects last in catalogue order (the nebulae) would
// be cut off whenever every type is shown.
constexpr int kDsmListCapacity = 8192;
constexpr int kTextListCapacity = 2560;
// Markers are at most 128; an arrow is 3 lines and a mark 2, so 384 would do. The local-space
// view's axes and sphere use this list too.
constexpr int kLineListCapacity = 4096;
constexpr int kSpotListCapacity = 16384;
constexpr int kNeb3dListCapacity = 131072;

// One record of the local-space view's draw list (rList), one per SkyList item, re-made every
// frame: the item's point in camera space (a line: both ends) and its squared distance from the
// eye, 2·vradius behind the camera's position, by which the list is sorted far to near.
struct LocalItem {
    int32_t kind;     // SkyKind of the item
    uint32_t entry;   // index into the list of that kind
    double key;       // squared eye distance, ly² (a line: of its midpoint)
    Vector3 a, b;     // camera-space point, ly; b is a line's second end
};
static_assert(sizeof(LocalItem) == 64);
static_assert(offsetof(LocalItem, key) == 8 && offsetof(LocalItem, a) == 16 && offsetof(LocalItem, b) == 40);

// ---- The lists ----------------------------------------------------------------------------------

// A fixed array and its count. Full lists refuse: add() returns null and changes nothing.
template <typename T, int Capacity>
struct FixedList {
    static constexpr int capacity = Capacity;
    T items[Capacity];
    int count = 0;

    bool full() const { return count >= Capacity; }
    T* add() { return count < Capacity ? &items[count++] : nullptr; }
};

struct SkyLists {
    FixedList<SkyListItem, kSkyListCapacity> sky;
    FixedList<StarEntry, kStarListCapacity> stars;
    FixedList<DeepSkyEntry, kDsmListCapacity> deepSky;
    FixedList<TextEntry, kTextListCapacity> texts;
    FixedList<LineEntry, kLineListCapacity> lines;
    FixedList<SpotEntry, kSpotListCapacity> spots;
    FixedList<NebulaPoint, kNeb3dListCapacity> nebulaPoints;
    FixedList<LocalItem, kSkyListCapacity> local;  // rList: the SkyList as local space draws it
};

// The program's lists (static storage: about 19 MB, touched only as far as they are filled).
SkyLists& lists();
void resetLists();

// Appends a sky-list item; false (nothing added) when the SkyList is full.
inline bool addSkyItem(SkyKind kind, int entry, double distance) {
    auto& sky = lists().sky;
    SkyListItem* item = sky.add();
    if (!item) return false;
    *item = {kind, static_cast<uint32_t>(entry), distance};
    return true;
}

// Sorts items[0..count) ascending by the double member `key`: Hoare partition around the middle
// item's key, short parts by insertion. Equal keys keep no defined order.
template <typename T>
void sortByKey(T* items, int count, double T::*key) {
    constexpr int kInsertionSortLength = 16;  // shorter parts: cheaper than partitioning them
    int lo = 0, hi = count - 1;
    while (hi - lo >= kInsertionSortLength) {
        const double pivot = items[lo + (hi - lo) / 2].*key;
        int i = lo - 1, j = hi + 1;
        for (;;) {
            do ++i; while (items[i].*key < pivot);
            do --j; while (items[j].*key > pivot);
            if (i >= j) break;
            std::swap(items[i], items[j]);
        }
        // [lo, j] and [j + 1, hi]. Recursing into the smaller part keeps the stack within
        // log2(count) levels for any input; the parts are sorted independently, so the order
        // produced does not depend on which part is recursed into.
        if (j - lo < hi - j) {
            sortByKey(items + lo, j - lo + 1, key);
            lo = j + 1;
        } else {
            sortByKey(items + j + 1, hi - j, key);
            hi = j;
        }
    }
    for (int i = lo + 1; i <= hi; ++i) {
        const T item = items[i];
        int k = i - 1;
        while (k >= lo && items[k].*key > item.*key) {
            items[k + 1] = items[k];
            --k;
        }
        items[k + 1] = item;
    }
}

// The SkyList ascending by distance, for the draw from the far end; among equal distances the
// item added later comes first (it is drawn over the others). Any count up to the SkyList's.
void sortSkyItems(SkyListItem* items, int count);
// The local view's rList ascending by its eye distance (sortByKey).
void sortLocalItems(LocalItem* items, int count);

}  // namespace render
