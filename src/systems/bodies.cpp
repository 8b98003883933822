// The body list of the running star system: the mesh and surface-map slots, building the list
// from the system objects, sorting it far to near, and drawing stars, textured or flat body
// triangles, dots, rings, jets, orbit paths, markers with labels, brackets, the pick and the glare.
#include "systems/bodies.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "base/input_state.h"
#include "base/zode.h"
#include "render/linefont.h"
#include "render/sprites.h"
#include "systems/system.h"
#include "vfs/vfs.h"
#include "video/video.h"

namespace systems {

namespace {

using vmath::operator+;
using vmath::operator-;
using vmath::operator*;

// ---- Tables, mesh and slots ----------------------------------------------------------------------

double sines[kTableSteps], cosines[kTableSteps];

MeshTriangle mesh[kMaxMeshTriangles];
int meshCount = 0;

MapSlot slots[kMapSlots];

// Map, colour map and tint of each slot, in load order; slots 16 to 31 tint their colour map.
struct SlotSource {
    const char* map;
    const char* colourMap;
    bool tinted;
    int tint[3];  // red, green, blue
};
constexpr SlotSource kSlotSources[kMapSlots] = {
    {"moon.map", "moon.cmap", false, {}},          {"jupiter.map", "jupiter.cmap", false, {}},
    {"mercury.map", "gray.cmap", false, {}},       {"venus.map", "venus.cmap", false, {}},
    {"earth.map", "earth.cmap", false, {}},        {"emoon.map", "emoon.cmap", false, {}},
    {"mars.map", "mars.cmap", false, {}},          {"jupiter.map", "jupiter.cmap", false, {}},
    {"io.map", "io.cmap", false, {}},              {"europa.map", "gray.cmap", false, {}},
    {"ganymedes.map", "gray.cmap", false, {}},     {"calisto.map", "gray.cmap", false, {}},
    {"saturn.map", "saturn.cmap", false, {}},      {"uranus.map", "uranus.cmap", false, {}},
    {"neptune.map", "neptune.cmap", false, {}},    {"pluto.map", "pluto.cmap", false, {}},
    {"jupiter.map", "jupiter.cmap", true, {0, 0, 200}},
    {"uranus.map", "uranus.cmap", true, {190, 24, -128}},
    {"venus.map", "venus.cmap", true, {-75, 132, 128}},
    {"mars.map", "mars.cmap", true, {-50, 100, 175}},
    {"io.map", "earth.cmap", true, {200, 128, 64}},
    {"earth.map", "mars.cmap", true, {50, 50, 25}},
    {"jupiter.map", "jupiter.cmap", true, {190, -32, -32}},
    {"ganymedes.map", "gray.cmap", true, {200, 75, 0}},
    {"venus.map", "gray.cmap", true, {190, 24, -128}},
    {"emoon.map", "gray.cmap", true, {128, 0, 0}},
    {"ganymedes.map", "earth.cmap", true, {0, 0, 64}},
    {"venus.map", "jupiter.cmap", true, {32, 190, 175}},
    {"emoon.map", "jupiter.cmap", true, {16, 0, 0}},
    {"europa.map", "gray.cmap", true, {-32, 150, 128}},
    {"io.map", "earth.cmap", true, {8, 32, 64}},
    {"saturn.map", "mars.cmap", true, {32, 0, -128}},
};

double f64(const uint8_t* p) {
    double v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

Vector3 vec(const uint8_t* p) { return {f64(p), f64(p + 8), f64(p + 16)}; }

bool finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// ---- The body list ---------------------------------------------------------------------------

BodyListEntry entries[kMaxBodyList];
int entryCount = 0;

struct SortKey {
    double distance;
    int32_t index;
};
SortKey order[kMaxBodyList];

constexpr double kStep = kPi / 20.0;          // the tables' angle step
constexpr double kSizeScale = 400.0;          // apparent sizes are counted at this projection scale
constexpr double kJetStart = 1e4;             // km from the pulsar
constexpr double kPathNear = 10.0;            // km: segment ends nearer the eye plane are dropped
constexpr double kGreenStepKm = 2.244e9 / 2;  // path colour darkens every 7.5 AU
// Screen coordinates beyond this are far off any surface; a shape reaching there is dropped
// rather than drawn with numbers that no longer mean pixels. The drawing layer clips the rest.
constexpr double kScreenLimit = 1.0e6;
constexpr int kLabelPaletteColour = 48;  // blue
constexpr double kLabelScale = 2.0;
constexpr double kPickRadius2 = 25.0;    // squared pixels: within 5
constexpr double kNoPick = 10000.0;

Vector3 toCamera(const CameraRecord& c, const Vector3& world) {
    Vector3 v = world - c.SPos;
    vmath::transformToCamera(c.Cam, v);
    return v;
}

double length(const Vector3& v) { return std::sqrt(vmath::lengthSquared(v)); }

BodyListEntry* add(EntryKind kind, int object, double distance) {
    if (entryCount >= kMaxBodyList) return nullptr;
    BodyListEntry& e = entries[entryCount++];
    e.kind = kind;
    e.object = object;
    e.distance = distance;
    return &e;
}

uint32_t objectPixel(const draw::PixelFormat& f, uint32_t argb) {
    return draw::packColour(f, static_cast<int>((argb >> 16) & 0xFF), static_cast<int>((argb >> 8) & 0xFF),
                            static_cast<int>(argb & 0xFF));
}

void addSegment(EntryKind kind, int object, const Vector3& a, const Vector3& b, uint32_t colour) {
    BodyListEntry* e = add(kind, object, length((a + b) * 0.5));
    if (!e) return;
    e->p[0] = a;
    e->p[1] = b;
    e->colour = colour;
}

void addRing(const CameraRecord& c, int index, const SystemObject& o) {
    const double R = o.semiAxis * kKmPerAu;
    const uint32_t colour = objectPixel(video::state.format, o.colour);
    for (int k = 0; k < kTableSteps - 1; ++k) {
        const Vector3 a = toCamera(c, transform(o.orbitFrame, Vector3{cosines[k] * R, sines[k] * R, 0}) + o.position);
        const Vector3 b = toCamera(c, transform(o.orbitFrame, Vector3{cosines[k + 1] * R, sines[k + 1] * R, 0}) + o.position);
        if (a.z > 0 && b.z > 0) addSegment(kEntrySegment, index, a, b, colour);
    }
}

void addJets(const CameraRecord& c, int index, const SystemObject& o) {
    const double R = o.semiAxis * kKmPerAu;
    const uint32_t colour = objectPixel(video::state.format, o.colour);
    for (double sign : {1.0, -1.0}) {
        const Vector3 a = toCamera(c, o.position + Vector3{0, 0, sign * kJetStart});
        const Vector3 b = toCamera(c, o.position + Vector3{0, 0, sign * R});
        if (a.z > kPathNear && b.z > kPathNear) addSegment(kEntrySegment, index, a, b, colour);
    }
}

void addStar(const CameraRecord& c, int index, const SystemObject& o) {
    const Vector3 v = toCamera(c, o.position);
    if (!(v.z > 0)) return;
    const double d = length(v);
    if (BodyListEntry* e = add(kEntryStar, index, d)) e->p[0] = v;
    if (BodyListEntry* e = add(kEntryMarker, index, d - o.radius)) e->p[0] = v;
}

// Camera-space product Cam × B of the body frame, so that a mesh point goes to camera space in
// one step.
struct Frame {
    double m[3][3];
    Vector3 apply(const Vector3& v) const {
        return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z, m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
                m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
    }
};

Frame cameraTimesBody(const Matrix4& cam, const Matrix4& body) {
    Frame f;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            f.m[i][j] = cam.m[i][0] * body.m[0][j] + cam.m[i][1] * body.m[1][j] + cam.m[i][2] * body.m[2][j];
    return f;
}

void addMesh(const CameraRecord& c, int index, const SystemObject& o, double d, const Vector3& light) {
    const Frame f = cameraTimesBody(c.Cam, o.bodyFrame);
    Vector3 rel = o.position - c.SPos;
    vmath::transformToCamera(c.Cam, rel);
    const double R = o.radius;
    const int slot = slotOf(o.colour);
    for (int t = 0; t < meshCount; ++t) {
        const MeshTriangle& tri = mesh[t];
        const Vector3 n = f.apply(tri.normal);
        const Vector3 centre = n * R + rel;
        if (!(centre.z > 0)) continue;
        // Seen from the eye 20 km behind the projection plane, as the sky's projection puts it.
        Vector3 w = centre + Vector3{0, 0, 20};
        vmath::normalize(w);
        if (!(vmath::dot(w, n) < 0)) continue;
        BodyListEntry* e = add(kEntryTriangle, index, d);
        if (!e) return;
        const double P = vmath::dot(n, light);
        e->level = P > 0 ? 0 : static_cast<uint8_t>(std::min(127.0, std::trunc(-128.0 * P)));
        e->slot = static_cast<uint8_t>(slot);
        e->triangle = t;
        e->spin = o.spin;
        for (int k = 0; k < 3; ++k) e->p[k] = f.apply(tri.vertex[k]) * R + rel;
        e->axisU = f.apply(tri.axisU) * R;
        e->axisV = f.apply(tri.axisV) * R;
    }
}

void addPath(const CameraRecord& c, int index, const SystemObject& o) {
    int points = 0;
    const Vector3* path = orbitPath(o.pathIndex, points);
    for (int j = 0; j + 1 < points; ++j) {
        const Vector3 a = toCamera(c, path[j]);
        const Vector3 b = toCamera(c, path[j + 1]);
        if (a.z > kPathNear && b.z > kPathNear) addSegment(kEntryPath, index, a, b, 0);
    }
}

void addBody(const CameraRecord& c, int index, const SystemObject& o, const Vector3& primary) {
    // The path belongs to the orbit, not to where the body stands: it is drawn whether or not
    // the body itself is in front of the camera.
    if (c.flags & camera::kFlagOrbits) addPath(c, index, o);
    const Vector3 v = toCamera(c, o.position);
    if (!(v.z > 0)) return;
    const double d = length(o.position - c.SPos);
    // The apparent size as an unsigned count: below −1 it wraps to a huge size.
    const double apparent = o.radius / d * c.zoom * kSizeScale;
    const bool large = apparent >= 3.0 || apparent <= -1.0;
    if (large) {
        // The day side faces the primary star: light travels from it to the body.
        Vector3 light = o.position - primary;
        vmath::transformToCamera(c.Cam, light);
        const double l = length(light);
        light = l > 0 ? light * (1.0 / l) : Vector3{0, 0, 1};
        addMesh(c, index, o, d, light);
    } else if (BodyListEntry* e = add(kEntryDot, index, d)) {
        e->p[0] = v;
    }
    // The marker (and the name with it) sorts at the body's near side, so that the body's own
    // faces, which share its centre's distance, are never drawn over its name.
    if (BodyListEntry* e = add(kEntryMarker, index, d - o.radius)) e->p[0] = v;
}

// ---- Drawing -----------------------------------------------------------------------------------

struct Screen {
    double x, y;
};

// The body list's projection: s = cx·zoom / (z + 10), both axes scaled by cx.
bool project(const CameraRecord& c, const Vector3& v, int cx, int cy, Screen& out) {
    const double s = cx * c.zoom / (v.z + 10.0);
    out = {cx + s * v.x, cy + s * v.y};
    return std::fabs(out.x) < kScreenLimit && std::fabs(out.y) < kScreenLimit;
}

int pixelOf(double v) { return static_cast<int>(std::trunc(v)); }

// Fills the pixels whose centres lie in the triangle, row by row; span(y, x0, x1) gets each
// row's pixels x0 ≤ x < x1, already clipped to the surface.
template <typename Span>
void fillTriangle(const draw::Surface& s, Screen a, Screen b, Screen c, Span span) {
    if (a.y > b.y) std::swap(a, b);
    if (b.y > c.y) std::swap(b, c);
    if (a.y > b.y) std::swap(a, b);
    if (!(c.y > a.y)) return;
    const int top = std::max(0, static_cast<int>(std::ceil(a.y - 0.5)));
    const int bottom = std::min(s.height, static_cast<int>(std::ceil(c.y - 0.5)));
    for (int y = top; y < bottom; ++y) {
        const double yc = y + 0.5;
        const double xl = a.x + (c.x - a.x) * (yc - a.y) / (c.y - a.y);
        double xs;
        if (yc < b.y) xs = a.x + (b.x - a.x) * (yc - a.y) / (b.y - a.y);
        else if (c.y > b.y) xs = b.x + (c.x - b.x) * (yc - b.y) / (c.y - b.y);
        else xs = b.x;
        const double left = std::min(xl, xs), right = std::max(xl, xs);
        const int x0 = std::max(0, static_cast<int>(std::ceil(left - 0.5)));
        const int x1 = std::min(s.width, static_cast<int>(std::ceil(right - 0.5)));
        if (x0 < x1) {
            span(y, x0, x1);
        }
    }
}

uint32_t flatColour(int level) {
    const MapSlot& base = slots[0];
    if (base.shaded) return base.shade[level][128];
    const int g = std::min(255, level * 2);
    return draw::packColour(video::state.format, g, g, g);
}

void drawFlat(draw::Surface& s, const BodyListEntry& e, const Screen p[3]) {
    const uint32_t colour = flatColour(e.level);
    fillTriangle(s, p[0], p[1], p[2], [&](int y, int x0, int x1) {
        uint32_t* row = s.pixels + static_cast<size_t>(y) * s.pitch;
        draw::fillPixels(row + x0, x1 - x0, colour);
    });
}

// Perspective texturing: every point of the triangle's plane is P0 + a·U + b·V. For the pixel
// whose ray from the eye (10 km behind the plane of projection) is r = ((X − cx)/(cx·zoom),
// (Y − cy)/(cx·zoom), 1), Cramer's rule gives a = r·(V × P0*) / r·(U × V) and
// b = r·(P0* × U) / r·(U × V), with P0* = P0 + (0, 0, 10): numerators and denominator are linear
// across the screen. The division is made exactly every kSpan pixels and the map position runs
// in fixed point between, so that a body filling the screen costs a few table reads a pixel; a
// span of a triangle is a few pixels of a sphere, where the error of the straight run is far
// below a map pixel. (Jupiter filling a 1920 × 1080 picture differs in 269 pixels between runs of
// 16 and of 32, where a map pixel's edge falls one pixel over; after its pixels, a run's division
// is what a large body's frame spends most on.)
constexpr int kSpan = 32;

struct MapPoint {
    int32_t column;  // map columns × 65536, offset by whole map widths so that it stays positive
    int32_t row;     // map rows × 65536, within the map
};

inline MapPoint mapPoint(double na, double nb, double nd) {
    // The map position a of a body is its mesh's (0 to 1) plus its spin (0 to 2π turns): an
    // offset of 8 map widths keeps the column positive and within 32 bits of fixed point. Both
    // are clamped, so that a grazing plane (nd near 0) cannot make an index of a wild number.
    constexpr double kColumnBias = 8.0;
    const double inv = 1.0 / nd;
    const double a = std::min(7.9, std::max(-7.9, na * inv)) + kColumnBias;
    const double b = std::min(1.0, std::max(0.0, nb * inv));
    return {static_cast<int32_t>(a * (kMapWidth * 65536.0)),
            static_cast<int32_t>(std::min(kMapHeight - 0.001, b * kMapHeight) * 65536.0)};
}

// The exact map positions at the ends of the straight runs of one row: its first pixel, then
// every kSpan pixels, then its end. They are found for the whole row before any pixel is
// written, so that the row's divisions do not wait on one another behind the pixel loop.
MapPoint spanEnds[draw::kMaxSide / kSpan + 2];

// One straight run of a textured row: the map byte at the fixed-point position through the
// shade row. The row and the column are carried in one 64-bit word, so that a pixel's step is a
// single addition: the column as map columns × 2^23 in the low 32 bits, so that its wrap round
// the map is the wrap of 32 bits and the column index is its top 9 bits; the row (map rows ×
// 65536, below 2^24 all along the run, which lies between two points of the map) in the top 24
// bits, so that the row index is the word's top 8 bits. The 8 bits between take the carries and
// borrows of the column's wraps, at most one a pixel: starting from 128 they stay within 0 … 255
// over a run of kSpan pixels and never reach the row. The three arrays never overlap.
inline void runSpan(uint32_t* __restrict pixel, int n, uint32_t column, uint32_t row, int32_t stepColumn,
                    int32_t stepRow, const uint8_t* __restrict map, const uint32_t* __restrict shade) {
    static_assert(kMapWidth == 1 << 9 && kMapHeight == 1 << 8, "the indices are the top 9 and 8 bits");
    static_assert(kSpan < 128, "the carries of a run stay within the 8 spare bits");
    constexpr uint64_t kSpare = uint64_t{128} << 32;
    uint64_t at = (uint64_t{row} << 40) | kSpare | (column << 7);
    const uint64_t step = (static_cast<uint64_t>(static_cast<int64_t>(stepRow)) << 40) +
                          static_cast<uint64_t>(static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(stepColumn) << 7)));
    auto texel = [&](uint64_t a) { return shade[map[((a >> 56) << 9) | (static_cast<uint32_t>(a) >> 23)]]; };
    // Four pixels go out as one store.
    int i = 0;
    for (; i + 3 < n; i += 4) {
        const draw::PixelQuad quad = {texel(at), texel(at + step), texel(at + 2 * step), texel(at + 3 * step)};
        draw::storeQuad(pixel + i, quad);
        at += 4 * step;
    }
    for (; i < n; ++i, at += step) pixel[i] = texel(at);
}

// The steps of run i of a row of `width` pixels between spanEnds[i] and spanEnds[i + 1].
struct RunSteps {
    int n;
    int32_t column, row;
};
inline RunSteps runSteps(int i, int width) {
    const MapPoint from = spanEnds[i], to = spanEnds[i + 1];
    const int n = std::min(kSpan, width - i * kSpan);
    // Whole spans divide by the constant, which costs no division.
    if (n == kSpan) return {n, (to.column - from.column) / kSpan, (to.row - from.row) / kSpan};
    return {n, (to.column - from.column) / n, (to.row - from.row) / n};
}

// The `spans` runs of a textured row of `width` pixels from `out`, one pixel at a time.
void texturedRow(uint32_t* out, int spans, int width, const uint8_t* map, const uint32_t* shade) {
    for (int i = 0; i < spans; ++i, out += kSpan) {
        const RunSteps r = runSteps(i, width);
        runSpan(out, r.n, static_cast<uint32_t>(spanEnds[i].column), static_cast<uint32_t>(spanEnds[i].row), r.column,
                r.row, map, shade);
    }
}

// The same row eight pixels at a time, with the processor's gathers: the column and the row of
// each of eight pixels in a lane of its own, wrapping as the 64-bit word of runSpan does (the
// column's wrap is the lane's, the row stays below 2^24), so that every pixel is the one runSpan
// writes. The map is read as the aligned 32-bit word that holds the byte, which never reaches
// past the map's end.
#if defined(__x86_64__)
__attribute__((target("avx2"))) void texturedRowGathered(uint32_t* out, int spans, int width, const uint8_t* map,
                                                         const uint32_t* shade) {
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i three = _mm256_set1_epi32(3), byte = _mm256_set1_epi32(0xFF);
    const int* words = reinterpret_cast<const int*>(map);
    const int* colours = reinterpret_cast<const int*>(shade);
    for (int i = 0; i < spans; ++i, out += kSpan) {
        const RunSteps r = runSteps(i, width);
        const uint32_t column = static_cast<uint32_t>(spanEnds[i].column), row = static_cast<uint32_t>(spanEnds[i].row);
        const uint32_t stepColumn = static_cast<uint32_t>(r.column) << 7, stepRow = static_cast<uint32_t>(r.row);
        __m256i c = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(column << 7)),
                                     _mm256_mullo_epi32(lanes, _mm256_set1_epi32(static_cast<int>(stepColumn))));
        __m256i w = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(row)),
                                     _mm256_mullo_epi32(lanes, _mm256_set1_epi32(static_cast<int>(stepRow))));
        const __m256i c8 = _mm256_set1_epi32(static_cast<int>(stepColumn * 8)), w8 = _mm256_set1_epi32(static_cast<int>(stepRow * 8));
        int k = 0;
        for (; k + 8 <= r.n; k += 8) {
            const __m256i index = _mm256_or_si256(_mm256_slli_epi32(_mm256_srli_epi32(w, 16), 9), _mm256_srli_epi32(c, 23));
            const __m256i word = _mm256_i32gather_epi32(words, _mm256_srli_epi32(index, 2), 4);
            const __m256i entry =
                _mm256_and_si256(_mm256_srlv_epi32(word, _mm256_slli_epi32(_mm256_and_si256(index, three), 3)), byte);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), _mm256_i32gather_epi32(colours, entry, 4));
            c = _mm256_add_epi32(c, c8);
            w = _mm256_add_epi32(w, w8);
        }
        if (k < r.n)
            runSpan(out + k, r.n - k, column + static_cast<uint32_t>(k) * static_cast<uint32_t>(r.column),
                    row + static_cast<uint32_t>(k) * stepRow, r.column, r.row, map, shade);
    }
}
#else
void texturedRowGathered(uint32_t* out, int spans, int width, const uint8_t* map, const uint32_t* shade) {
    texturedRow(out, spans, width, map, shade);
}
#endif

