// Builds the catalogue's star octree and the order of the star records, for the real catalogue
// and for synthetic ones (any star list: positions and absolute magnitudes).
//
// Contract. The root cube spans ±catalog::kTreeHalfSize light years. A box is split into eight
// octants (x upper half when bit 1 of the octant number is set, y upper when bit 0 is set, z in
// the LOWER half when bit 2 is set) until it holds at most `leafCapacity` stars or `maxDepth`
// levels are reached; a point on a dividing plane goes to the upper half, so every star lies in
// exactly one leaf. Each leaf's stars form one run of consecutive records, brightest first
// (ascending absolute magnitude, ties by input order), whose last record carries
// catalog::kLastOfRun. Runs follow the depth-first order of the tree, except that the runs are
// rearranged (exact subset sum over run sizes) so that an optional pinned star — the Sun — lands
// at a fixed record index. Stars outside the root cube are refused.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalog/catalog_records.h"

namespace sky {

struct TreeStar {
    double x = 0, y = 0, z = 0;  // light years
    double absMag = 0;
};

struct TreeOptions {
    uint32_t leafCapacity = 64;
    int maxDepth = 40;
    int64_t pinnedStar = -1;      // input index of the star to pin, -1 none
    uint32_t pinnedIndex = 0;     // the record index it must get
};

struct TreeLayout {
    std::vector<uint32_t> order;          // order[k]: input index of the star stored at record k
    std::vector<uint8_t> lastOfRun;       // per record: 1 when it ends its leaf run
    std::vector<catalog::TreeNode> nodes; // node 0 is the root
    uint32_t leafCount = 0;
    int depth = 0;                        // deepest level of a leaf (root children: 1)
    uint32_t largestRun = 0;
};

// 1 on success; 0 with `error` set (a star outside the cube, too many stars or nodes, or no
// arrangement that puts the pinned star at its index).
int buildStarTree(const std::vector<TreeStar>& stars, const TreeOptions& options, TreeLayout& out, std::string& error);

// The number of star records the renderer's collection reads for a camera at `camera` with
// magnitude limit `magLimit` and cut slope `slope`: the leaf node holding the camera is read in
// full, every other run until its first star fainter than the node's cut. `stars` are in record
// order (after `order` is applied). Also returns how many stars pass the limit.
struct CollectionCost {
    uint64_t read = 0;
    uint64_t visible = 0;
};
CollectionCost collectionCost(const std::vector<catalog::TreeNode>& nodes, const std::vector<TreeStar>& stars,
                              const std::vector<uint8_t>& lastOfRun, double cx, double cy, double cz,
                              double magLimit, double slope);

}  // namespace sky
