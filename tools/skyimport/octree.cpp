// Octree building, leaf-run ordering with a pinned record, and the collection cost model.
#include "octree.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>

namespace sky {
namespace {

using catalog::TreeNode;

struct Box {
    double lo[3], hi[3];
};

Box octantBox(int octant, const Box& b) {
    Box o = b;
    double c[3] = {(b.lo[0] + b.hi[0]) / 2, (b.lo[1] + b.hi[1]) / 2, (b.lo[2] + b.hi[2]) / 2};
    if (octant & 2) o.lo[0] = c[0]; else o.hi[0] = c[0];
    if (octant & 1) o.lo[1] = c[1]; else o.hi[1] = c[1];
    if (octant & 4) o.hi[2] = c[2]; else o.lo[2] = c[2];
    return o;
}

int octantOf(const TreeStar& s, const Box& b) {
    double cx = (b.lo[0] + b.hi[0]) / 2, cy = (b.lo[1] + b.hi[1]) / 2, cz = (b.lo[2] + b.hi[2]) / 2;
    return (s.x >= cx ? 2 : 0) | (s.y >= cy ? 1 : 0) | (s.z < cz ? 4 : 0);
}

bool inBox(double x, double y, double z, const Box& b) {
    return x >= b.lo[0] && x <= b.hi[0] && y >= b.lo[1] && y <= b.hi[1] && z >= b.lo[2] && z <= b.hi[2];
}

Box rootBox() {
    double h = catalog::kTreeHalfSize;
    return Box{{-h, -h, -h}, {h, h, h}};
}

struct Builder {
    const std::vector<TreeStar>& stars;
    const TreeOptions& options;
    std::vector<TreeNode> nodes;
    std::vector<std::vector<uint32_t>> runs;  // input indexes, brightest first
    // Leaf entries are patched once the runs have their record indexes: (node, octant, run).
    struct Patch {
        uint32_t node;
        int octant;
        uint32_t run;
    };
    std::vector<Patch> patches;
    int depth = 0;