void drawTextured(draw::Surface& s, const CameraRecord& c, const BodyListEntry& e, const Screen p[3], int cx,
                  int cy) {
    const MapSlot& slot = slots[e.slot];
    const MeshTriangle& tri = mesh[e.triangle];
    const Vector3 P0 = e.p[0] - e.axisU * (e.spin - tri.mapU0) + e.axisV * tri.mapV0 + Vector3{0, 0, 10};
    const Vector3 gA = vmath::cross(e.axisV, P0), gB = vmath::cross(P0, e.axisU);
    const Vector3 gD = vmath::cross(e.axisU, e.axisV);
    const double k = 1.0 / (cx * c.zoom);
    const uint32_t* shade = slot.shade[e.level / 2];
    const uint8_t* map = slot.map;
    const double sa = gA.x * k, sb = gB.x * k, sd = gD.x * k;
    fillTriangle(s, p[0], p[1], p[2], [&](int y, int x0, int x1) {
        const double dy = (y + 0.5 - cy) * k, dx = (x0 + 0.5 - cx) * k;
        double na = gA.x * dx + gA.y * dy + gA.z, nb = gB.x * dx + gB.y * dy + gB.z, nd = gD.x * dx + gD.y * dy + gD.z;
        spanEnds[0] = mapPoint(na, nb, nd);
        int spans = 0;
        for (int x = x0; x < x1; x += kSpan) {
            const int n = std::min(kSpan, x1 - x);
            na += sa * n;
            nb += sb * n;
            nd += sd * n;
            spanEnds[++spans] = mapPoint(na, nb, nd);
        }
        uint32_t* out = s.pixels + static_cast<size_t>(y) * s.pitch + x0;
        if (draw::widePaths()) texturedRowGathered(out, spans, x1 - x0, map, shade);
        else texturedRow(out, spans, x1 - x0, map, shade);
    });
}

