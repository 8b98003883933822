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
};
// kstars-data usr/share/kstars/stars.dat: fixed columns RA hhmmss.ss, Dec ±ddmmss.s, proper
// motions, parallax, V (cols 47-51), B-V (52-56), two-character type, names.
std::vector<TextStar> readKStarsText(const std::string& path);

// skycultures/western/star_names.fab: 'HIP|_("Name") refs'; the first name of each star.
std::map<uint32_t, std::string> readProperNames(const std::string& path);

// The Gliese number × 10 ("GJ 667" → 6670, "Gl 559.1" → 5591) of every star that an exoplanet
// system file names both "HIP n" and "GJ"/"Gl". Files are read from `folder` (*.xml).
std::map<uint32_t, uint32_t> readGlieseNumbers(const std::string& folder);

}  // namespace sky
