// Storage of the render lists, their counts and the far-to-near sort.
#include "render/lists.h"

#include <utility>

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
}

constexpr int kInsertionSortLength = 16;

// Hoare partition around the middle item's key. The part that is not recursed into is handled
// by the loop; recursing into the smaller part keeps the stack within log2(count) levels for
// any input, and the order produced is the same as with any other choice of part, since the
// two parts are sorted independently.
void sortSkyItems(SkyListItem* items, int count) {
    int lo = 0, hi = count - 1;
    while (hi - lo >= kInsertionSortLength) {
        const double pivot = items[lo + (hi - lo) / 2].distance;
        int i = lo - 1, j = hi + 1;
        for (;;) {
            do ++i; while (items[i].distance < pivot);
            do --j; while (items[j].distance > pivot);
            if (i >= j) break;
            std::swap(items[i], items[j]);
        }
        // [lo, j] and [j + 1, hi]
        if (j - lo < hi - j) {
            sortSkyItems(items + lo, j - lo + 1);
            lo = j + 1;
        } else {
            sortSkyItems(items + j + 1, hi - j);
            hi = j;
        }
    }
    // Short parts: insertion sort, cheaper than partitioning a handful of items.
    for (int i = lo + 1; i <= hi; ++i) {
        const SkyListItem item = items[i];
        int k = i - 1;
        while (k >= lo && items[k].distance > item.distance) {
            items[k + 1] = items[k];
            --k;
        }
        items[k + 1] = item;
    }
}

ListCounts listCounts() {
    return {storage.sky.count,   storage.stars.count, storage.deepSky.count,
            storage.texts.count, storage.lines.count, storage.spots.count,
            storage.nebulaPoints.count};
}

int32_t skyListObject(int index) {
    if (index < 0 || index >= storage.sky.count) return -1;
    const SkyListItem& item = storage.sky.items[index];
    if (item.kind == kSkyStar) return storage.stars.items[item.entry].id;
    if (item.kind == kSkyDeepSky) return storage.deepSky.items[item.entry].id;
    return -2;
}

}  // namespace render