void square(draw::Surface& s, int x, int y, int h, uint32_t colour) {
    draw::setColour(s, colour);
    draw::line(s, x - h, y - h, x + h, y - h);
    draw::line(s, x + h, y - h, x + h, y + h);
    draw::line(s, x + h, y + h, x - h, y + h);
    draw::line(s, x - h, y + h, x - h, y - h);
}

int brightnessOf(const draw::PixelFormat& f, uint32_t pixel) {
    if (video::brightness && f.bitsPerPixel <= 16) return video::brightness[pixel & 0xFFFF];
    int r, g, b;
    draw::unpackColour(f, pixel, r, g, b);
    return (r + g + b) / 3;
}

struct FrameMarks {
    double best = kNoPick;
    int32_t candidate = camera::kNone;
    bool lockSeen = false, viewLockSeen = false, centralSeen = false;
    int lockX = 0, lockY = 0, viewX = 0, viewY = 0, centralX = 0, centralY = 0;
    // The glare of the brightest star facing the camera.
    bool glare = false;
    double glareBest = 0;
    uint32_t glareColour = 0, glarePixel = 0;
    int glareX = 0, glareY = 0;
};

// The press that locked a body, so that the sky's pick of a star behind it, which happens when
// the button is released, does not take the lock away from the body.
int32_t pressedBody = camera::kNone;
int wasDown = 0;

