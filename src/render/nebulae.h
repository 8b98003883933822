// The 3D nebula models: thirteen bright nebulae as clouds of coloured points, each a 128 × 128
// grid laid across the sky at the object with a depth range per cell, and their colour files.
//
// Contract. The model table has kNebulaSlots slots; loadNebulae() fills the first kNebulaModels
// from the packs once at start-up (the camera step). A slot is usable when its model was read
// and checked and its colours were read: a model that is missing or malformed leaves the slot
// empty and its colour file unread; a colour file that is missing or short leaves the slot
// without colours, and a slot without colours is not drawn (its nebula keeps its symbol).
// Models are used in place (the packs own the bytes); a slot's colours are packed once into the
// drawing surface's pixel format. Slot 9 is loaded but no name code draws it.
//
// ".neb3d" (little-endian, kNebulaModelBytes): the depth axis A, the column axis B and the row
// axis C (three unit vectors of the interstellar frame, 3 × float64 each), the extent E (float64,
// light years; the cell pitch is p = E / 128), then 128 × 128 cells, row-major, of 4 bytes:
// colour index, depth from, depth to (int8, in units of p / 2 along A) and brightness (int8).
// Cell (r, c) lies at (r − 64)·p·C + (c − 64)·p·B from the object. ".nebcol": 256 entries of
// blue, green, red and a reserved byte.
//
// The parsers take bytes and check them before anything is trusted: a model shorter than its
// cells, with an axis that is not finite and of about unit length, or an extent that is not
// finite and within 0 < E ≤ kMaxNebulaExtent is refused whole. Main thread only.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/vecmath.h"
#include "video/draw.h"

namespace render {

constexpr int kNebulaSlots = 16;
constexpr int kNebulaModels = 13;
constexpr int kNebulaGrid = 128;            // cells per row and column
constexpr int kNebulaColours = 256;
constexpr double kMaxNebulaExtent = 1.0e7;  // ly: far beyond the largest model (M 31, 177,000)

struct NebulaFileHeader {
    double depthAxis[3];   // A, unit vector
    double columnAxis[3];  // B, unit vector
    double rowAxis[3];     // C, unit vector
    double extent;         // E, light years
};
static_assert(sizeof(NebulaFileHeader) == 80);
static_assert(offsetof(NebulaFileHeader, depthAxis) == 0 && offsetof(NebulaFileHeader, columnAxis) == 24 &&
              offsetof(NebulaFileHeader, rowAxis) == 48 && offsetof(NebulaFileHeader, extent) == 72);

struct NebulaCell {
    uint8_t colour;     // index into the slot's colours
    int8_t depthFrom;   // units of p / 2 along A
    int8_t depthTo;     // a cell with from > to is empty
    int8_t brightness;  // sizes the drawn dots
};
static_assert(sizeof(NebulaCell) == 4);
static_assert(offsetof(NebulaCell, depthFrom) == 1 && offsetof(NebulaCell, depthTo) == 2 &&
              offsetof(NebulaCell, brightness) == 3);

struct NebulaColour {
    uint8_t blue, green, red, reserved;
};
static_assert(sizeof(NebulaColour) == 4);

constexpr size_t kNebulaModelBytes = sizeof(NebulaFileHeader) + kNebulaGrid * kNebulaGrid * sizeof(NebulaCell);
constexpr size_t kNebulaColourBytes = kNebulaColours * sizeof(NebulaColour);
static_assert(kNebulaModelBytes == 65616 && kNebulaColourBytes == 1024);

struct NebulaModel {
    Vector3 depthAxis;                // A
    Vector3 columnAxis;               // B
    Vector3 rowAxis;                  // C
    double extent = 0;                // E, light years
    const uint8_t* cells = nullptr;   // kNebulaGrid² NebulaCells in place, row-major
};

// Checks a ".neb3d" file and describes it in `out` (its cells point into `data`). False, with
// `out` untouched and `why` set to a short reason, when the bytes are refused.
bool parseNebulaModel(const uint8_t* data, size_t size, NebulaModel& out, const char** why = nullptr);
// Packs the 256 colours of a ".nebcol" file into `format`; false (out untouched) when short.
bool parseNebulaColours(const uint8_t* data, size_t size, const draw::PixelFormat& format,
                        uint32_t out[kNebulaColours]);

// The file names of a slot ("" outside the models).
const char* nebulaModelFile(int slot);
const char* nebulaColourFile(int slot);

// Loads the models and their colours from the packs into the drawing surface's pixel format;
// returns how many slots are usable.
int loadNebulae();
// Installs a slot from memory (tests, fuzzing) as loadNebulae does from the packs; the bytes must
// outlive their use. Null model bytes empty the slot. 1 when the slot is usable.
int attachNebula(int slot, const uint8_t* model, size_t modelSize, const uint8_t* colours,
                 size_t colourSize, const draw::PixelFormat& format);
// The slot whose model draws the nebula of a name code, or −1.
int nebulaSlot(uint32_t nameCode);
// The usable model of a slot, or null; its packed colours.
const NebulaModel* nebulaModel(int slot);
const uint32_t* nebulaColours(int slot);

}  // namespace render
