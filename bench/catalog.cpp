// Name lookup and wildcard search over a synthetic catalogue of 120,000 stars, against a plain
// memcmp pass over as many names as a baseline measured in the same run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "catalog/catalog.h"

using namespace catalog;

namespace {

constexpr uint32_t kStars = 120000;
constexpr uint32_t kDeepSky = 5000;

// A catalogue with the mix of a real one: HIP, HD and Durchmusterung designations; about a third
// of the stars with extra names (Bayer and Flamsteed, HR, Gliese, variables).
struct Catalogue {
    std::vector<StarRecord> stars;
    std::vector<StarExtraRecord> extras;
    std::vector<DeepSkyRecord> deepSky;
    std::vector<std::string> names;  // names that the marker files use, all present

    Catalogue() {
        std::mt19937 rng(1);
        auto pick = [&](uint32_t n) { return static_cast<uint32_t>(rng() % n); };
        stars.resize(kStars);
        for (uint32_t i = 0; i < kStars; ++i) {
            StarRecord& s = stars[i];
            s = StarRecord{};
            s.x = static_cast<float>(pick(2000)) - 1000.0f;
            s.y = static_cast<float>(pick(2000)) - 1000.0f;
            s.z = static_cast<float>(pick(2000)) - 1000.0f;
            s.spectral = 0x0552;
            s.flags = kLastOfRun;
            switch (i % 3) {
                case 0: s.designation = i; break;                                            // HIP
                case 1: s.designation = 0x01000000u | (i + 1000); break;                     // HD
                default: s.designation = (2u << 24) | (pick(180) << 16) | pick(60000); break;  // BD
            }
            s.firstComponent = -1;
            s.extra = -1;
            uint32_t kind = pick(100);
            if (kind >= 35) continue;
            StarExtraRecord e{};
            if (kind < 12) e.designation = 0x01000000u | (pick(88) << 16) | (pick(100) << 8) | pick(24);
            else if (kind < 22) e.designation = pick(9000);                    // HR
            else if (kind < 28) e.designation = (5u << 24) | pick(20000);      // Gliese
            else e.designation = (2u << 24) | (('R' + pick(8)) << 16) | (('R' + pick(8)) << 8) | pick(88);
            s.extra = static_cast<int32_t>(extras.size());
            extras.push_back(e);
        }
        deepSky.resize(kDeepSky);
        for (uint32_t i = 0; i < kDeepSky; ++i) {
            deepSky[i] = DeepSkyRecord{};
            deepSky[i].type = kOpenCluster;
            deepSky[i].name = (1u << 24) | i;
        }
        // 100 names spread over the whole catalogue, the last ones deep-sky objects.
        char text[kNameSize];
        for (uint32_t k = 0; k < 100; ++k) {
            if (k >= 95) {
                names.push_back("NGC " + std::to_string(kDeepSky - 1 - k));
                continue;
            }
            uint32_t star = (k * 1237 + 311) % kStars;
            mainDesignation(stars[star].designation, text);
            names.push_back(text);
        }
    }

    void attach() const {
        CatalogFiles f;
        f.data[kStellarData] = reinterpret_cast<const uint8_t*>(stars.data());
        f.size[kStellarData] = stars.size() * sizeof(StarRecord);
        f.data[kStellarXdat] = reinterpret_cast<const uint8_t*>(extras.data());
        f.size[kStellarXdat] = extras.size() * sizeof(StarExtraRecord);
        f.data[kGalacticData] = reinterpret_cast<const uint8_t*>(deepSky.data());
        f.size[kGalacticData] = deepSky.size() * sizeof(DeepSkyRecord);
        catalogAttach(f);
    }
};

const Catalogue& catalogue() {
    static const Catalogue c;
    return c;
}

// Baseline: one memcmp per name over as many 32-byte names as a full search forms (the main
// designation and the short and long extra names of every star, and the deep-sky names).
void BM_Baseline_MemcmpOverNames(benchmark::State& state) {
    const Catalogue& c = catalogue();
    size_t count = kStars + c.extras.size() * 6 + kDeepSky;
    std::vector<char> names(count * kNameSize);
    for (size_t i = 0; i < count; ++i) std::snprintf(&names[i * kNameSize], kNameSize, "HD %zu", i);
    char pattern[kNameSize] = "Nothing at all";
    for (auto _ : state) {
        size_t hits = 0;
        for (size_t i = 0; i < count; ++i) hits += std::memcmp(&names[i * kNameSize], pattern, kNameSize) == 0;
        benchmark::DoNotOptimize(hits);
    }
    state.counters["names"] = static_cast<double>(count);
}
BENCHMARK(BM_Baseline_MemcmpOverNames)->Unit(benchmark::kMillisecond);

// A full search that matches nothing: every star and deep-sky object is formatted and matched.
void BM_SearchNext_FullCatalogue(benchmark::State& state) {
    catalogue().attach();
    for (auto _ : state) {
        ObjectId id = searchNext(kNoObject, "Nothing*");
        benchmark::DoNotOptimize(id);
    }
}
BENCHMARK(BM_SearchNext_FullCatalogue)->Unit(benchmark::kMillisecond);

// A search listing every Bayer name of Orion in either form, as the search panel does.
void BM_SearchNext_ListAll(benchmark::State& state) {
    catalogue().attach();
    for (auto _ : state) {
        int hits = 0;
        for (ObjectId id = searchNext(kNoObject, "* Ori*"); id != kNoObject; id = searchNext(id, "* Ori*")) ++hits;
        benchmark::DoNotOptimize(hits);
    }
}
BENCHMARK(BM_SearchNext_ListAll)->Unit(benchmark::kMillisecond);

// A marker file of 100 named positions loaded right after start: the name index is built first.
void BM_FindByName_MarkerFileCold(benchmark::State& state) {
    const Catalogue& c = catalogue();
    for (auto _ : state) {
        c.attach();  // drops the index
        int found = 0;
        for (const std::string& name : c.names) found += findByName(name.c_str()) != kNoObject;
        if (found != 100) state.SkipWithError("a name was not found");
    }
}
BENCHMARK(BM_FindByName_MarkerFileCold)->Unit(benchmark::kMillisecond);

// The same 100 names once the index exists.
void BM_FindByName_MarkerFileWarm(benchmark::State& state) {
    const Catalogue& c = catalogue();
    c.attach();
    findByName("HIP 1");
    for (auto _ : state) {
        int found = 0;
        for (const std::string& name : c.names) found += findByName(name.c_str()) != kNoObject;
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_FindByName_MarkerFileWarm)->Unit(benchmark::kMicrosecond);

// What one lookup would cost as a plain scan (a name near the end of the stars).
void BM_FindByName_OneNameAsScan(benchmark::State& state) {
    catalogue().attach();
    char text[kNameSize];
    for (auto _ : state) {
        ObjectId found = kNoObject;
        for (uint32_t i = 0; i < starCount() && found == kNoObject; ++i) {
            StarRecord s;
            readStar(i, s);
            mainDesignation(s.designation, text);
            if (std::strcmp(text, "Nobody") == 0) found = i;
            StarExtraRecord e;
            if (s.extra < 0 || !readStarExtra(static_cast<uint32_t>(s.extra), e)) continue;
            char names[3][kNameSize];
            extraNames(e.designation, names[0], names[1], names[2]);
            for (auto& n : names)
                if (std::strcmp(n, "Nobody") == 0) found = i;
        }
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_FindByName_OneNameAsScan)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