void drawEntry(draw::Surface& s, const CameraRecord& c, const BodyListEntry& e, int cx, int cy, FrameMarks& marks) {
    const SystemObject& o = *objectAt(e.object);
    switch (e.kind) {
        case kEntryStar: {
            Screen p;
            if (!project(c, e.p[0], cx, cy, p)) return;
            const int x = pixelOf(p.x), y = pixelOf(p.y);
            const double size = c.zoom * o.radius / e.distance * kSizeScale;
            const int disc = size < 1e6 ? static_cast<int>(size) : 1000000;
            const int colourClass = std::clamp(o.colourCode, 0, video::kColourClasses - 1);
            if (disc > 3) render::drawImage128(s, render::kStarDisc, x, y, disc, colourClass);
            else render::drawImage128(s, render::kGlowBig, x, y, 32, colourClass);
            if (disc >= 5) {
                const double g = e.p[0].z / e.distance;
                if (g > 0.7 && g > marks.glareBest) {
                    marks.glareBest = g;
                    marks.glare = true;
                    const int level = static_cast<int>((g - 0.7) * (disc > 7 ? 256 : 16 * disc));
                    marks.glareColour = video::colours.star[colourClass][std::clamp(level, 0, 255)];
                    marks.glareX = x;
                    marks.glareY = y;
                    marks.glarePixel = draw::getPixel(s, x, y);
                }
            }
            return;
        }
        case kEntrySegment:
        case kEntryPath: {
            Screen a, b;
            if (!project(c, e.p[0], cx, cy, a) || !project(c, e.p[1], cx, cy, b)) return;
            uint32_t colour = e.colour;
            if (e.kind == kEntryPath) {
                const int step = static_cast<int>(std::min(8.0, std::trunc(e.distance / kGreenStepKm)));
                colour = draw::packColour(s.format, 0, 159 - 16 * step, 0);
            }
            draw::setColour(s, colour);
            draw::line(s, pixelOf(a.x), pixelOf(a.y), pixelOf(b.x), pixelOf(b.y));
            return;
        }
        case kEntryTriangle: {
            Screen p[3];
            for (int k = 0; k < 3; ++k)
                if (!(e.p[k].z + 10.0 > 0) || !project(c, e.p[k], cx, cy, p[k])) return;
            const MapSlot& slot = slots[e.slot];
            if ((c.flags & camera::kFlagBodyTexture) && slot.map && slot.shaded) drawTextured(s, c, e, p, cx, cy);
            else drawFlat(s, e, p);
            return;
        }
        case kEntryMarker: {
            Screen p;
            if (!project(c, e.p[0], cx, cy, p)) return;
            const int x = pixelOf(p.x), y = pixelOf(p.y);
            const double dx = x - input::pointer.x, dy = y - input::pointer.y;
            const double q = dx * dx + dy * dy;
            if (q < marks.best) {
                marks.best = q;
                marks.candidate = o.id;
            }
            if (o.id == c.lock) {
                marks.lockSeen = true;
                marks.lockX = x;
                marks.lockY = y;
            }
            if (o.id == c.vLock) {
                marks.viewLockSeen = true;
                marks.viewX = x;
                marks.viewY = y;
            }
            if (o.id == c.central) {
                marks.centralSeen = true;
                marks.centralX = x;
                marks.centralY = y;
            }
            // A moon is named only while its planet is locked, so that a system's names do not
            // pile up around every planet.
            if ((c.flags & camera::kFlagLabels) && (o.parentId == 0 || o.parentId == c.lock))
                render::drawText(s, x + 2, y, kLabelScale, video::colours.palette[kLabelPaletteColour], o.name);
            return;
        }
        case kEntryDot: {
            Screen p;
            if (!project(c, e.p[0], cx, cy, p)) return;
            const int r = static_cast<int>(std::trunc(o.radius / e.distance * c.zoom * kSizeScale));
            draw::setColour(s, video::colours.white);
            if (r > 1) draw::fillEllipse(s, pixelOf(p.x), pixelOf(p.y), r, r);
            else draw::pixel(s, pixelOf(p.x), pixelOf(p.y));
            return;
        }
        default: return;
    }
}

