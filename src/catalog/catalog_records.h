// Record layouts of the catalogue files, shared by the catalogue code and the import tools.
//
// The files are loaded whole and read in place as arrays of these records, so every layout here
// is the file's byte for byte: little-endian, no hidden padding (checked below). The record count
// of a file is its size divided by the record size; a trailing partial record is ignored.
//
//   "stellar.data"   StarRecord        one per star, grouped by tree leaf, brightest first
//   "stellar.xdat"   StarExtraRecord   extra names, variability, radius, radial speed
//   "stellar.tree"   TreeNode          the octree over the ±200,000 ly root cube
//   "stellar.ssys"   ComponentRecord   components of multiple stars
//   "stellar.note"   text              notes tagged "<n#XXXXXXXX>"
//   "galactic.data"  DeepSkyRecord     open and globular clusters, pulsars, nebulae
//   "galactic.bmap"  bytes             galaxy brightness map, cell (r, c) at 64·(r + 2) − c
//   "galactic.hmap"  bytes             galaxy population map, same cells
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

static_assert(std::endian::native == std::endian::little,
              "catalogue files are little-endian and read in place");

namespace catalog {

// Object identifiers: what an ObjectId's range says it is.
using ObjectId = uint32_t;
inline constexpr ObjectId kNoObject = 0xFFFFFFFFu;
inline constexpr ObjectId kDeepSkyBase = 0x01000000u;
inline constexpr ObjectId kBodyBase = 0x02000000u;
inline constexpr ObjectId kComponentBase = 0x80000000u;

// Root cube of the star tree, light years on each axis.
inline constexpr double kTreeHalfSize = 200000.0;
inline constexpr uint32_t kTreeEmpty = 0xFFFFFFFFu;
inline constexpr uint32_t kTreeChildFlag = 0x80000000u;  // top byte 0x80: subdivided octant
inline constexpr uint32_t kTreeIndexMask = 0x00FFFFFFu;
inline constexpr uint16_t kLastOfRun = 0x8000u;          // StarRecord::flags: last star of a leaf
inline constexpr uint16_t kNoSpectral = 0xFFFFu;
inline constexpr uint32_t kNoExtraName = 0x00FFFFFFu;    // low 24 bits of an extra code: no names

// Magnitudes and colour indexes are signed 8.8 fixed point.
inline constexpr double kFixed = 256.0;

struct StarRecord {
    float x, y, z;          // light years, equatorial J2000 frame, Sun at the origin
    int16_t absMag;         // absolute visual magnitude × 256
    int16_t colourBV;       // B−V × 256
    uint16_t spectral;      // spectral code
    uint16_t flags;         // bit 15: last star of its tree leaf run
    uint32_t designation;   // main designation code (HIP, HD, BD, CD, CP)
    int32_t firstComponent; // index into stellar.ssys, −1 none
    int32_t extra;          // index into stellar.xdat, −1 none
};
static_assert(sizeof(StarRecord) == 32);
static_assert(offsetof(StarRecord, x) == 0 && offsetof(StarRecord, y) == 4 && offsetof(StarRecord, z) == 8);
static_assert(offsetof(StarRecord, absMag) == 12 && offsetof(StarRecord, colourBV) == 14);
static_assert(offsetof(StarRecord, spectral) == 16 && offsetof(StarRecord, flags) == 18);
static_assert(offsetof(StarRecord, designation) == 20 && offsetof(StarRecord, firstComponent) == 24);
static_assert(offsetof(StarRecord, extra) == 28);

struct StarExtraRecord {
    int16_t minMag;         // variable star: minimum magnitude × 256
    int16_t maxMag;         // maximum magnitude × 256
    uint32_t designation;   // extra designation code; low 24 bits all set: no extra names
    float period;           // days of variability, 0 = not variable
    float radius;           // known radius in solar radii, 0 = unknown
    uint16_t radialSpeed;   // km/s, unsigned
    uint16_t unused;
};
static_assert(sizeof(StarExtraRecord) == 20);
static_assert(offsetof(StarExtraRecord, minMag) == 0 && offsetof(StarExtraRecord, maxMag) == 2);
static_assert(offsetof(StarExtraRecord, designation) == 4 && offsetof(StarExtraRecord, period) == 8);
static_assert(offsetof(StarExtraRecord, radius) == 12 && offsetof(StarExtraRecord, radialSpeed) == 16);
static_assert(offsetof(StarExtraRecord, unused) == 18);

struct ComponentRecord {
    char letter1;           // first component letter
    uint8_t letter2;        // bit 7: last component of its star; bits 0–6: second letter
    uint16_t spectral;      // spectral code
    int16_t magnitude;      // × 256
    uint16_t unused1;
    uint32_t ccdm;          // bits 16–31: RA part; bits 0–15: declination part, two's complement
    float separation;       // light years from the primary
    int16_t angle;          // radians × 256 around the primary
    uint16_t unused2;
};
static_assert(sizeof(ComponentRecord) == 20);
static_assert(offsetof(ComponentRecord, letter1) == 0 && offsetof(ComponentRecord, letter2) == 1);
static_assert(offsetof(ComponentRecord, spectral) == 2 && offsetof(ComponentRecord, magnitude) == 4);
static_assert(offsetof(ComponentRecord, ccdm) == 8 && offsetof(ComponentRecord, separation) == 12);
static_assert(offsetof(ComponentRecord, angle) == 16);
inline constexpr uint8_t kLastComponent = 0x80;

// Eight octant entries: kTreeEmpty, kTreeChildFlag | child node, or the first star of a leaf run.
// Octant i: x in the upper half when bit 1 is set, y in the upper half when bit 0 is set, z in the
// LOWER half when bit 2 is set. Octant 0 is (low x, low y, high z).
struct TreeNode {
    uint32_t octant[8];
};
static_assert(sizeof(TreeNode) == 32);

enum DeepSkyType : uint8_t {
    kOpenCluster = 0,
    kPulsar = 1,
    kGlobularCluster = 2,
    kDeepSkyUnnamed = 3,
    kNebula = 4,
};

struct DeepSkyRecord {
    uint8_t type;           // DeepSkyType
    uint8_t unused;         // copied as the open-cluster symbol; bit 7 would hide its bitmap
    int16_t absMag;         // × 256
    float x, y, z;          // light years
    // Type-dependent fields at offsets 16, 20, 24:
    //   open cluster: diameter ly, log10 age in years, brightest star magnitude × 256 (int16)
    //                 then the Trumpler class word (uint16) at 26
    //   pulsar:       period s, log10 radio luminosity, log10 age
    //   globular:     core radius ly, log10(tidal / core radius), half-mass radius ly
    //   nebula:       diameter ly, unused, unused
    union {
        struct { float a, b, c; } f;
        struct { float diameter, logAge; int16_t brightest; uint16_t trumpler; } open;
    } v;
    uint32_t name;          // name code
};
static_assert(sizeof(DeepSkyRecord) == 32);
static_assert(offsetof(DeepSkyRecord, type) == 0 && offsetof(DeepSkyRecord, unused) == 1);
static_assert(offsetof(DeepSkyRecord, absMag) == 2 && offsetof(DeepSkyRecord, x) == 4);
static_assert(offsetof(DeepSkyRecord, v) == 16 && offsetof(DeepSkyRecord, name) == 28);

// Galaxy maps: 64 cells per row; cell (r, c), r and c in 0..62, at byte 64·(r + 2) − c.
inline constexpr size_t kGalaxyMapMinSize = 4097;
inline constexpr size_t galaxyCell(int row, int column) { return static_cast<size_t>(64 * (row + 2) - column); }

// The Sun's record, the default lock and system of every camera.
inline constexpr uint32_t kSunIndex = 63740;  // 0xF8FC

}  // namespace catalog
