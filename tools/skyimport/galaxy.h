// The two galaxy maps ("galactic.bmap", "galactic.hmap") from a face-on model of the Milky Way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sky {

struct GalaxyMaps {
    std::vector<uint8_t> brightness;  // galactic.bmap
    std::vector<uint8_t> population;  // galactic.hmap: 40 and above where bar and bulge dominate
    int sunRow = 0, sunColumn = 0;    // the cell that holds the Sun
};

inline constexpr size_t kGalaxyMapBytes = 64 * 65;  // rows 0..62 need 64·64 + 1 bytes; padded

GalaxyMaps buildGalaxyMaps(std::string& description);

}  // namespace sky