void pointerPick(const CameraRecord& c, const FrameMarks& marks) {
    const int down = input::pointer.leftDown;
    if (marks.best < kPickRadius2 && !input::pointerOverWindow && !input::pointerOverToolbar) {
        const int32_t picked = marks.candidate;
        if (down && !wasDown) {
            camera::lockObject(picked);
            pressedBody = picked;
        } else if (!down) {
            // Released over the body it locked while the sky's pick gave the lock to a star.
            if (wasDown && pressedBody == picked && c.lock != picked) camera::lockObject(picked);
            camera::setHover(picked);
            zode::broadcast(zode::kEventHover, picked);
        }
    }
    wasDown = down;
    if (!down) pressedBody = camera::kNone;
}

void glare(draw::Surface& s, FrameMarks& marks) {
    if (!marks.glare) return;
    marks.glare = false;
    // A star covered by a body in front of it gives no glare.
    if (draw::getPixel(s, marks.glareX, marks.glareY) != marks.glarePixel) return;
    const int level = brightnessOf(s.format, marks.glareColour);
    uint32_t* pixels = draw::beginDirectAccess(s);
    for (int y = 0; y < s.height; ++y) {
        uint32_t* row = pixels + static_cast<size_t>(y) * s.pitch;
        for (int x = 0; x < s.width; ++x)
            if (brightnessOf(s.format, row[x]) < level) row[x] = marks.glareColour;
    }
    draw::endDirectAccess(s);
}

}  // namespace

