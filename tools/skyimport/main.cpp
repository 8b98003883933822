// skyimport: builds the catalogue pack's eight files and the star cross-index from public data.
//
//   skyimport --stellarium DIR   unpacked stellarium-data: DIR/usr/share/stellarium
//             --kstars DIR       unpacked kstars-data:     DIR/usr/share/kstars
//             --sources DIR      the raw source folder (open-clusters/, globular-clusters/, …)
//             --notes FILE       the notes source text
//             --out DIR          where the eight catalogue files are written
//             --crossindex FILE  the HIP/HD/Gliese/name → star index table
//             [--leaf N]         leaf capacity of the star tree (default 64)
//             [--bench N,N,…]    also report the collection cost for these leaf capacities
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "common.h"
#include "deepsky.h"
#include "galaxy.h"
#include "notes.h"
#include "octree.h"
#include "stars.h"

using namespace sky;

namespace {

struct Arguments {
    std::string stellarium, kstars, sources, notes, out, crossIndex, bench;
    uint32_t leaf = 64;
};

int usage() {
    std::fprintf(stderr,
                 "usage: skyimport --stellarium DIR --kstars DIR --sources DIR --notes FILE --out DIR "
                 "--crossindex FILE [--leaf N] [--bench N,N,...]\n");
    return 2;
}

bool parseArguments(int argc, char** argv, Arguments& a) {
    for (int i = 1; i < argc; ++i) {
        std::string k = argv[i];
        if (i + 1 >= argc) return false;
        std::string v = argv[++i];
        if (k == "--stellarium") a.stellarium = v;
        else if (k == "--kstars") a.kstars = v;
        else if (k == "--sources") a.sources = v;
        else if (k == "--notes") a.notes = v;
        else if (k == "--out") a.out = v;
        else if (k == "--crossindex") a.crossIndex = v;
        else if (k == "--bench") a.bench = v;
        else if (k == "--leaf") {
            long n;
            if (!parseInt(v, n) || n < 1 || n > 100000) return false;
            a.leaf = static_cast<uint32_t>(n);
        } else return false;
    }
    return !a.stellarium.empty() && !a.kstars.empty() && !a.sources.empty() && !a.notes.empty() && !a.out.empty() &&
           !a.crossIndex.empty();
}

template <class T>
void writeRecords(const std::string& path, const std::vector<T>& records) {
    writeBinary(path, records.data(), records.size() * sizeof(T));
}

// Collection cost of the renderer for several leaf capacities (same stars, same positions).
void bench(const StarCatalogue& cat, const std::string& list) {
    std::vector<TreeStar> stars;
    int64_t sun = -1;
    for (size_t k = 0; k < cat.stars.size(); ++k) {
        const catalog::StarRecord& r = cat.stars[k];
        stars.push_back({r.x, r.y, r.z, r.absMag / 256.0});
        if (k == catalog::kSunIndex) sun = static_cast<int64_t>(k);
    }
    struct Camera {
        const char* name;
        double x, y, z;
    } cameras[] = {{"Sun", 0, 0, 0}, {"Sirius", 0, 0, 0}, {"1000 ly out", 700, 500, 500}, {"10000 ly out", 0, 0, 10000}};
    auto sirius = cat.indexOfHip.find(32349);
    if (sirius != cat.indexOfHip.end()) {
        const catalog::StarRecord& r = cat.stars[sirius->second];
        cameras[1].x = r.x;
        cameras[1].y = r.y;
        cameras[1].z = r.z;
    }
    std::printf("\nCollection cost (records read / stars visible), magnitude limit 6, cut slope 1:\n");
    std::printf("  leaf   nodes  leaves depth");
    for (const Camera& c : cameras) std::printf("  %20s", c.name);
    std::printf("\n");
    size_t start = 0;
    while (start < list.size()) {
        size_t comma = list.find(',', start);
        std::string item = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        start = comma == std::string::npos ? list.size() : comma + 1;
        long n;
        if (!parseInt(item, n) || n < 1) fail("--bench", "not a leaf capacity: '" + item + "'");
        TreeOptions o;
        o.leafCapacity = static_cast<uint32_t>(n);
        o.pinnedStar = sun;
        o.pinnedIndex = catalog::kSunIndex;
        TreeLayout t;
        std::string error;
        if (!buildStarTree(stars, o, t, error)) fail("--bench", error);
        std::vector<TreeStar> ordered(stars.size());
        for (size_t k = 0; k < t.order.size(); ++k) ordered[k] = stars[t.order[k]];
        std::printf("  %4ld %7zu %7u %5d", n, t.nodes.size(), t.leafCount, t.depth);
        for (const Camera& c : cameras) {
            CollectionCost cost = collectionCost(t.nodes, ordered, t.lastOfRun, c.x, c.y, c.z, 6.0, 1.0);
            std::printf("  %11llu / %6llu", static_cast<unsigned long long>(cost.read),
                        static_cast<unsigned long long>(cost.visible));
        }
        std::printf("\n");
    }
}

}  // namespace

