// The star chain: Hipparcos stars of the stellarium-data zone catalogues with their HIP
// numbers, distances from the 2007 Hipparcos parallaxes and errors, V and B-V of each whole
// entry (from the Hipparcos part of the KStars text catalogue, else its zone records' light
// combined), names, variability, measured radii and multiple-star components with their own
// magnitudes; the Sun added; the octree built and the records written in tree order.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "catalog/catalog_records.h"
#include "common.h"
#include "deepsky.h"

namespace sky {

struct StarInputs {
    std::string stellariumStars;   // .../stellarium/stars/default
    std::string properNames;       // .../stellarium/skycultures/western/star_names.fab
    std::string kstarsText;        // .../kstars/stars.dat
    std::string exoplanetSystems;  // sources/exoplanets/systems
    uint32_t leafCapacity = 64;
};

struct StarReport {
    size_t zoneRecords = 0, hipStars = 0, usable = 0, estimatedNakedEye = 0, droppedNakedEyeNoType = 0,
           droppedFaint = 0, noParallaxError = 0;
    size_t bayerFlamsteed = 0, variableNames = 0, gliese = 0, hr = 0, variables = 0, radii = 0;
    size_t multipleStars = 0, components = 0, resolvedComponents = 0, letteredCompanions = 0, wdsCompanions = 0,
           wdsWithoutData = 0;
    size_t treeNodes = 0, leaves = 0, depth = 0, largestRun = 0;
    std::vector<std::string> magnitudes;  // lines of the comparison with the sources
    std::vector<std::string> caveats;     // stars whose V may lie > 0.3 from the Hipparcos V, with the reason
    std::vector<std::string> dropped;     // stars left out one by one, with the reason
    std::vector<std::string> checks;      // lines of the well-known-star check
};

struct StarCatalogue {
    std::vector<catalog::StarRecord> stars;       // record order
    std::vector<catalog::StarExtraRecord> extras;
    std::vector<catalog::TreeNode> tree;
    std::vector<catalog::ComponentRecord> components;
    std::map<uint32_t, uint32_t> indexOfHip;       // HIP → record index
    std::vector<CatalogueStar> forDeepSky;         // direction, distance, V of every star
    std::string crossIndex;                        // data/crossindex.tsv
};

StarCatalogue buildStars(const StarInputs& in, StarReport& report);

}  // namespace sky