int attachMesh(const uint8_t* data, size_t size) {
    meshCount = 0;
    if (!data) return 0;
    const size_t records = size / kTriangleBytes;
    for (size_t i = 0; i < records && meshCount < kMaxMeshTriangles; ++i) {
        const uint8_t* r = data + i * kTriangleBytes;
        MeshTriangle t;
        for (int k = 0; k < 3; ++k) t.vertex[k] = vec(r + 24 * k);
        t.normal = vec(r + 72);
        t.axisU = vec(r + 96);
        t.axisV = vec(r + 120);
        t.mapU0 = f64(r + 144);
        t.mapV0 = f64(r + 152);
        const bool ok = finite(t.vertex[0]) && finite(t.vertex[1]) && finite(t.vertex[2]) && finite(t.normal) &&
                        finite(t.axisU) && finite(t.axisV) && std::isfinite(t.mapU0) && std::isfinite(t.mapV0);
        if (ok) mesh[meshCount++] = t;
    }
    return meshCount;
}

int meshTriangleCount() { return meshCount; }

const MeshTriangle* meshTriangle(int index) { return index >= 0 && index < meshCount ? &mesh[index] : nullptr; }

int attachSlot(int slot, const uint8_t* map, size_t mapSize, const uint8_t* colourMap, size_t colourMapSize,
               const draw::PixelFormat& format) {
    if (slot < 0 || slot >= kMapSlots) return 0;
    MapSlot& s = slots[slot];
    s.map = nullptr;
    s.shaded = false;
    if (!map || mapSize < kMapBytes) return 0;  // without a map the colour map is not read
    s.map = map;
    if (!colourMap || colourMapSize < kColourMapBytes) return 0;
    const SlotSource& source = kSlotSources[slot];
    for (int entry = 0; entry < 256; ++entry) {
        double colour[3] = {static_cast<double>(colourMap[4 * entry + 2]), static_cast<double>(colourMap[4 * entry + 1]),
                            static_cast<double>(colourMap[4 * entry])};
        if (source.tinted)
            for (int k = 0; k < 3; ++k) colour[k] = std::clamp((colour[k] - 128.0) * 1.5 + source.tint[k], 0.0, 255.0);
        // From black up to the colour over levels 0..63, then up to white over 64..127, each
        // channel accumulated step by step and truncated when packed.
        double dark[3] = {0, 0, 0}, light[3] = {colour[0], colour[1], colour[2]};
        for (int level = 0; level < kShadeLevels / 2; ++level) {
            s.shade[level][entry] = draw::packColour(format, static_cast<int>(dark[0]), static_cast<int>(dark[1]),
                                                     static_cast<int>(dark[2]));
            for (int k = 0; k < 3; ++k) dark[k] += colour[k] / 64.0;
        }
        for (int level = kShadeLevels / 2; level < kShadeLevels; ++level) {
            s.shade[level][entry] = draw::packColour(format, static_cast<int>(light[0]), static_cast<int>(light[1]),
                                                     static_cast<int>(light[2]));
            for (int k = 0; k < 3; ++k) light[k] += (255.0 - colour[k]) / 64.0;
        }
    }
    s.shaded = true;
    return 1;
}

