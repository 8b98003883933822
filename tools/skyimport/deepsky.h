// Deep-sky sources: the Dias open-cluster table, the Harris globular-cluster table, the ATNF
// pulsar database and the stellarium-data deep-sky catalogue (a gzip-compressed, big-endian Qt
// data stream), turned into "galactic.data" records.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "catalog/catalog_records.h"
#include "common.h"

namespace sky {

// One record of stellarium-data's nebulae/default/catalog.dat (the fields the import uses).
struct DsoEntry {
    uint32_t id = 0;
    double raDeg = 0, decDeg = 0;
    double bmag = 99, vmag = 99;
    uint32_t type = 0;
    std::string morphology;
    double majorDeg = 0, minorDeg = 0;
    double distanceKpc = 0;
    uint32_t ngc = 0, ic = 0, messier = 0, caldwell = 0, barnard = 0, sh2 = 0, vdb = 0, rcw = 0, ldn = 0,
             lbn = 0, collinder = 0, melotte = 0, pgc = 0, ugc = 0;
    uint32_t trumpler = 0, stock = 0, ruprecht = 0, vdbha = 0;
};
// Inflates and decodes the whole stream; fails on a truncated or unknown stream version.
std::vector<DsoEntry> readDsoCatalogue(const std::string& path, std::string& version);

// The catalogue's own stars, for the brightest-star magnitude of open clusters.
struct CatalogueStar {
    Vec3 dir;
    double distanceLy = 0;
    double vmag = 0;
};

struct DeepSkyReport {
    int openClusters = 0, openSkipped = 0, openBrightestFromStars = 0, openMagFromDso = 0,
        openMagFromStars = 0, openMagFromCount = 0, openTrumpler = 0;
    int globulars = 0, globularSkipped = 0;
    int pulsars = 0, pulsarNoDistance = 0, pulsarJ = 0, pulsarLumS400 = 0, pulsarLumS1400 = 0, pulsarAge = 0;
    int nebulae = 0, nebulaFallbackDistance = 0;
    std::vector<std::string> notes;  // skipped names and other remarks for the run summary
};

struct DeepSkyInputs {
    std::string openClusters;  // clusters.dat
    std::string globulars;     // mwgc.dat
    std::string pulsars;       // psrcat.db
    std::string dsoCatalogue;  // catalog.dat
};

std::vector<catalog::DeepSkyRecord> buildDeepSky(const DeepSkyInputs& in, const std::vector<CatalogueStar>& stars,
                                                 DeepSkyReport& report);

// Position in light years of a direction at a distance.
inline Vec3 placeAt(double raDeg, double decDeg, double distanceLy) { return direction(raDeg, decDeg) * distanceLy; }

}  // namespace sky
