// Readers of the star files of the stellarium-data package (usr/share/stellarium/stars/default).
//
// The binary zone catalogues ("stars_N_0v0_8.cat", record type 0) hold the Hipparcos stars
// with their HIP numbers. Their layout, as worked out from the bytes and checked against
// well-known stars (Sirius, Vega, Betelgeuse, Polaris) and against the positions of the KStars
// text catalogue (median difference 0.06 arcsec over 25,000 stars):
//
//   header, 8 × int32: magic 0x835F040A, record type (0), major (0), minor (8), level L,
//       magnitude minimum (millimag), magnitude range (millimag), magnitude steps
//   20·4^L × int32: the number of stars of each zone, zone by zone
//   28-byte records, zone by zone:
//       0  uint24  HIP number (0: a Tycho star)
//       3  uint8   component: row of "stars_hip_cids_0v0_0.cat" ("" A B C ...)
//       4  int32   x0, 8 int32 x1: position in the zone's tangent plane
//      12  uint8   B-V = value / 32 - 0.5
//      13  uint8   V = (minimum + value · range / steps) / 1000
//      14  uint16  row of the spectral-type strings ("stars_hip_sp_0v0_4.cat")
//      16  int32   proper motion in the plane, 20 int32 second axis
//      24  int32   parallax, 0.01 mas (the 2007 Hipparcos reduction)
//
// Zones form a geodesic grid. Level 0 is the 20 faces of an icosahedron whose vertices are the
// cyclic permutations of (±φ, ±1, 0); each level splits a face (a, b, c) into four children
// (a, ab, ca), (ab, b, bc), (ca, bc, c), (bc, ca, ab), ab etc. being the normalised edge
// midpoints; zone z of level L is child z mod 4 of zone z / 4 of level L − 1. A star lies at
// normalise(c + s·(x0·east + x1·north) / 2^31) with c the zone's normalised centre (sum of its
// corners), east and north the local equatorial directions at c, and s = (3 − √5) / 2^L — the
// tangent of the 37.38° from a level-0 face centre to its corners, halved at every level.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common.h"

namespace sky {

struct ZoneStar {
    uint32_t hip = 0;
    char component = 0;   // 0 (single), 'A', 'B', ...
    Vec3 dir;             // unit vector, equatorial J2000
    double vmag = 0;
    double bv = 0;
    std::string spectral; // as in the source, e.g. "A1V+DA"
    double parallaxMas = 0;
    int level = 0;
};

// Reads one zone catalogue; fails on a wrong magic, type or size.
std::vector<ZoneStar> readZoneCatalogue(const std::string& path, const std::vector<std::string>& spectralTable,
                                        const std::vector<std::string>& componentTable);
std::vector<std::string> readStringTable(const std::string& path);  // '\n'-separated rows

// Centre of zone `zone` of grid level `level` (exposed for checks).
Vec3 zoneCentre(int level, int zone);

// Text tables keyed by HIP number.
std::map<uint32_t, double> readParallaxErrors(const std::string& path);  // mas

struct CrossId {
    uint32_t sao = 0, hd = 0, hr = 0;
};
std::map<uint32_t, CrossId> readCrossIds(const std::string& path);

// name.fab: the Bayer ("α_CMa", "γ1_And") and Flamsteed ("9_CMa") names of each HIP star.
struct FabName {
    int greek = -1;         // 0..23, -1 none
    int superscript = 0;    // 0 none
    int flamsteed = 0;      // 0 none
    int constellation = -1; // 0..87
};
std::map<uint32_t, FabName> readNameFab(const std::string& path);

struct VariableStar {
    std::string name;       // "R And", "V0337 Car", "α Ori"
    double maxMag = 0, minMag = 0;  // maxMag is the bright end
    bool hasMin = false;
    double period = 0;      // days
};
std::map<uint32_t, VariableStar> readVariables(const std::string& path);

struct DoubleStar {
    std::string wds;        // "06451-1643"
    double positionAngle = 0, separation = 0;  // degrees, arcsec (999.9: unknown)
};
std::map<uint32_t, DoubleStar> readDoubles(const std::string& path);

// Constellation rows 0..87 by abbreviation ("CMa"); -1 unknown (case-insensitive).
int constellationIndex(const std::string& abbreviation);
const char* constellationAbbreviation(int index);

}  // namespace sky
