// The 3D nebula models: their files and table, the collection of their points for the sky and
// for the local chart, and the drawing of a nebula point with its dotted disc.
#include "render/nebulae.h"

#include <algorithm>
#include <bit>
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

// ---- Runs drawn nearest first ----------------------------------------------------------------------
//
// Seen from inside a nebula, its dotted discs are up to a few hundred pixels wide and pile up far
// to near: M 42 from 100 ly writes about 8 million pixels a frame, most of them to be written over
// again. A run is drawn nearest point first instead, and each pixel is written by the first point
// that reaches it, which is the one the far-to-near order leaves on top.
//
// The coverage mask holds one bit a pixel, split into the 16 classes of pixels (x mod 4, y mod 4),
// each a grid of its own: dots 4 apart are then the dots of one grid, dots 2 apart those of four.
// A grid is stored by columns of 64 dots, so that the words of a disc's consecutive rows lie next
// to each other: a disc of up to 63 dots across is a window of 64 bits slid along its lines, and
// two of its lines are marked and tested at once. The dots still to be written come out of a word
// 64 at a time, so a disc hidden behind nearer ones costs a few word operations for two rows. At
// 1920 × 1080 the mask takes 300 KB, which stays in the cache where the 8 MB of the picture does
// not; what a run has marked is cleared at its end.

