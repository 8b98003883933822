// The V magnitude and B-V colour of a star record, chosen from the sources that give one, and the
// residual histograms with which the run's report compares the result with each source.
//
// A star record stands for every zone record of its HIP number (the components Hipparcos
// resolved under it), so its V is the light of all of them: the Hipparcos V of the entry where
// the KStars catalogue's Hipparcos part gives it (that V is the entry's total), else the zone
// records' magnitudes combined. Zone magnitudes are the source values rounded down to the
// file's step (0.05 mag in V, 1/32 in B-V); half a step is added back before use. A short table
// of published V replaces the Hipparcos V of the few bright stars whose Hipparcos V is off the
// standard photometry. Every choice whose V may lie more than 0.3 mag from the Hipparcos V of
// the entry carries a caveat, which the report lists.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "othersources.h"

namespace sky {

inline constexpr double kZoneVStep = 0.05;          // V step of the zone files, mag
inline constexpr double kZoneBvStep = 1.0 / 32.0;   // B-V step of the zone files, mag
inline constexpr double kHipparcosFaintLimit = 12.4; // no Hipparcos entry is fainter than this (V)
inline constexpr double kDisagreement = 0.3;         // sources further apart than this get a caveat

// -2.5 log10 of the summed fluxes; an empty list gives +inf.
double combinedMagnitude(const std::vector<double>& magnitudes);

enum class MagnitudeSource : int {
    kPublished,     // the table of published V (B-V stays the Hipparcos one)
    kHipparcos,     // the Hipparcos part of the KStars catalogue (V and B-V to 0.01)
    kZoneCombined,  // several zone records under the HIP number, their light added
    kZone,          // the one zone record of the HIP number
    kZoneComponent, // the one zone record, a component (B, C, ...) catalogued alone
    kCount
};
const char* magnitudeSourceName(MagnitudeSource s);

struct MagnitudeInput {
    uint32_t hip = 0;
    std::vector<double> zoneV;       // V of every zone record of the HIP number, primary first, as stored
    double zoneBv = 0;               // B-V of the primary zone record, as stored
    char component = 0;              // component letter of the primary zone record (0: none)
    const TextStar* text = nullptr;  // the KStars row matched to the entry, if any
};

struct MagnitudeChoice {
    double v = 0, bv = 0;
    MagnitudeSource source = MagnitudeSource::kZone;
    std::string caveat;  // why V may lie more than 0.3 mag from the entry's Hipparcos V; empty if not
};

MagnitudeChoice chooseMagnitude(const MagnitudeInput& in);

// Counts of |residual| in the bins up to 0.02, 0.05, 0.1, 0.3, 1 and above, with the largest.
struct ResidualHistogram {
    static constexpr int kBins = 6;
    size_t count[kBins] = {};
    size_t total = 0;
    double largest = 0;
    void add(double residual);
    size_t within(double limit) const;  // for the bin edges only
    std::string text() const;           // one line: "n  <=0.02 a (x%)  <=0.05 ...  max m"
};

}  // namespace sky