const MapSlot& mapSlot(int slot) { return slots[std::clamp(slot, 0, kMapSlots - 1)]; }

int slotOf(uint32_t colour) { return colour < 0x1000000u ? static_cast<int>(colour & 0x1Fu) : 0; }

int loadBodyGraphics() {
    for (int k = 0; k < kTableSteps; ++k) {
        sines[k] = std::sin(k * kStep);
        cosines[k] = std::cos(k * kStep);
    }
    // The last entry is the first again, so that entry k + 1 exists for every step k.
    sines[kTableSteps - 1] = sines[0];
    cosines[kTableSteps - 1] = cosines[0];

    size_t size = 0;
    const uint8_t* shape = vfs::loadFile("planet.shape", &size);
    attachMesh(shape, shape ? size : 0);

    int complete = 0;
    for (int slot = 0; slot < kMapSlots; ++slot) {
        size_t mapSize = 0, colourMapSize = 0;
        const uint8_t* map = vfs::loadFile(kSlotSources[slot].map, &mapSize);
        const uint8_t* colourMap = map ? vfs::loadFile(kSlotSources[slot].colourMap, &colourMapSize) : nullptr;
        complete += attachSlot(slot, map, map ? mapSize : 0, colourMap, colourMap ? colourMapSize : 0,
                               video::state.format);
    }
    return complete;
}