namespace {

constexpr int kLattice = 4;                          // pixel classes along each axis
constexpr size_t kCoverageWords = size_t{1} << 19;   // 4 MB: up to about 8000 × 4000 pixels
uint64_t coverage[kCoverageWords];

// ---- Disc tables (built by the compiler)

constexpr int64_t isqrt(int64_t q) {
    int64_t lo = 0, hi = 1 << 16;
    while (lo < hi) {
        const int64_t mid = (lo + hi + 1) / 2;
        if (mid * mid <= q) lo = mid;
        else hi = mid - 1;
    }
    return lo;
}

// Half-width in pixels of row dy of the disc of radius r: the largest h with (2h)² ≤ (2r + 1)² − (2dy)².
constexpr int discHalf(int64_t r, int64_t dy) { return static_cast<int>(isqrt((2 * r + 1) * (2 * r + 1) - 4 * dy * dy) >> 1); }

// The windows: a disc of 32 ≤ r ≤ 127 pixels, dots 4 apart (at most 63 across), row k of its dots
// (−r/4 … r/4) as the bits 31 − h … 31 + h about the centre's bit 31.
constexpr int kWindowCentre = 31;
constexpr int kWindowFirst = 32, kWindowLast = 4 * kWindowCentre + 3;  // radii in pixels
struct DiscWindows {
    uint64_t rows[kWindowLast - kWindowFirst + 1][2 * kWindowCentre + 1];
};
constexpr DiscWindows makeDiscWindows() {
    DiscWindows w{};
    for (int r = kWindowFirst; r <= kWindowLast; ++r)
        for (int k = -(r >> 2); k <= r >> 2; ++k) {
            const int h = discHalf(r, 4 * k) >> 2;
            w.rows[r - kWindowFirst][k + kWindowCentre] = ((uint64_t{2} << (2 * h)) - 1) << (kWindowCentre - h);
        }
    return w;
}
constexpr DiscWindows kDiscWindows = makeDiscWindows();

// The windows of a disc with dots 2 apart (8 ≤ r < 32). Its rows k = −r/2 … r/2 of dots fall in
// two grid rows by the parity p of k, and each row's dots in two grid columns by the parity q of
// their index j (−h … h about the centre): window [r][q][p] holds the rows k ≡ p (mod 2) from the
// first one, dots j ≡ q (mod 2) as the bits of ((x + 2q) >> 2) + (j − q) / 2 about bit 31.
struct SmallWindows {
    uint64_t rows[32][2][2][16];
};
constexpr int smallFirstRow(int r, int p) { return -(r >> 1) + ((-(r >> 1) - p) & 1); }
constexpr SmallWindows makeSmallWindows() {
    SmallWindows w{};
    for (int r = 0; r < 32; ++r)
        for (int p = 0; p < 2; ++p)
            for (int k = smallFirstRow(r, p), line = 0; k <= r >> 1; k += 2, ++line) {
                const int h = discHalf(r, 2 * k) >> 1;
                for (int q = 0; q < 2; ++q) {
                    const int lo = -((h + q) >> 1), hi = (h - q) >> 1;
                    w.rows[r][q][p][line] = hi < lo ? 0 : ((uint64_t{2} << (hi - lo)) - 1) << (kWindowCentre + lo);
                }
            }
    return w;
}
constexpr SmallWindows kSmallWindows = makeSmallWindows();

// ---- The mask

// Word w of the lines of a grid, line 0 first. Columns −1 and lineWords are guards: a window
// that hangs over an edge of the picture puts only empty words there.
inline uint64_t* column(const NebulaRun& run, int grid, int w) {
    return run.mask + static_cast<size_t>(grid) * run.gridWords + static_cast<size_t>(w + 1) * run.gridRows;
}

// Marks the bits of `m` in a word and writes the dots among them that were not marked yet; dot b
// of the word is dots[4b].
inline void claimWord(uint64_t* word, uint64_t m, uint32_t* dots, uint32_t colour) {
    uint64_t fresh = m & ~*word;
    *word |= m;
    for (; fresh != 0; fresh &= fresh - 1) dots[4 * std::countr_zero(fresh)] = colour;
}

// The dots x0, x0 + Step, … ≤ x1 of pixel row y (Step 1, 2 or 4; all on the surface): one range of
// bits in each of the 4 / Step grids they fall in.
template <int Step>
void claimRow(NebulaRun& run, int y, int x0, int x1, uint32_t colour) {
    uint32_t* row = run.surface->pixels + static_cast<size_t>(y) * run.surface->pitch;
    for (int j = 0; j < kLattice / Step; ++j) {
        const int start = x0 + j * Step;
        if (start > x1) return;
        const int c = start & (kLattice - 1), lo = start >> 2, hi = lo + ((x1 - start) >> 2);
        uint64_t* line = column(run, (y & (kLattice - 1)) * kLattice + c, 0) + (y >> 2);
        uint32_t* dots = row + c;
        const int w0 = lo >> 6, w1 = hi >> 6;
        const uint64_t head = ~uint64_t{0} << (lo & 63), tail = ~uint64_t{0} >> (63 - (hi & 63));
        if (w0 == w1) {
            claimWord(line + static_cast<size_t>(w0) * run.gridRows, head & tail, dots + 256 * w0, colour);
            continue;
        }
        claimWord(line + static_cast<size_t>(w0) * run.gridRows, head, dots + 256 * w0, colour);
        for (int w = w0 + 1; w < w1; ++w)
            claimWord(line + static_cast<size_t>(w) * run.gridRows, ~uint64_t{0}, dots + 256 * w, colour);
        claimWord(line + static_cast<size_t>(w1) * run.gridRows, tail, dots + 256 * w1, colour);
    }
}

// Lines first … last of grid (a, b) (the pixels x ≡ a, y ≡ b mod 4), line first + i holding the
// dots centre − 31 + j for the bits j of masks[i] (the bits of dots off the surface are dropped).
inline __attribute__((always_inline)) void claimWindowLines(NebulaRun& run, int a, int b, int first, int last,
                                                            int centre, const uint64_t* masks, uint32_t colour) {
    const draw::Surface& s = *run.surface;
    const int base = centre - kWindowCentre, lastDot = (s.width - 1 - a) >> 2;
    const int keepFrom = std::max(0, -base), keepTo = std::min(63, lastDot - base);
    if (keepFrom > keepTo) return;
    const uint64_t keep = (~uint64_t{0} << keepFrom) & (~uint64_t{0} >> (63 - keepTo));
    // Dot base + j lies in word w = ⌊base / 64⌋ at bit (base mod 64) + j, or in word w + 1.
    const int w = base >> 6, shift = base & 63;
    uint64_t* low = column(run, b * kLattice + a, w);
    uint64_t* high = column(run, b * kLattice + a, w + 1);
    // The dots of line i still to be written, as bits of the window (bit j: dot base + j).
    uint64_t fresh[2 * kWindowCentre + 2];
    const int n = last - first + 1;
    // Four lines at a time (see claimWindowWide).
    using WordQuad = uint64_t __attribute__((vector_size(32)));
    WordQuad any = {0, 0, 0, 0};
    int i = 0;
    for (; i + 3 < n; i += 4) {
        WordQuad m, oldLow, oldHigh;
        std::memcpy(&m, masks + i, sizeof m);
        std::memcpy(&oldLow, low + first + i, sizeof oldLow);
        std::memcpy(&oldHigh, high + first + i, sizeof oldHigh);
        m &= keep;
        const WordQuad inLow = m << shift, inHigh = (m >> 1) >> (63 - shift);
        const WordQuad allLow = oldLow | inLow, allHigh = oldHigh | inHigh;
        std::memcpy(low + first + i, &allLow, sizeof allLow);
        std::memcpy(high + first + i, &allHigh, sizeof allHigh);
        const WordQuad now = m & ~((oldLow >> shift) | ((oldHigh << 1) << (63 - shift)));
        std::memcpy(fresh + i, &now, sizeof now);
        any |= now;
    }
    uint64_t anyWord = any[0] | any[1] | any[2] | any[3];
    for (; i < n; ++i) {
        const uint64_t m = masks[i] & keep;
        const uint64_t oldLow = low[first + i], oldHigh = high[first + i];
        fresh[i] = m & ~((oldLow >> shift) | ((oldHigh << 1) << (63 - shift)));
        low[first + i] = oldLow | (m << shift);
        high[first + i] = oldHigh | ((m >> 1) >> (63 - shift));
        anyWord |= fresh[i];
    }
    if (anyWord == 0) return;
    // A fresh dot is on the surface, so its index is at least 0.
    uint32_t* row = s.pixels + static_cast<size_t>(4 * first + b) * s.pitch + a;
    for (i = 0; i < n; ++i, row += 4 * s.pitch)
        for (uint64_t f = fresh[i]; f != 0; f &= f - 1) row[4 * (base + std::countr_zero(f))] = colour;
}

// The same lines built twice: for any processor, and for one with 256-bit vectors, where each
// four-line step is one operation. The run takes the wide one where the processor has it (see
// draw::widePaths).
void claimWindowPlain(NebulaRun& run, int a, int b, int first, int last, int centre, const uint64_t* masks,
                      uint32_t colour) {
    claimWindowLines(run, a, b, first, last, centre, masks, colour);
}
#if defined(__x86_64__)
__attribute__((target("avx2"))) void claimWindowWide(NebulaRun& run, int a, int b, int first, int last, int centre,
                                                     const uint64_t* masks, uint32_t colour) {
    claimWindowLines(run, a, b, first, last, centre, masks, colour);
}
#endif

void claimWindow(NebulaRun& run, int a, int b, int first, int last, int centre, const uint64_t* masks,
                 uint32_t colour) {
#if defined(__x86_64__)
    if (draw::widePaths()) return claimWindowWide(run, a, b, first, last, centre, masks, colour);
#endif
    claimWindowPlain(run, a, b, first, last, centre, masks, colour);
}

// Widens the part of the mask the run clears at its end to the pixel rows y0 … y1 and columns
// x0 … x1, clipped to the surface.
void touch(NebulaRun& run, int64_t y0, int64_t y1, int64_t x0, int64_t x1) {
    const draw::Surface& s = *run.surface;
    run.top = std::min(run.top, static_cast<int>(std::max<int64_t>(y0, 0) >> 2));
    run.bottom = std::max(run.bottom, static_cast<int>(std::min<int64_t>(y1, s.height - 1) >> 2));
    run.firstWord = std::min(run.firstWord, static_cast<int>(std::max<int64_t>(x0, 0) >> 8));
    run.lastWord = std::max(run.lastWord, static_cast<int>(std::min<int64_t>(x1, s.width - 1) >> 8));
}

// ---- Discs

// Half-widths of the rows of a disc outside the tables, in its own dots: row k (−r / step …
// r / step), indexed from the middle.
int32_t runHalfRows[2 * draw::kMaxSide + 1];
int32_t* const runHalf = runHalfRows + draw::kMaxSide;

void fillRunHalf(int r, int shift) {
    const int64_t outer2 = (2 * int64_t{r} + 1) * (2 * int64_t{r} + 1);
    for (int k = 0; k <= r >> shift; ++k) {
        const int64_t dy = int64_t{k} << shift;
        // floor(√q) of q < 2^31 is exact in doubles; h = floor(√q / 2) pixels.
        const int64_t root = static_cast<int64_t>(std::sqrt(static_cast<double>(outer2 - 4 * dy * dy)));
        runHalf[k] = runHalf[-k] = static_cast<int32_t>((root >> 1) >> shift);
    }
}

// A dotted disc (drawn: see discDrawn) of dots 4 apart and 32 ≤ r ≤ 127: one window, row k in
// grid line (y >> 2) + k.
void claimWindowDisc(NebulaRun& run, int x, int y, int r, uint32_t colour) {
    const draw::Surface& s = *run.surface;
    const int a = x & 3, b = y & 3, rows = r >> 2;
    const int first = std::max(-rows, -(y >> 2)), last = std::min(rows, ((s.height - 1 - b) >> 2) - (y >> 2));
    claimWindow(run, a, b, (y >> 2) + first, (y >> 2) + last, x >> 2,
                kDiscWindows.rows[r - kWindowFirst] + kWindowCentre + first, colour);
}

// A dotted disc of dots 2 apart (8 ≤ r < 32): four windows, one for each grid its dots fall in.
void claimSmallDisc(NebulaRun& run, int x, int y, int r, uint32_t colour) {
    const draw::Surface& s = *run.surface;
    const int rows = r >> 1;
    const int rowFirst = std::max(-rows, -(y >> 1)), rowLast = std::min(rows, (s.height - 1 - y) >> 1);
    for (int p = 0; p < 2; ++p) {
        // Rows k ≡ p (mod 2) lie in grid row class (y + 2p) mod 4, line ((y + 2p) >> 2) + (k − p) / 2.
        const int k = rowFirst + ((rowFirst - p) & 1);
        if (k > rowLast) continue;
        const int lineY = y + 2 * k, b = lineY & 3, firstLine = lineY >> 2, lines = (rowLast - k) / 2 + 1;
        const int skip = (k - smallFirstRow(r, p)) / 2;
        for (int q = 0; q < 2; ++q)
            claimWindow(run, (x + 2 * q) & 3, b, firstLine, firstLine + lines - 1, (x + 2 * q) >> 2,
                        kSmallWindows.rows[r][q][p] + skip, colour);
    }
}

// Any other dotted disc, row by row.
template <int Shift>
void claimDottedDisc(NebulaRun& run, int x, int y, int r, uint32_t colour) {
    const draw::Surface& s = *run.surface;
    fillRunHalf(r, Shift);
    const int rows = r >> Shift;
    const int rowFirst = std::max(-rows, -(y >> Shift)), rowLast = std::min(rows, (s.height - 1 - y) >> Shift);
    const int columnFirst = -(x >> Shift), columnLast = (s.width - 1 - x) >> Shift;
    for (int k = rowFirst; k <= rowLast; ++k) {
        const int half = runHalf[k];
        const int first = std::max(-half, columnFirst), last = std::min(half, columnLast);
        claimRow<1 << Shift>(run, y + (k << Shift), x + (first << Shift), x + (last << Shift), colour);
    }
}

// The small filled disc at (x, y), the drawing layer's filled ellipse of radii (r, r) as it clips
// it: the centre may lie off the surface.
void claimFilledDisc(NebulaRun& run, int x, int y, int r, uint32_t colour) {
    const draw::Surface& s = *run.surface;
    const int64_t top = std::max<int64_t>(int64_t{y} - r, 0), bottom = std::min<int64_t>(int64_t{y} + r, s.height - 1);
    if (top > bottom || int64_t{x} + r < 0 || int64_t{x} - r > s.width - 1) return;
    touch(run, top, bottom, int64_t{x} - r, int64_t{x} + r);
    fillRunHalf(r, 0);
    for (int v = static_cast<int>(top); v <= static_cast<int>(bottom); ++v) {
        const int half = runHalf[v - y];
        const int64_t first = std::max<int64_t>(int64_t{x} - half, 0), last = std::min<int64_t>(int64_t{x} + half, s.width - 1);
        if (first <= last) claimRow<1>(run, v, static_cast<int>(first), static_cast<int>(last), colour);
    }
}

}  // namespace

