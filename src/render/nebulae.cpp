// The 3D nebula models: their files and table, the collection of their points for the sky and
// for the local chart, and the drawing of a nebula point with its dotted disc.
#include "render/nebulae.h"

#include <cmath>
#include <cstring>

#include "base/app.h"
#include "base/log.h"
#include "render/sky_internal.h"
#include "video/video.h"
#include "vfs/vfs.h"

namespace render {

namespace {

struct NebulaFiles {
    const char* model;
    const char* colours;
};

constexpr NebulaFiles kFiles[kNebulaModels] = {
    {"m42.neb3d", "m42.nebcol"},         {"bernardloop.neb3d", "bernardloop.nebcol"},
    {"ngc1977.neb3d", "ngc1977.nebcol"}, {"m31.neb3d", "m31.nebcol"},
    {"lmc.neb3d", "lmc.nebcol"},         {"smc.neb3d", "smc.nebcol"},
    {"b33.neb3d", "b33.nebcol"},         {"m8.neb3d", "m8.nebcol"},
    {"ngc7000.neb3d", "ngc7000.nebcol"}, {"ngc6910.neb3d", "ngc6910.nebcol"},
    {"m16.neb3d", "m16.nebcol"},         {"m17.neb3d", "m17.nebcol"},
    {"coalsack.neb3d", "coalsack.nebcol"},
};

// The nebulae (by the name codes of the deep-sky catalogue) that are drawn from a model. Slot 9
// has none: NGC 6910 is loaded with the others and never drawn.
struct NameSlot {
    uint32_t nameCode;
    int slot;
};
constexpr NameSlot kNameSlots[] = {
    {0x0D000005, 0},   // M 42
    {0x0D000003, 1},   // Barnard's Loop
    {0x030007B9, 2},   // NGC 1977
    {0x0900001F, 3},   // M 31
    {0x0D00000F, 4},   // Large Magellanic Cloud
    {0x0D000010, 5},   // Small Magellanic Cloud
    {0x0D000011, 6},   // Barnard 33
    {0x09000008, 7},   // M 8
    {0x03001B58, 8},   // NGC 7000
    {0x09000010, 10},  // M 16
    {0x09000011, 11},  // M 17
    {0x0D00000B, 12},  // Coalsack
    {0x0F0000F5, 12},
};

struct Slot {
    NebulaModel model;
    bool hasModel = false;
    bool hasColours = false;
    uint32_t colours[kNebulaColours] = {};
};
Slot slots[kNebulaSlots];

bool validSlot(int slot) { return slot >= 0 && slot < kNebulaSlots; }

// The far form below this squared distance of the object, ly²: 600 light years.
constexpr double kDepthDistance2 = 360000.0;
constexpr int kDepthStep = 16;        // units of p / 2 between the points of a cell's column
constexpr double kSizeScale = 180.0;  // dot size = brightness × 180 / distance in ly

Vector3 readAxis(const double v[3]) { return {v[0], v[1], v[2]}; }

bool unitAxis(const Vector3& a) {
    const double l2 = vmath::lengthSquared(a);
    // About unit length; far from it, the model would be drawn stretched or collapsed.
    return std::isfinite(l2) && l2 > 0.25 && l2 < 4.0;
}

const NebulaCell* cellsOf(const NebulaModel& m) { return reinterpret_cast<const NebulaCell*>(m.cells); }

// One point of a model in the sky: on the sky sphere at its direction, sized by its distance.
// false when the lists are full.
bool addSkyPoint(const Vector3& q, uint32_t colour, int brightness) {
    SkyLists& l = lists();
    const double d2 = vmath::lengthSquared(q);
    // A point at the camera has no direction; one too far for a double has no distance.
    if (!(d2 > 0.0) || !std::isfinite(d2)) return true;
    if (l.nebulaPoints.full() || l.sky.full()) return false;
    const double d = vmath::fastSqrt(d2);
    const int index = l.nebulaPoints.count;
    NebulaPoint& e = *l.nebulaPoints.add();
    e.dir = vmath::operator*(q, vmath::kSkyRadius / d);
    e.colour = colour;
    e.size = truncToInt(brightness * kSizeScale / d);
    return addSkyItem(kSkyNebulaPoint, index, d);
}

}  // namespace

bool parseNebulaModel(const uint8_t* data, size_t size, NebulaModel& out, const char** why) {
    auto refuse = [&](const char* reason) {
        if (why) *why = reason;
        return false;
    };
    if (data == nullptr || size < kNebulaModelBytes) return refuse("shorter than a model");
    NebulaFileHeader h;
    std::memcpy(&h, data, sizeof h);
    NebulaModel m;
    m.depthAxis = readAxis(h.depthAxis);
    m.columnAxis = readAxis(h.columnAxis);
    m.rowAxis = readAxis(h.rowAxis);
    m.extent = h.extent;
    if (!unitAxis(m.depthAxis) || !unitAxis(m.columnAxis) || !unitAxis(m.rowAxis))
        return refuse("an axis is not a unit vector");
    if (!(m.extent > 0.0 && m.extent <= kMaxNebulaExtent)) return refuse("extent out of range");
    m.cells = data + sizeof h;
    out = m;
    return true;
}

bool parseNebulaColours(const uint8_t* data, size_t size, const draw::PixelFormat& format,
                        uint32_t out[kNebulaColours]) {
    if (data == nullptr || size < kNebulaColourBytes) return false;
    for (int i = 0; i < kNebulaColours; ++i) {
        NebulaColour c;
        std::memcpy(&c, data + i * sizeof c, sizeof c);
        out[i] = draw::packColour(format, c.red, c.green, c.blue);
    }
    return true;
}

const char* nebulaModelFile(int slot) { return slot >= 0 && slot < kNebulaModels ? kFiles[slot].model : ""; }
const char* nebulaColourFile(int slot) { return slot >= 0 && slot < kNebulaModels ? kFiles[slot].colours : ""; }

int attachNebula(int slot, const uint8_t* model, size_t modelSize, const uint8_t* colours,
                 size_t colourSize, const draw::PixelFormat& format) {
    if (!validSlot(slot)) return 0;
    Slot& s = slots[slot];
    s = Slot{};
    const char* why = "";
    if (!parseNebulaModel(model, modelSize, s.model, &why)) {
        // A missing file was reported by the packs already.
        if (model != nullptr && app::mode.DB)
            logc::print(1, "\r\n\t\tNebula model of slot %d refused: %s", slot, why);
        return 0;
    }
    s.hasModel = true;
    s.hasColours = parseNebulaColours(colours, colourSize, format, s.colours);
    return s.hasColours ? 1 : 0;
}

int loadNebulae() {
    int usable = 0;
    for (int i = 0; i < kNebulaSlots; ++i) slots[i] = Slot{};
    for (int i = 0; i < kNebulaModels; ++i) {
        size_t modelSize = 0, colourSize = 0;
        const uint8_t* model = vfs::loadFile(kFiles[i].model, &modelSize);
        // Without its model a slot's colour file is not read.
        const uint8_t* colours = model ? vfs::loadFile(kFiles[i].colours, &colourSize) : nullptr;
        usable += attachNebula(i, model, modelSize, colours, colourSize, video::state.format);
    }
    return usable;
}

int nebulaSlot(uint32_t nameCode) {
    for (const NameSlot& n : kNameSlots)
        if (n.nameCode == nameCode) return n.slot;
    return -1;
}

const NebulaModel* nebulaModel(int slot) {
    if (!validSlot(slot) || !slots[slot].hasModel || !slots[slot].hasColours) return nullptr;
    return &slots[slot].model;
}

const uint32_t* nebulaColours(int slot) { return nebulaModel(slot) ? slots[slot].colours : nullptr; }

void collectNebulaSky(int slot, const Vector3& offset) {
    const NebulaModel* m = nebulaModel(slot);
    if (m == nullptr) return;
    using vmath::operator+;
    using vmath::operator*;
    const NebulaCell* cells = cellsOf(*m);
    const uint32_t* colours = slots[slot].colours;
    const double p = m->extent / kNebulaGrid;
    // Small models are sampled more sparsely: they cover few pixels from anywhere.
    const int step = m->extent >= 16.0 ? 2 : 4;
    const bool far = vmath::lengthSquared(offset) >= kDepthDistance2;
    const Vector3 rowStep = m->rowAxis * p, columnStep = m->columnAxis * p, depthStep = m->depthAxis * (p / 2);
    for (int r = 0; r < kNebulaGrid; r += step) {
        const Vector3 rowBase = offset + rowStep * (r - kNebulaGrid / 2);
        for (int c = 0; c < kNebulaGrid; c += step) {
            const NebulaCell& cell = cells[r * kNebulaGrid + c];
            const int from = cell.depthFrom, to = cell.depthTo;
            const Vector3 q0 = rowBase + columnStep * (c - kNebulaGrid / 2);
            if (far) {
                if (from <= to && !addSkyPoint(q0, colours[cell.colour], cell.brightness)) return;
                continue;
            }
            for (int z = from; z < to; z += kDepthStep)
                if (!addSkyPoint(q0 + depthStep * z, colours[cell.colour], cell.brightness)) return;
        }
    }
}

void collectNebulaLocal(int slot, const Vector3& offset, double radius2) {
    const NebulaModel* m = nebulaModel(slot);
    if (m == nullptr) return;
    using vmath::operator+;
    using vmath::operator*;
    SkyLists& l = lists();
    const NebulaCell* cells = cellsOf(*m);
    const uint32_t* colours = slots[slot].colours;
    const double p = m->extent / kNebulaGrid;
    const Vector3 rowStep = m->rowAxis * p, columnStep = m->columnAxis * p, depthStep = m->depthAxis * (p / 2);
    for (int r = 0; r < kNebulaGrid; r += 2) {
        const Vector3 rowBase = offset + rowStep * (r - kNebulaGrid / 2);
        for (int c = 0; c < kNebulaGrid; c += 2) {
            const NebulaCell& cell = cells[r * kNebulaGrid + c];
            const Vector3 q0 = rowBase + columnStep * (c - kNebulaGrid / 2);
            for (int z = cell.depthFrom; z < cell.depthTo; z += kDepthStep) {
                const Vector3 q = q0 + depthStep * z;
                const double d2 = vmath::lengthSquared(q);
                if (!(d2 <= radius2)) continue;
                if (l.nebulaPoints.full() || l.sky.full()) return;
                const int index = l.nebulaPoints.count;
                NebulaPoint& e = *l.nebulaPoints.add();
                e.dir = q;
                e.colour = colours[cell.colour];
                e.size = 1;
                addSkyItem(kSkyNebulaPoint, index, vmath::fastSqrt(d2));
            }
        }
    }
}

namespace {

int discShift(int64_t r) { return r >= 32 ? 2 : 1; }

// The dotted disc is drawn: r within the picture's width and the centre on the surface.
bool discDrawn(const draw::Surface& s, int x, int y, int64_t r) {
    return s.pixels != nullptr && r >= 0 && r <= s.maxX() && x >= 0 && y >= 0 && x < s.width && y < s.height;
}

// The lattice columns either side of the centre on each lattice row k = 0 … r / step of the
// disc: the pixels with (2dx)² + (2dy)² ≤ (2r + 1)², the filled ellipse of the drawing layer.
// The half-width only shrinks from the middle row outwards, so it is found by counting down.
int32_t halfColumns[draw::kMaxSide + 1];

void fillHalfColumns(int64_t r, int shift) {
    const int64_t outer2 = (2 * r + 1) * (2 * r + 1), rows = r >> shift;
    int64_t half = r;
    for (int64_t k = 0; k <= rows; ++k) {
        const int64_t dy = k << shift, q = outer2 - 4 * dy * dy;
        while (half > 0 && 4 * half * half > q) --half;
        halfColumns[k] = static_cast<int32_t>(half >> shift);
    }
}

}  // namespace

void drawDottedDisc(draw::Surface& s, int x, int y, int64_t r, uint32_t colour) {
    if (!discDrawn(s, x, y, r)) return;
    const int shift = discShift(r);
    fillHalfColumns(r, shift);
    // Lattice rows and columns about the centre, clipped to the surface.
    const int64_t rowFirst = std::max(-(r >> shift), -(static_cast<int64_t>(y) >> shift));
    const int64_t rowLast = std::min(r >> shift, (static_cast<int64_t>(s.height) - 1 - y) >> shift);
    const int64_t columnFirst = -(static_cast<int64_t>(x) >> shift);
    const int64_t columnLast = (static_cast<int64_t>(s.width) - 1 - x) >> shift;
    for (int64_t k = rowFirst; k <= rowLast; ++k) {
        const int64_t half = halfColumns[k < 0 ? -k : k];
        const int64_t first = std::max(-half, columnFirst), last = std::min(half, columnLast);
        uint32_t* row = s.pixels + (y + (k << shift)) * s.pitch + x;
        for (int64_t c = first; c <= last; ++c) row[c << shift] = colour;
    }
}

void drawNebulaPoint(draw::Surface& s, const NebulaPoint& e, int x, int y) {
    draw::putPixel(s, x, y, e.colour);
    // Taken as unsigned: a negative size (a dark cell) is larger than any picture, so such a
    // point shows as its centre pixel alone.
    const uint32_t size = static_cast<uint32_t>(e.size);
    const uint32_t r = size / 2;
    if (size > 15) {
        drawDottedDisc(s, x, y, r, e.colour);
    } else if (size > 3) {
        draw::setColour(s, e.colour);
        draw::fillEllipse(s, x, y, static_cast<int>(r), static_cast<int>(r));
    }
}

}  // namespace render
