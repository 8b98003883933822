// Fuzz target: arbitrary bytes as the eight catalogue files, then every query over them.
//
// Input: eight little-endian 16-bit lengths, then the files' bytes one after another (lengths
// are cut to what is left; the last file takes the rest). Each file is copied into a buffer of
// exactly its size so that any read past a file's end is caught.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "catalog/catalog.h"

using namespace catalog;

namespace {

void queryStar(uint32_t index) {
    StarInfo info;
    starInfo(index, Vector3{1, 2, 3}, info);
    char name[kNameSize];
    starName(index, name);
    longNames = 1;
    starName(index, name);
    longNames = 0;
    int count = componentCount(index);
    ComponentInfo component;
    int walked = 0;
    if (firstComponent(index, component)) {
        walked = 1;
        while (nextComponent(component)) ++walked;
    }
    if (walked != count) __builtin_trap();  // the walk and the count must agree
    Vector3 p;
    objectPosition(index, p);
    uint32_t leaf;
    findLeafNode(rootBox(), 0, info.position, leaf);
    char path[kMaxTreeDepth + 1];
    treePath(info.position, path, sizeof path);
    char note[64];
    noteText(index, note, sizeof note);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr size_t kHeader = 2 * kCatalogFileCount;
    if (size < kHeader) return 0;
    std::vector<uint8_t> files[kCatalogFileCount];
    size_t offset = kHeader;
    for (int f = 0; f < kCatalogFileCount; ++f) {
        size_t left = size - offset;
        size_t length = static_cast<size_t>(data[2 * f] | (data[2 * f + 1] << 8));
        if (f == kCatalogFileCount - 1 || length > left) length = left;
        files[f].assign(data + offset, data + offset + length);
        offset += length;
    }
    CatalogFiles catalogue;
    for (int f = 0; f < kCatalogFileCount; ++f) {
        // An empty vector has no buffer; pass null for it, as a missing block.
        catalogue.data[f] = files[f].empty() ? nullptr : files[f].data();
        catalogue.size[f] = files[f].size();
    }
    catalogAttach(catalogue);

    uint32_t stars = starCount();
    for (uint32_t i = 0; i < stars && i < 64; ++i) queryStar(i);
    queryStar(stars);  // one past the end

    uint32_t deepSky = deepSkyCount();
    for (uint32_t i = 0; i <= deepSky && i < 64; ++i) {
        DeepSkyInfo info;
        deepSkyInfo(kDeepSkyBase + i, Vector3{1, 2, 3}, info);
        Vector3 p;
        objectPosition(kDeepSkyBase + i, p);
        char note[64];
        noteText(kDeepSkyBase + i, note, sizeof note);
    }
    // Components by identifier, as the information text reads them.
    for (uint32_t i = 0; i < 4; ++i) {
        Vector3 p;
        objectPosition(kComponentBase + i, p);
    }

    // Points on shared faces and corners of the top levels, and outside the root.
    const double edges[] = {-200000, -100000, 0, 100000, 200000, 300000};
    for (double x : edges)
        for (double y : edges) {
            uint32_t leaf;
            findLeafNode(rootBox(), 0, Vector3{x, y, -x}, leaf);
            char path[16];
            treePath(Vector3{x, y, y}, path, sizeof path);
        }

    // Names: exact lookups of names the catalogue bears (they must be found), and searches.
    char name[kNameSize];
    if (stars > 0) {
        StarRecord first;
        readStar(0, first);
        mainDesignation(first.designation, name);
        if (name[0] && findByName(name) == kNoObject) __builtin_trap();
    }
    if (deepSky > 0) {
        deepSkyName(kDeepSkyBase, name);
        if (name[0] && findByName(name) == kNoObject) __builtin_trap();
    }
    findByName("Sol");
    int hits = 0;
    for (ObjectId id = searchNext(kNoObject, "* ?*"); id != kNoObject && hits < 200; id = searchNext(id, "* ?*"))
        ++hits;
    return 0;
}