void buildBodyList(const CameraRecord& c) {
    entryCount = 0;
    const int n = objectCount();
    if (n == 0) return;
    const Vector3 primary = objectAt(0)->position;
    for (int i = 0; i < n; ++i) {
        const SystemObject& o = *objectAt(i);
        if (o.kind == kRing) addRing(c, i, o);
        else if (o.kind == kJetPair) addJets(c, i, o);
        else if (o.kind < 5) addStar(c, i, o);
        else if (o.kind >= kFirstOrbiting) addBody(c, i, o, primary);
    }
}

int bodyListCount() { return entryCount; }

const BodyListEntry* bodyListAt(int index) { return index >= 0 && index < entryCount ? &entries[index] : nullptr; }

void drawSystem(draw::Surface& s, const CameraRecord& c, int cx, int cy) {
    buildBodyList(c);
    for (int i = 0; i < entryCount; ++i) order[i] = {entries[i].distance, i};
    std::sort(order, order + entryCount, [](const SortKey& a, const SortKey& b) { return a.distance < b.distance; });

    FrameMarks marks;
    draw::beginDraw(s);
    for (int i = entryCount - 1; i >= 0; --i) drawEntry(s, c, entries[order[i].index], cx, cy, marks);

    if (marks.lockSeen) {
        const int h = camera::takeLockHighlight();
        square(s, marks.lockX, marks.lockY, h, draw::packColour(s.format, 255, 0, 0));
    }
    if (marks.viewLockSeen) square(s, marks.viewX, marks.viewY, 4, draw::packColour(s.format, 0, 255, 0));
    if (marks.centralSeen) square(s, marks.centralX, marks.centralY, 4, draw::packColour(s.format, 0, 0, 255));
    pointerPick(c, marks);
    if (c.flags & camera::kFlagFlare) glare(s, marks);
    draw::endDraw(s);
}

}  // namespace systems
