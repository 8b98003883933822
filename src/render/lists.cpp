// Storage of the render lists, their counts and the far-to-near sort.
#include "render/lists.h"

#include <cstring>

#include "render/render.h"

namespace render {

namespace {
SkyLists storage;
}  // namespace

SkyLists& lists() { return storage; }

void resetLists() {
    storage.sky.count = 0;
    storage.stars.count = 0;
    storage.deepSky.count = 0;
    storage.texts.count = 0;
    storage.lines.count = 0;
    storage.spots.count = 0;
    storage.nebulaPoints.count = 0;
    storage.local.count = 0;
}

namespace {

SkyListItem scratch[kSkyListCapacity];  // the radix sort's second buffer

// The distance's bits as an unsigned key in the same order (negative values, which no collector
// makes, and NaNs sort without undefined behaviour, at the ends).
uint64_t orderKey(double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return (bits & 0x8000000000000000ull) ? ~bits : bits | 0x8000000000000000ull;
}

constexpr int kShortList = 64;  // shorter lists: insertion sort

}  // namespace

// A least-significant-digit radix sort on the key bits, 8 bits a pass, skipping the passes in
// which every key has the same digit: a rebuild sorts tens of thousands of items (a nebula model
// alone gives up to 131,072), which a comparison sort pays for in mispredicted branches. Among
// equal distances the item added later comes first, so that it is drawn last: a label over the
// object it names.
void sortSkyItems(SkyListItem* items, int count) {
    if (count < 2) return;
    // A longer array than the scratch holds (only tests make one) takes the comparison sort.
    if (count > kSkyListCapacity) return sortByKey(items, count, &SkyListItem::distance);
    if (count < kShortList) {
        for (int i = 1; i < count; ++i) {
            const SkyListItem item = items[i];
            int k = i - 1;
            while (k >= 0 && items[k].distance >= item.distance) {
                items[k + 1] = items[k];
                --k;
            }
            items[k + 1] = item;
        }
        return;
    }
    uint32_t histogram[8][256] = {};
    for (int i = 0; i < count; ++i) {
        const uint64_t key = orderKey(items[i].distance);
        for (int d = 0; d < 8; ++d) ++histogram[d][(key >> (8 * d)) & 0xFF];
    }
    SkyListItem* from = items;
    SkyListItem* to = scratch;
    bool reversed = false;  // the first pass taken reads the items last to first
    for (int d = 0; d < 8; ++d) {
        uint32_t* h = histogram[d];
        bool trivial = false;
        for (int b = 0; b < 256; ++b)
            if (h[b] == static_cast<uint32_t>(count)) trivial = true;
        if (trivial) continue;
        uint32_t offset = 0;
        for (int b = 0; b < 256; ++b) {
            const uint32_t n = h[b];
            h[b] = offset;
            offset += n;
        }
        const int shift = 8 * d;
        if (!reversed) {
            for (int i = count - 1; i >= 0; --i) to[h[(orderKey(from[i].distance) >> shift) & 0xFF]++] = from[i];
            reversed = true;
        } else {
            for (int i = 0; i < count; ++i) to[h[(orderKey(from[i].distance) >> shift) & 0xFF]++] = from[i];
        }
        std::swap(from, to);
    }
    if (!reversed) {
        // Every key equal: later items first, as above.
        for (int i = 0, k = count - 1; i < k; ++i, --k) std::swap(items[i], items[k]);
        return;
    }
    if (from != items) std::memcpy(items, from, sizeof(SkyListItem) * static_cast<size_t>(count));
}

void sortLocalItems(LocalItem* items, int count) { sortByKey(items, count, &LocalItem::key); }

ListCounts listCounts() {
    return {storage.sky.count,   storage.stars.count, storage.deepSky.count,
            storage.texts.count, storage.lines.count, storage.spots.count,
            storage.nebulaPoints.count, storage.local.count};
}

ListCounts listCapacities() {
    return {kSkyListCapacity,  kStarListCapacity, kDsmListCapacity,   kTextListCapacity,
            kLineListCapacity, kSpotListCapacity, kNeb3dListCapacity, kSkyListCapacity};
}

int32_t skyListObject(int index) {
    if (index < 0 || index >= storage.sky.count) return -1;
    const SkyListItem& item = storage.sky.items[index];
    if (item.kind == kSkyStar) return storage.stars.items[item.entry].id;
    if (item.kind == kSkyDeepSky) return storage.deepSky.items[item.entry].id;
    return -2;
}

}  // namespace render
