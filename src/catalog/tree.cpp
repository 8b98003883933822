// The spatial tree over the stars: boxes, octants, the leaf that holds a point and its path.
#include "catalog/catalog.h"
#include "catalog/catalog_internal.h"

namespace catalog {

namespace {

bool subdivided(uint32_t entry) { return (entry & 0xFF000000u) == kTreeChildFlag; }

// Both walks stop at kMaxTreeDepth and never read a node past the end of the tree file, so a
// malformed tree (a child index out of range, a child pointing back up) cannot run away.
void findLeafIn(const Box& box, uint32_t node, const Vector3& point, int depth, uint32_t& leaf,
                int& found) {
    TreeNode entries;
    if (depth >= kMaxTreeDepth || !readTreeNode(node, entries)) return;
    for (int octant = 0; octant < 8; ++octant) {
        Box child;
        octantBox(octant, box, child);
        if (!pointInBox(point, child)) continue;
        if (!subdivided(entries.octant[octant])) {
            leaf = node;
            found = 1;
            return;
        }
        findLeafIn(child, entries.octant[octant] & kTreeIndexMask, point, depth + 1, leaf, found);
    }
}

struct PathText {
    char* out;
    size_t capacity;
    size_t length;
};

void appendPath(PathText& text, char letter) {
    if (text.length + 1 < text.capacity) text.out[text.length++] = letter;
    text.out[text.length] = 0;
}

void treePathIn(const Box& box, uint32_t node, const Vector3& point, int depth, PathText& text) {
    TreeNode entries;
    if (depth >= kMaxTreeDepth || !readTreeNode(node, entries)) return;
    for (int octant = 0; octant < 8; ++octant) {
        Box child;
        octantBox(octant, box, child);
        if (!pointInBox(point, child)) continue;
        // The leaf ends this level's letters; a point on a face between a subdivided and a
        // leaf octant keeps the letters it already has.
        if (!subdivided(entries.octant[octant])) return;
        appendPath(text, static_cast<char>('A' + octant));
        treePathIn(child, entries.octant[octant] & kTreeIndexMask, point, depth + 1, text);
    }
}

}  // namespace

Box rootBox() { return Box{-kTreeHalfSize, -kTreeHalfSize, -kTreeHalfSize, kTreeHalfSize, kTreeHalfSize, kTreeHalfSize}; }

int pointInBox(const Vector3& p, const Box& b) {
    return p.x >= b.x0 && p.x <= b.x1 && p.y >= b.y0 && p.y <= b.y1 && p.z >= b.z0 && p.z <= b.z1;
}

int boxesOverlap(const Box& a, const Box& b) {
    const Box& small = (a.x1 - a.x0) < (b.x1 - b.x0) ? a : b;
    const Box& large = &small == &a ? b : a;
    for (int corner = 0; corner < 8; ++corner) {
        Vector3 p{(corner & 1) ? small.x1 : small.x0, (corner & 2) ? small.y1 : small.y0,
                  (corner & 4) ? small.z1 : small.z0};
        if (pointInBox(p, large)) return 1;
    }
    return 0;
}

void boxDistanceRange(const Box& box, const Vector3& point, double& minDistance2, double& maxDistance2) {
    minDistance2 = 1e20;
    maxDistance2 = 0;
    for (int corner = 0; corner < 8; ++corner) {
        Vector3 p{(corner & 1) ? box.x1 : box.x0, (corner & 2) ? box.y1 : box.y0,
                  (corner & 4) ? box.z1 : box.z0};
        double d2 = vmath::lengthSquared(vmath::operator-(p, point));
        if (d2 < minDistance2) minDistance2 = d2;
        if (d2 > maxDistance2) maxDistance2 = d2;
    }
}

void octantBox(int octant, const Box& box, Box& out) {
    double cx = (box.x0 + box.x1) * 0.5;
    double cy = (box.y0 + box.y1) * 0.5;
    double cz = (box.z0 + box.z1) * 0.5;
    Box child;
    if (octant & 2) { child.x0 = cx; child.x1 = box.x1; } else { child.x0 = box.x0; child.x1 = cx; }
    if (octant & 1) { child.y0 = cy; child.y1 = box.y1; } else { child.y0 = box.y0; child.y1 = cy; }
    if (octant & 4) { child.z0 = box.z0; child.z1 = cz; } else { child.z0 = cz; child.z1 = box.z1; }
    out = child;
}

int findLeafNode(const Box& box, uint32_t node, const Vector3& point, uint32_t& leafNode) {
    int found = 0;
    findLeafIn(box, node, point, 0, leafNode, found);
    return found;
}

int treePath(const Vector3& point, char* out, size_t capacity) {
    if (!out || capacity == 0) return 0;
    PathText text{out, capacity, 0};
    out[0] = 0;
    treePathIn(rootBox(), 0, point, 0, text);
    return static_cast<int>(text.length);
}

}  // namespace catalog