bool beginNebulaRun(NebulaRun& run, draw::Surface& s) {
    if (s.pixels == nullptr || s.width <= 0 || s.height <= 0) return false;
    const size_t lineWords = (static_cast<size_t>(s.width + kLattice - 1) / kLattice + 63) / 64;
    const size_t gridRows = static_cast<size_t>(s.height + kLattice - 1) / kLattice;
    // Two guard columns.
    const size_t gridWords = (lineWords + 2) * gridRows;
    if (gridWords * kLattice * kLattice > kCoverageWords) return false;
    run = NebulaRun{};
    run.surface = &s;
    run.mask = coverage;
    run.lineWords = static_cast<int>(lineWords);
    run.gridRows = static_cast<int>(gridRows);
    run.gridWords = static_cast<int>(gridWords);
    return true;
}

void drawNebulaRunPoint(NebulaRun& run, const NebulaPoint& e, int x, int y) {
    const draw::Surface& s = *run.surface;
    const bool onSurface = x >= 0 && y >= 0 && x < s.width && y < s.height;
    // As drawNebulaPoint: the centre pixel, then the disc by the size taken as unsigned. Either
    // disc holds the centre pixel when it lies on the surface.
    const uint32_t size = static_cast<uint32_t>(e.size), r = size / 2;
    if (size > 15 && onSurface && static_cast<int64_t>(r) <= s.maxX()) {
        const int radius = static_cast<int>(r);
        touch(run, int64_t{y} - r, int64_t{y} + r, int64_t{x} - r, int64_t{x} + r);
        if (radius < 32) claimSmallDisc(run, x, y, radius, e.colour);
        else if (radius <= kWindowLast) claimWindowDisc(run, x, y, radius, e.colour);
        else claimDottedDisc<2>(run, x, y, radius, e.colour);
    } else if (size > 3 && size <= 15) {
        claimFilledDisc(run, x, y, static_cast<int>(r), e.colour);
    } else if (onSurface) {
        touch(run, y, y, x, x);
        claimRow<1>(run, y, x, x, e.colour);
    }
}

bool claimNebulaRunPixel(NebulaRun& run, int x, int y) {
    const draw::Surface& s = *run.surface;
    if (!(x >= 0 && y >= 0 && x < s.width && y < s.height)) return false;
    uint64_t& word = column(run, (y & 3) * kLattice + (x & 3), x >> 8)[y >> 2];
    const uint64_t bit = uint64_t{1} << ((x >> 2) & 63);
    if (word & bit) return false;
    word |= bit;
    touch(run, y, y, x, x);
    return true;
}

void endNebulaRun(NebulaRun& run) {
    if (run.mask != nullptr && run.top <= run.bottom) {
        const size_t lines = static_cast<size_t>(run.bottom - run.top + 1);
        for (int grid = 0; grid < kLattice * kLattice; ++grid)
            for (int w = run.firstWord; w <= run.lastWord; ++w) {
                uint64_t* from = column(run, grid, w) + run.top;
                std::fill(from, from + lines, 0);
            }
    }
    run = NebulaRun{};
}

}  // namespace render
