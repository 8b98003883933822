// Readers of the remaining star sources: the KStars text catalogue (for V and B-V to 0.01 mag),
// the proper names of the western sky culture, and the Gliese numbers and HIP numbers that the
// Open Exoplanet Catalogue lists together for one star.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common.h"

namespace sky {

struct TextStar {
    Vec3 dir;
    double vmag = 0, bv = 0;
    double pmRa = 0, pmDec = 0;  // proper motion, mas/yr (RA one already times cos Dec)
    bool hipparcos = false;      // a row of the file's Hipparcos part (see below)
};
// kstars-data usr/share/kstars/stars.dat: fixed columns RA hhmmss.ss, Dec ±ddmmss.s, proper
// motions (cols 21-29, 30-38), parallax, V (cols 47-51), B-V (52-56), two-character type, names.
//
// The file joins two catalogues at V = 8.0. Its rows brighter than that carry the spectral types
// of the Hipparcos main catalogue, and their V and B-V are the Hipparcos ones: the zone files'
// 0.05-mag steps are these values rounded down, star for star. Its rows from V = 8.0 on carry a
// type guessed from the colour ("K?") and a Tycho-based V that differs from the Hipparcos V by
// more than 0.05 for about a fifth of the stars. `hipparcos` tells the two apart by the type.
std::vector<TextStar> readKStarsText(const std::string& path);

// skycultures/western/star_names.fab: 'HIP|_("Name") refs'; the first name of each star.
std::map<uint32_t, std::string> readProperNames(const std::string& path);

// The Gliese number × 10 ("GJ 667" → 6670, "Gl 559.1" → 5591) of every star that an exoplanet
// system file names both "HIP n" and "GJ"/"Gl". Files are read from `folder` (*.xml).
std::map<uint32_t, uint32_t> readGlieseNumbers(const std::string& folder);

}  // namespace sky