    uint32_t makeNode(const Box& box, std::vector<uint32_t>& members, int level) {
        uint32_t index = static_cast<uint32_t>(nodes.size());
        nodes.push_back(TreeNode{});
        std::vector<uint32_t> parts[8];
        for (uint32_t m : members) parts[octantOf(stars[m], box)].push_back(m);
        members.clear();
        members.shrink_to_fit();
        for (int o = 0; o < 8; ++o) {
            uint32_t entry = catalog::kTreeEmpty;
            if (parts[o].empty()) {
            } else if (parts[o].size() <= options.leafCapacity || level + 1 >= options.maxDepth) {
                std::sort(parts[o].begin(), parts[o].end(), [&](uint32_t a, uint32_t b) {
                    if (stars[a].absMag != stars[b].absMag) return stars[a].absMag < stars[b].absMag;
                    return a < b;
                });
                patches.push_back({index, o, static_cast<uint32_t>(runs.size())});
                runs.push_back(std::move(parts[o]));
                depth = std::max(depth, level + 1);
                entry = 0;
            } else {
                uint32_t child = makeNode(octantBox(o, box), parts[o], level + 1);
                entry = catalog::kTreeChildFlag | child;
            }
            nodes[index].octant[o] = entry;
        }
        return index;
    }
};

}  // namespace

int buildStarTree(const std::vector<TreeStar>& stars, const TreeOptions& options, TreeLayout& out, std::string& error) {
    out = TreeLayout{};
    if (stars.size() > 0x1000000u) {
        error = "more than 16,777,216 stars";
        return 0;
    }
    if (options.leafCapacity == 0) {
        error = "leaf capacity must be at least 1";
        return 0;
    }
    Box root = rootBox();
    std::vector<uint32_t> all(stars.size());
    std::iota(all.begin(), all.end(), 0u);
    for (uint32_t i : all)
        if (!inBox(stars[i].x, stars[i].y, stars[i].z, root) || !std::isfinite(stars[i].absMag)) {
            error = "star " + std::to_string(i) + " lies outside the root cube or has no magnitude";
            return 0;
        }
    Builder b{stars, options, {}, {}, {}, 0};
    b.makeNode(root, all, 0);
    if (b.nodes.size() > 0x1000000u) {
        error = "more than 16,777,216 tree nodes";
        return 0;
    }

    // Run order: depth first, with the runs before the pinned star's run chosen to add up to
    // exactly the record index it must start at.
    size_t runCount = b.runs.size();
    std::vector<uint32_t> runOrder;
    runOrder.reserve(runCount);
    if (options.pinnedStar >= 0) {
        uint32_t pinned = static_cast<uint32_t>(options.pinnedStar);
        size_t pinnedRun = runCount, within = 0;
        for (size_t r = 0; r < runCount && pinnedRun == runCount; ++r)
            for (size_t k = 0; k < b.runs[r].size(); ++k)
                if (b.runs[r][k] == pinned) {
                    pinnedRun = r;
                    within = k;
                    break;
                }
        if (pinnedRun == runCount || within > options.pinnedIndex) {
            error = "the pinned star cannot be placed at record " + std::to_string(options.pinnedIndex);
            return 0;
        }
        size_t target = options.pinnedIndex - within;
        // reach[s]: the run that first completed sum s (runs taken at most once), -1 unreached.
        std::vector<int32_t> reach(target + 1, -1);
        reach[0] = static_cast<int32_t>(runCount);  // the empty sum
        for (size_t r = 0; r < runCount && reach[target] < 0; ++r) {
            if (r == pinnedRun) continue;
            size_t n = b.runs[r].size();
            for (size_t s = target; s >= n; --s) {
                if (reach[s] < 0 && reach[s - n] >= 0 && (s - n == 0 || reach[s - n] != static_cast<int32_t>(r)))
                    reach[s] = static_cast<int32_t>(r);
                if (s == n) break;
            }
        }
        if (reach[target] < 0) {
            error = "no set of leaf runs adds up to record " + std::to_string(target);
            return 0;
        }
        std::vector<uint8_t> before(runCount, 0);
        for (size_t s = target; s > 0;) {
            uint32_t r = static_cast<uint32_t>(reach[s]);
            before[r] = 1;
            s -= b.runs[r].size();
        }
        for (size_t r = 0; r < runCount; ++r)
            if (before[r]) runOrder.push_back(static_cast<uint32_t>(r));
        runOrder.push_back(static_cast<uint32_t>(pinnedRun));
        for (size_t r = 0; r < runCount; ++r)
            if (!before[r] && r != pinnedRun) runOrder.push_back(static_cast<uint32_t>(r));
    } else {
        for (size_t r = 0; r < runCount; ++r) runOrder.push_back(static_cast<uint32_t>(r));
    }

    std::vector<uint32_t> firstRecord(runCount);
    out.order.reserve(stars.size());
    out.lastOfRun.reserve(stars.size());
    for (uint32_t r : runOrder) {
        firstRecord[r] = static_cast<uint32_t>(out.order.size());
        for (size_t k = 0; k < b.runs[r].size(); ++k) {
            out.order.push_back(b.runs[r][k]);
            out.lastOfRun.push_back(k + 1 == b.runs[r].size() ? 1 : 0);
        }
        out.largestRun = std::max<uint32_t>(out.largestRun, static_cast<uint32_t>(b.runs[r].size()));
    }
    for (const Builder::Patch& p : b.patches) b.nodes[p.node].octant[p.octant] = firstRecord[p.run];
    out.nodes = std::move(b.nodes);
    out.leafCount = static_cast<uint32_t>(runCount);
    out.depth = b.depth;
    if (options.pinnedStar >= 0 && out.order[options.pinnedIndex] != static_cast<uint32_t>(options.pinnedStar)) {
        error = "internal: the pinned star did not land at its record";
        return 0;
    }
    return 1;
}

CollectionCost collectionCost(const std::vector<catalog::TreeNode>& nodes, const std::vector<TreeStar>& stars,
                              const std::vector<uint8_t>& lastOfRun, double cx, double cy, double cz,
                              double magLimit, double slope) {
    CollectionCost cost;
    if (nodes.empty()) return cost;
    auto modulus = [](double d2) { return 2.5 * std::log10(d2 / (3.2616 * 3.2616)); };
    auto isChild = [](uint32_t e) { return e != catalog::kTreeEmpty && (e & 0xFF000000u) == catalog::kTreeChildFlag; };
    // The camera cell, as the renderer finds it (the last node whose octant holding the camera
    // is not subdivided, octants tried in order).
    uint32_t cameraNode = 0;
    std::function<void(const Box&, uint32_t, int)> find = [&](const Box& box, uint32_t node, int level) {
        if (node >= nodes.size() || level > 48) return;
        for (int o = 0; o < 8; ++o) {
            Box ob = octantBox(o, box);
            if (!inBox(cx, cy, cz, ob)) continue;
            uint32_t e = nodes[node].octant[o];
            if (!isChild(e)) {
                cameraNode = node;
                return;
            }
            find(ob, e & catalog::kTreeIndexMask, level + 1);
        }
    };
    find(rootBox(), 0, 0);
    std::function<void(const Box&, uint32_t, int)> walk = [&](const Box& box, uint32_t node, int level) {
        if (node >= nodes.size() || level > 48) return;
        double cut = 100.0;
        if (node != cameraNode) {
            double near2 = 1e20, far2 = 0;
            for (int k = 0; k < 8; ++k) {
                double x = (k & 1 ? box.hi[0] : box.lo[0]) - cx, y = (k & 2 ? box.hi[1] : box.lo[1]) - cy,
                       z = (k & 4 ? box.hi[2] : box.lo[2]) - cz;
                double d2 = x * x + y * y + z * z;
                near2 = std::min(near2, d2);
                far2 = std::max(far2, d2);
            }
            cut = std::fabs(modulus(far2 + 0.0001) - modulus(near2 + 0.0001)) * slope + magLimit;
        }
        for (int o = 0; o < 8; ++o) {
            uint32_t e = nodes[node].octant[o];
            if (e == catalog::kTreeEmpty) continue;
            if (isChild(e)) {
                walk(octantBox(o, box), e & catalog::kTreeIndexMask, level + 1);
                continue;
            }
            for (uint32_t s = e; s < stars.size(); ++s) {
                ++cost.read;
                double dx = stars[s].x - cx, dy = stars[s].y - cy, dz = stars[s].z - cz;
                double m = stars[s].absMag + modulus(dx * dx + dy * dy + dz * dz) - 5.0;
                if (m > cut) break;
                if (m < magLimit) ++cost.visible;
                if (lastOfRun[s]) break;
            }
        }
    };
    walk(rootBox(), 0, 0);
    return cost;
}

}  // namespace sky