int main(int argc, char** argv) {
    Arguments a;
    if (!parseArguments(argc, argv, a)) return usage();
    auto t0 = std::chrono::steady_clock::now();
    try {
        StarInputs si;
        si.stellariumStars = joinPath(a.stellarium, "stars/default");
        si.properNames = joinPath(a.stellarium, "skycultures/western/star_names.fab");
        si.kstarsText = joinPath(a.kstars, "stars.dat");
        si.exoplanetSystems = joinPath(a.sources, "exoplanets/systems");
        si.leafCapacity = a.leaf;
        StarReport sr;
        StarCatalogue cat = buildStars(si, sr);

        DeepSkyInputs di;
        di.openClusters = joinPath(a.sources, "open-clusters/clusters.dat");
        di.globulars = joinPath(a.sources, "globular-clusters/mwgc.dat");
        di.pulsars = joinPath(a.sources, "pulsars/psrcat.db");
        di.dsoCatalogue = joinPath(a.stellarium, "nebulae/default/catalog.dat");
        DeepSkyReport dr;
        std::vector<catalog::DeepSkyRecord> dso = buildDeepSky(di, cat.forDeepSky, dr);

        std::string galaxyText;
        GalaxyMaps maps = buildGalaxyMaps(galaxyText);

        ObjectResolver resolve = [&](const std::string& ref, uint32_t& id) {
            std::vector<std::string> w = splitBlanks(ref);
            if (w.size() == 1 && w[0] == "SUN") {
                id = catalog::kSunIndex;
                return true;
            }
            if (w.size() != 2) return false;
            long n;
            if (w[0] == "HIP") {
                if (!parseInt(w[1], n)) return false;
                auto it = cat.indexOfHip.find(static_cast<uint32_t>(n));
                if (it == cat.indexOfHip.end()) return false;
                id = it->second;
                return true;
            }
            std::map<std::string, uint8_t> types{{"OC", 0}, {"PSR", 1}, {"GC", 2}, {"NEB", 4}};
            auto t = types.find(w[0]);
            if (t == types.end()) return false;
            uint32_t code = static_cast<uint32_t>(std::stoul(w[1], nullptr, 16));
            for (size_t k = 0; k < dso.size(); ++k)
                if (dso[k].type == t->second && dso[k].name == code) {
                    id = catalog::kDeepSkyBase + static_cast<uint32_t>(k);
                    return true;
                }
            return false;
        };
        int noteCount = 0;
        std::string notes = buildNotes(a.notes, resolve, noteCount);

        writeRecords(joinPath(a.out, "stellar.data"), cat.stars);
        writeRecords(joinPath(a.out, "stellar.xdat"), cat.extras);
        writeRecords(joinPath(a.out, "stellar.tree"), cat.tree);
        writeRecords(joinPath(a.out, "stellar.ssys"), cat.components);
        writeText(joinPath(a.out, "stellar.note"), notes);
        writeRecords(joinPath(a.out, "galactic.data"), dso);
        writeRecords(joinPath(a.out, "galactic.bmap"), maps.brightness);
        writeRecords(joinPath(a.out, "galactic.hmap"), maps.population);
        writeText(a.crossIndex, cat.crossIndex);

        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        std::printf("Stars: %zu records (%zu zone records, %zu HIP numbers)\n", cat.stars.size(), sr.zoneRecords, sr.hipStars);
        std::printf("  usable parallax (> its error): %zu; naked-eye stars (V < 6.5) placed by spectral type: %zu;\n"
                    "  dropped: %zu fainter stars without a usable parallax, %zu naked-eye stars without a type;\n"
                    "  %zu without a parallax error\n",
                    sr.usable, sr.estimatedNakedEye, sr.droppedFaint, sr.droppedNakedEyeNoType, sr.noParallaxError);
        for (const std::string& d : sr.dropped) std::printf("  dropped %s\n", d.c_str());
        std::printf("  extra records %zu: Bayer/Flamsteed %zu, variable names %zu, Gliese %zu, HR %zu; variables %zu, radii %zu\n",
                    cat.extras.size(), sr.bayerFlamsteed, sr.variableNames, sr.gliese, sr.hr, sr.variables, sr.radii);
        std::printf("  multiple stars %zu with %zu components (%zu resolved under one HIP number, %zu lettered under "
                    "their own, %zu from shared WDS identifiers); %zu WDS pairs without companion data left out\n",
                    sr.multipleStars, sr.components, sr.resolvedComponents, sr.letteredCompanions, sr.wdsCompanions,
                    sr.wdsWithoutData);
        std::printf("  tree: %zu nodes, %zu leaves (capacity %u), depth %zu, largest run %zu; Sun at %u\n", sr.treeNodes,
                    sr.leaves, a.leaf, sr.depth, sr.largestRun, catalog::kSunIndex);
        for (const std::string& c : sr.magnitudes) std::printf("  %s\n", c.c_str());
        for (const std::string& c : sr.checks) std::printf("  %s\n", c.c_str());
        std::printf("Deep sky: %zu records\n", dso.size());
        std::printf("  open clusters %d (skipped %d); brightest star from the catalogue %d; magnitude from the "
                    "deep-sky catalogue %d, from member stars %d, from the member count %d; Trumpler class %d\n",
                    dr.openClusters, dr.openSkipped, dr.openBrightestFromStars, dr.openMagFromDso, dr.openMagFromStars,
                    dr.openMagFromCount, dr.openTrumpler);
        std::printf("  globular clusters %d (skipped %d)\n", dr.globulars, dr.globularSkipped);
        std::printf("  pulsars %d (%d J names; %d without distance skipped); luminosity from S400 %d, from S1400 %d; age %d\n",
                    dr.pulsars, dr.pulsarJ, dr.pulsarNoDistance, dr.pulsarLumS400, dr.pulsarLumS1400, dr.pulsarAge);
        std::printf("  nebulae and galaxies %d (%d with a literature distance)\n", dr.nebulae, dr.nebulaFallbackDistance);
        for (const std::string& n : dr.notes) std::printf("  %s\n", n.c_str());
        std::printf("Galaxy maps: %s\n", galaxyText.c_str());
        std::printf("Notes: %d\n", noteCount);
        std::printf("Stars whose V may lie more than 0.3 mag from the Hipparcos V of their entry: %zu\n",
                    sr.caveats.size());
        for (const std::string& c : sr.caveats) std::printf("  %s\n", c.c_str());
        std::printf("Import time: %.1f s\n", seconds);
        if (!a.bench.empty()) bench(cat, a.bench);
    } catch (const ImportError& e) {
        std::fprintf(stderr, "skyimport: %s\n", e.what());
        return 1;
    }
    return 0;
}
