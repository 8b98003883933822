// The star chain. HIP numbers, positions, parallaxes and spectral types come from the
// stellarium-data zone catalogues (Hipparcos, 2007 reduction); every other table joins them by
// HIP number, except the KStars text catalogue, which is joined by position (it has no HIP
// numbers) to give the Hipparcos V and B-V of the whole entry to 0.01 where the zone files have
// only their components' values in 0.05 and 1/32 steps (the choice: magnitudes.h).
#include "stars.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <unordered_map>

#include "magnitudes.h"
#include "mkclass.h"
#include "octree.h"
#include "othersources.h"
#include "stellarium.h"

namespace sky {
namespace {

using catalog::ComponentRecord;
using catalog::StarExtraRecord;
using catalog::StarRecord;

constexpr double kNakedEyeLimit = 6.5;

// Interferometric and eclipsing-binary radii of well-measured stars (solar radii).
struct KnownRadius {
    uint32_t hip;
    double radius;
};
const KnownRadius kKnownRadii[] = {
    {32349, 1.711},   // Sirius A (Kervella et al. 2003)
    {30438, 71.4},    // Canopus (Kervella & Domiciano de Souza 2008)
    {69673, 25.4},    // Arcturus (Ramirez & Allende Prieto 2011)
    {71683, 1.2234},  // Alpha Centauri A (Kervella et al. 2017)
    {71681, 0.8632},  // Alpha Centauri B (Kervella et al. 2017)
    {70890, 0.1542},  // Proxima Centauri (Kervella et al. 2017)
    {91262, 2.73},    // Vega, equatorial (Peterson et al. 2006)
    {24608, 11.98},   // Capella Aa (Torres et al. 2015)
    {24436, 78.9},    // Rigel (Moravveji et al. 2012)
    {37279, 2.048},   // Procyon A (Kervella et al. 2004)
    {27989, 764.0},   // Betelgeuse (Joyce et al. 2020)
    {97649, 1.79},    // Altair, mean (Monnier et al. 2007)
    {21421, 44.2},    // Aldebaran (Richichi & Roccatagliata 2005)
    {80763, 680.0},   // Antares (Ohnaka et al. 2013)
    {37826, 9.06},    // Pollux (Nordgren et al. 2001)
    {102098, 203.0},  // Deneb (Schiller & Przybilla 2008)
    {113368, 1.842},  // Fomalhaut (Mamajek 2012)
    {16537, 0.735},   // Epsilon Eridani (Baines & Armstrong 2012)
    {8102, 0.793},    // Tau Ceti (Teixeira et al. 2009)
    {104214, 0.665},  // 61 Cygni A (Kervella et al. 2008)
    {104217, 0.595},  // 61 Cygni B (Kervella et al. 2008)
    {87937, 0.196},   // Barnard's Star (Segransan et al. 2003)
    {65474, 7.47},    // Spica A (Harrington et al. 2016)
};

struct Prepared {
    uint32_t hip = 0;
    ZoneStar primary;
    std::vector<ZoneStar> resolved;  // further Hipparcos components of the same HIP number
    double distanceLy = 0;
    double absMag = 0;
    bool estimated = false;
    uint16_t spectral = kNoSpectralCode;
    int text = -1;  // the KStars row matched to the entry, -1 none
    MagnitudeChoice magnitude;  // V and B-V of the whole entry, with their source
};

// Direction bins of about 0.2° for matching by position.
struct DirectionIndex {
    std::unordered_map<uint64_t, std::vector<uint32_t>> cells;
    static uint64_t key(int64_t a, int64_t b, int64_t c) {
        return static_cast<uint64_t>(a + 512) << 40 | static_cast<uint64_t>(b + 512) << 20 | static_cast<uint64_t>(c + 512);
    }
    static int64_t cell(double v) { return static_cast<int64_t>(std::floor(v * 256.0)); }
    void add(Vec3 d, uint32_t i) { cells[key(cell(d.x), cell(d.y), cell(d.z))].push_back(i); }
    template <class F>
    void near(Vec3 d, F&& f) const {
        int64_t a = cell(d.x), b = cell(d.y), c = cell(d.z);
        for (int64_t i = -1; i <= 1; ++i)
            for (int64_t j = -1; j <= 1; ++j)
                for (int64_t k = -1; k <= 1; ++k) {
                    auto it = cells.find(key(a + i, b + j, c + k));
                    if (it != cells.end())
                        for (uint32_t n : it->second) f(n);
                }
    }
};

uint32_t ccdmFromWds(const std::string& wds) {
    long ra, dec;
    if (wds.size() != 10 || !parseInt(wds.substr(0, 5), ra) || !parseInt(wds.substr(5), dec)) return 0;
    return static_cast<uint32_t>(ra) << 16 | static_cast<uint16_t>(static_cast<int16_t>(dec));
}

// The identifier the double-star catalogue forms from a J2000 position: RA as hhmm and tenths
// of a minute, declination as ±ddmm, both truncated.
uint32_t ccdmFromPosition(Vec3 dir) {
    double ra = raOf(dir) / 15.0, dec = decOf(dir);
    int h = static_cast<int>(ra);
    int tenths = static_cast<int>((ra - h) * 600.0);
    double ad = std::fabs(dec);
    int d = static_cast<int>(ad), m = static_cast<int>((ad - d) * 60.0);
    int decPart = (d * 100 + m) * (dec < 0 ? -1 : 1);
    return static_cast<uint32_t>(h * 1000 + tenths) << 16 | static_cast<uint16_t>(static_cast<int16_t>(decPart));
}

// Position angle (north through east, radians) and separation (radians) of b seen from a.
void relativePlace(Vec3 a, Vec3 b, double& angle, double& separation) {
    Vec3 east = normalised(cross({0, 0, 1}, a));
    Vec3 north = cross(a, east);
    Vec3 d = b - a;
    angle = std::atan2(dot(d, east), dot(d, north));
    if (angle < 0) angle += 2 * kPi;
    separation = angleBetween(a, b);
}

// Extra designation of a variable-star name: Greek (kind 1), V-number (3) or letters (2).
uint32_t variableCode(const std::string& name) {
    size_t blank = name.rfind(' ');
    if (blank == std::string::npos) return 0;
    int con = constellationIndex(name.substr(blank + 1));
    if (con < 0) return 0;
    std::string head = name.substr(0, blank);
    static const char* const kGreek[24] = {"α", "β", "γ", "δ", "ε", "ζ", "η", "θ", "ι", "κ", "λ", "μ",
                                           "ν", "ξ", "ο", "π", "ρ", "σ", "τ", "υ", "φ", "χ", "ψ", "ω"};
    for (uint32_t g = 0; g < 24; ++g) {
        size_t n = std::strlen(kGreek[g]);
        if (head.compare(0, n, kGreek[g]) == 0) {
            uint32_t sup = head.size() == n + 1 && head[n] >= '1' && head[n] <= '7' ? static_cast<uint32_t>(head[n] - '0') : 0;
            if (head.size() != n && !sup) return 0;
            return 1u << 24 | static_cast<uint32_t>(con) << 16 | sup << 5 | g;
        }
    }
    long number;
    if (head.size() > 1 && head[0] == 'V' && parseInt(head.substr(1), number) && number > 0 && number < 65536)
        return 3u << 24 | static_cast<uint32_t>(number) << 8 | static_cast<uint32_t>(con);
    if ((head.size() == 1 || head.size() == 2) && std::isupper(static_cast<unsigned char>(head[0])) &&
        (head.size() == 1 || std::isupper(static_cast<unsigned char>(head[1])))) {
        char second = head.size() == 2 ? head[1] : ' ';
        return 2u << 24 | static_cast<uint32_t>(static_cast<unsigned char>(head[0])) << 16 |
               static_cast<uint32_t>(static_cast<unsigned char>(second)) << 8 | static_cast<uint32_t>(con);
    }
    return 0;
}

std::string glieseText(uint32_t tenths) {
    char buf[32];
    if (tenths % 10) std::snprintf(buf, sizeof buf, "Gl %u.%u", tenths / 10, tenths % 10);
    else std::snprintf(buf, sizeof buf, "Gl %u", tenths / 10);
    return buf;
}

// KStars rows to HIP entries, by position: a row belongs to the entry with a zone record
// within 3" of it, the nearest pair first, each row and each entry used once; rows of the
// Hipparcos part are placed before those of the Tycho part, so that a wide pair's entry takes
// its Hipparcos row rather than a Tycho row of a component. Most rows are at J2000 like the
// zone records, but some are at the Hipparcos epoch (J1991.25), which moves the fast stars by
// many arcseconds (Tau Ceti 16"); each row is therefore also tried at its J2000 place.
constexpr double kTextEpochGap = 8.75;  // years from the Hipparcos epoch to J2000
constexpr double kMatchRadius = 3.0 * kArcsec;

std::map<uint32_t, int> matchTextRows(const std::map<uint32_t, std::vector<ZoneStar>>& byHip,
                                      const std::vector<TextStar>& text) {
    DirectionIndex index;
    std::vector<Vec3> moved(text.size());
    for (uint32_t i = 0; i < text.size(); ++i) {
        const TextStar& t = text[i];
        Vec3 east = normalised(cross({0, 0, 1}, t.dir));
        Vec3 north = cross(t.dir, east);
        double mas = kArcsec / 1000.0 * kTextEpochGap;
        moved[i] = normalised(t.dir + (east * t.pmRa + north * t.pmDec) * mas);
        index.add(t.dir, i);
        if (angleBetween(t.dir, moved[i]) > 0.5 * kArcsec) index.add(moved[i], i);
    }
    struct Pair {
        bool tycho;
        double separation;
        uint32_t hip;
        uint32_t row;
        bool operator<(const Pair& o) const {
            if (tycho != o.tycho) return !tycho;
            if (separation != o.separation) return separation < o.separation;
            return hip != o.hip ? hip < o.hip : row < o.row;
        }
    };
    std::vector<Pair> pairs;
    for (const auto& [hip, records] : byHip) {
        std::map<uint32_t, double> best;
        for (const ZoneStar& z : records)
            index.near(z.dir, [&](uint32_t n) {
                double d = std::min(angleBetween(z.dir, text[n].dir), angleBetween(z.dir, moved[n]));
                if (d > kMatchRadius) return;
                auto it = best.find(n);
                if (it == best.end() || d < it->second) best[n] = d;
            });
        for (const auto& [n, d] : best) pairs.push_back({!text[n].hipparcos, d, hip, n});
    }
    std::sort(pairs.begin(), pairs.end());
    std::map<uint32_t, int> out;
    std::vector<uint8_t> taken(text.size(), 0);
    for (const Pair& p : pairs) {
        if (taken[p.row] || out.count(p.hip)) continue;
        taken[p.row] = 1;
        out[p.hip] = static_cast<int>(p.row);
    }
    return out;
}

double percentile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(q * static_cast<double>(v.size())))];
}

// Apparent magnitude from the Sun that a record gives: absolute magnitude plus distance modulus.
double apparentFromSun(const StarRecord& r) {
    double d = length({r.x, r.y, r.z});
    return r.absMag / 256.0 - 5.0 + 5.0 * std::log10(d / kLyPerParsec);
}

std::vector<std::string> zoneFiles(const std::string& folder) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
        std::string n = e.path().filename().string();
        if (n.rfind("stars_", 0) != 0 || n.rfind("stars_hip", 0) == 0 || e.path().extension() != ".cat") continue;
        std::vector<uint8_t> head = readBinary(e.path().string());
        if (head.size() >= 8 && head[4] == 0 && head[5] == 0 && head[6] == 0 && head[7] == 0) out.push_back(e.path().string());
    }
    if (ec) fail(folder, "cannot list the star files");
    std::sort(out.begin(), out.end());
    if (out.empty()) fail(folder, "no Hipparcos zone catalogue (stars_N_0v0_M.cat)");
    return out;
}

}  // namespace

StarCatalogue buildStars(const StarInputs& in, StarReport& report) {
    const std::string& dir = in.stellariumStars;
    std::vector<std::string> spectralTable = readStringTable(joinPath(dir, "stars_hip_sp_0v0_4.cat"));
    std::vector<std::string> componentTable = readStringTable(joinPath(dir, "stars_hip_cids_0v0_0.cat"));
    std::map<uint32_t, std::vector<ZoneStar>> byHip;
    for (const std::string& f : zoneFiles(dir)) {
        std::vector<ZoneStar> zs = readZoneCatalogue(f, spectralTable, componentTable);
        report.zoneRecords += zs.size();
        for (ZoneStar& s : zs)
            if (s.hip) byHip[s.hip].push_back(std::move(s));
    }
    std::map<uint32_t, double> plxErr = readParallaxErrors(joinPath(dir, "hip_plx_err.dat"));
    std::map<uint32_t, CrossId> crossIds = readCrossIds(joinPath(dir, "cross-id.dat"));
    std::map<uint32_t, FabName> fab = readNameFab(joinPath(dir, "name.fab"));
    std::map<uint32_t, VariableStar> variables = readVariables(joinPath(dir, "gcvs_hip_part.dat"));
    std::map<uint32_t, DoubleStar> doubles = readDoubles(joinPath(dir, "wds_hip_part.dat"));
    std::map<uint32_t, std::string> proper = readProperNames(in.properNames);
    std::map<uint32_t, uint32_t> glieseOf = readGlieseNumbers(in.exoplanetSystems);
    std::vector<TextStar> text = readKStarsText(in.kstarsText);
    report.hipStars = byHip.size();
    std::map<uint32_t, int> textOf = matchTextRows(byHip, text);

    // 1. One entry per HIP number: its primary record, distance and absolute magnitude.
    std::vector<Prepared> prepared;
    prepared.reserve(byHip.size());
    for (auto& [hip, records] : byHip) {
        std::sort(records.begin(), records.end(), [](const ZoneStar& a, const ZoneStar& b) { return a.component < b.component; });
        Prepared p;
        p.hip = hip;
        p.primary = records[0];
        p.resolved.assign(records.begin() + 1, records.end());
        auto tm = textOf.find(hip);
        if (tm != textOf.end()) p.text = tm->second;
        // V and B-V of everything the record stands for: the primary and the components
        // resolved under the same HIP number.
        MagnitudeInput mi;
        mi.hip = hip;
        for (const ZoneStar& z : records) mi.zoneV.push_back(z.vmag);
        mi.zoneBv = p.primary.bv;
        mi.component = p.primary.component;
        if (p.text >= 0) mi.text = &text[static_cast<size_t>(p.text)];
        p.magnitude = chooseMagnitude(mi);
        const double v = p.magnitude.v;
        p.spectral = spectralCode(p.primary.spectral);
        auto err = plxErr.find(hip);
        if (err == plxErr.end()) ++report.noParallaxError;
        bool usable = err != plxErr.end() && p.primary.parallaxMas > 0 && p.primary.parallaxMas > err->second;
        if (usable) {
            double pc = 1000.0 / p.primary.parallaxMas;
            p.distanceLy = pc * kLyPerParsec;
            p.absMag = v + 5.0 + 5.0 * std::log10(p.primary.parallaxMas / 1000.0);
            ++report.usable;
        } else if (v < kNakedEyeLimit) {
            double m;
            if (!absoluteMagnitudeOf(p.spectral, m)) {
                ++report.droppedNakedEyeNoType;
                report.dropped.push_back("HIP " + std::to_string(hip) + ": V " + std::to_string(v).substr(0, 4) +
                                         ", no usable parallax and no spectral type to place it by");
                continue;
            }
            p.absMag = m;
            p.distanceLy = std::pow(10.0, (v - m + 5.0) / 5.0) * kLyPerParsec;
            p.estimated = true;
            ++report.estimatedNakedEye;
        } else {
            ++report.droppedFaint;
            continue;
        }
        prepared.push_back(std::move(p));
    }

    std::map<uint32_t, size_t> preparedOfHip;
    for (size_t i = 0; i < prepared.size(); ++i) preparedOfHip[prepared[i].hip] = i;

    // 2. Positions, and the Sun as one more entry.
    std::vector<TreeStar> treeStars;
    treeStars.reserve(prepared.size() + 1);
    for (const Prepared& p : prepared) {
        Vec3 pos = p.primary.dir * p.distanceLy;
        treeStars.push_back({pos.x, pos.y, pos.z, p.absMag});
    }
    const int64_t sunInput = static_cast<int64_t>(prepared.size());
    treeStars.push_back({0, 0, 0, 4.83});

    TreeOptions options;
    options.leafCapacity = in.leafCapacity;
    options.pinnedStar = sunInput;
    options.pinnedIndex = catalog::kSunIndex;
    TreeLayout layout;
    std::string error;
    if (!buildStarTree(treeStars, options, layout, error)) fail("star tree", error);
    report.treeNodes = layout.nodes.size();
    report.leaves = layout.leafCount;
    report.depth = static_cast<size_t>(layout.depth);
    report.largestRun = layout.largestRun;

    // 3. Records in tree order with their extra records and components.
    StarCatalogue out;
    out.tree = layout.nodes;
    out.stars.resize(layout.order.size());
    std::map<uint32_t, uint32_t> indexOfInput;
    for (uint32_t k = 0; k < layout.order.size(); ++k) indexOfInput[layout.order[k]] = k;
    for (uint32_t k = 0; k < layout.order.size(); ++k)
        if (layout.order[k] != static_cast<uint32_t>(sunInput)) out.indexOfHip[prepared[layout.order[k]].hip] = k;

    // Companions from the double-star catalogue: HIP stars sharing one identifier are one
    // system, whose primary is its brightest member.
    std::map<std::string, std::vector<uint32_t>> wdsGroups;
    for (const auto& [hip, d] : doubles)
        if (byHip.count(hip)) wdsGroups[d.wds].push_back(hip);
    // Hipparcos components catalogued under HIP numbers of their own (Alpha Centauri B): a
    // star whose record carries a letter from B on belongs to the nearest A record within 60".
    std::map<uint32_t, std::vector<uint32_t>> letteredCompanions;  // primary HIP → companion HIPs
    {
        DirectionIndex primaries;
        std::vector<uint32_t> primaryHips;
        for (const auto& [hip, records] : byHip)
            if (records[0].component == 'A') {
                primaries.add(records[0].dir, static_cast<uint32_t>(primaryHips.size()));
                primaryHips.push_back(hip);
            }
        const double within = std::cos(60.0 * kArcsec);
        for (const auto& [hip, records] : byHip) {
            if (records[0].component < 'B') continue;
            double best = within;
            uint32_t primary = 0;
            // A named copy: structured bindings cannot be captured by every compiler we build with.
            const Vec3 companion = records[0].dir;
            primaries.near(companion, [&](uint32_t n) {
                double c = dot(byHip[primaryHips[n]][0].dir, companion);
                if (c >= best) {
                    best = c;
                    primary = primaryHips[n];
                }
            });
            if (primary) letteredCompanions[primary].push_back(hip);
        }
    }
    std::map<uint32_t, std::vector<uint32_t>> wdsCompanions;  // primary HIP → companion HIPs
    for (auto& [wds, hips] : wdsGroups) {
        if (hips.size() < 2) continue;
        std::sort(hips.begin(), hips.end(), [&](uint32_t a, uint32_t b) {
            return byHip[a][0].vmag < byHip[b][0].vmag || (byHip[a][0].vmag == byHip[b][0].vmag && a < b);
        });
        wdsCompanions[hips[0]].assign(hips.begin() + 1, hips.end());
    }

    std::string cross = "index\tHIP\tHD\tGliese\tname\n";
    for (uint32_t k = 0; k < layout.order.size(); ++k) {
        StarRecord& r = out.stars[k];
        r.flags = layout.lastOfRun[k] ? catalog::kLastOfRun : 0;
        r.firstComponent = -1;
        r.extra = -1;
        if (layout.order[k] == static_cast<uint32_t>(sunInput)) {
            r.x = r.y = r.z = 0;
            r.absMag = fixed88(4.83);
            r.colourBV = fixed88(0.65);
            r.spectral = 0x0542;  // G2V
            r.designation = 0xFF000000u;  // no catalogue number
            StarExtraRecord e{};
            e.designation = 10u << 24;  // the Sun: "Sol"
            e.radius = 1.0f;
            r.extra = static_cast<int32_t>(out.extras.size());
            out.extras.push_back(e);
            cross += std::to_string(k) + "\t\t\t\tSun\n";
            out.forDeepSky.push_back({{1, 0, 0}, 0, -26.74});
            continue;
        }
        const Prepared& p = prepared[layout.order[k]];
        Vec3 pos = p.primary.dir * p.distanceLy;
        r.x = static_cast<float>(pos.x);
        r.y = static_cast<float>(pos.y);
        r.z = static_cast<float>(pos.z);
        r.absMag = fixed88(p.absMag);
        r.colourBV = fixed88(p.magnitude.bv);
        r.spectral = p.spectral;
        r.designation = p.hip;  // catalogue 0: "HIP n"
        out.forDeepSky.push_back({p.primary.dir, p.distanceLy, p.magnitude.v});

        // Extra names, in order of preference.
        StarExtraRecord e{};
        e.designation = 0xFFFFFFFFu;
        bool extra = false;
        auto fn = fab.find(p.hip);
        auto var = variables.find(p.hip);
        auto gl = glieseOf.find(p.hip);
        auto ci = crossIds.find(p.hip);
        if (fn != fab.end() && fn->second.constellation >= 0) {
            const FabName& f = fn->second;
            uint32_t g = f.greek >= 0 ? static_cast<uint32_t>(f.greek) : 31u;
            e.designation = 1u << 24 | static_cast<uint32_t>(f.constellation) << 16 |
                            static_cast<uint32_t>(f.flamsteed) << 8 | static_cast<uint32_t>(f.superscript & 7) << 5 | g;
            ++report.bayerFlamsteed;
        } else if (var != variables.end() && variableCode(var->second.name)) {
            e.designation = variableCode(var->second.name);
            ++report.variableNames;
        } else if (gl != glieseOf.end()) {
            e.designation = 5u << 24 | gl->second;
            ++report.gliese;
        } else if (ci != crossIds.end() && ci->second.hr) {
            e.designation = ci->second.hr;  // kind 0: "HR n"
            ++report.hr;
        }
        if (e.designation != 0xFFFFFFFFu) extra = true;
        if (var != variables.end()) {
            // Magnitudes at maximum light (bright) and at minimum light (faint).
            e.maxMag = fixed88(var->second.maxMag);
            e.minMag = fixed88(var->second.hasMin ? var->second.minMag : var->second.maxMag);
            e.period = static_cast<float>(var->second.period);
            extra = true;
            ++report.variables;
        }
        for (const KnownRadius& kr : kKnownRadii)
            if (kr.hip == p.hip) {
                e.radius = static_cast<float>(kr.radius);
                extra = true;
                ++report.radii;
            }
        if (extra) {
            r.extra = static_cast<int32_t>(out.extras.size());
            out.extras.push_back(e);
        }

        // Components: the resolved Hipparcos components of this HIP number, then the other HIP
        // stars sharing its double-star identifier.
        struct Comp {
            char letter;
            uint16_t spectral;
            double absMag;
            Vec3 dir;
        };
        std::vector<Comp> comps;
        std::set<char> used{p.primary.component ? p.primary.component : 'A'};
        // Each component shines with its own light at the primary's distance: a zone record's
        // V, or the V of a companion's own entry where it has one.
        double modulus = p.absMag - p.magnitude.v;
        auto ownV = [&](uint32_t other) {
            auto e = preparedOfHip.find(other);
            return e != preparedOfHip.end() ? prepared[e->second].magnitude.v : byHip[other][0].vmag + kZoneVStep / 2;
        };
        for (const ZoneStar& z : p.resolved) {
            char letter = z.component ? z.component : 'B';
            comps.push_back({letter, spectralCode(z.spectral), z.vmag + kZoneVStep / 2 + modulus, z.dir});
            used.insert(letter);
            ++report.resolvedComponents;
        }
        std::set<uint32_t> companionHips;
        auto lc = letteredCompanions.find(p.hip);
        if (lc != letteredCompanions.end())
            for (uint32_t other : lc->second) {
                const ZoneStar& z = byHip[other][0];
                if (used.count(z.component)) continue;
                used.insert(z.component);
                companionHips.insert(other);
                comps.push_back({z.component, spectralCode(z.spectral), ownV(other) + modulus, z.dir});
                ++report.letteredCompanions;
            }
        auto wc = wdsCompanions.find(p.hip);
        if (wc != wdsCompanions.end())
            for (uint32_t other : wc->second) {
                if (companionHips.count(other)) continue;
                char letter = 'B';
                while (used.count(letter)) ++letter;
                if (letter > 'Z') break;
                used.insert(letter);
                const ZoneStar& z = byHip[other][0];
                comps.push_back({letter, spectralCode(z.spectral), ownV(other) + modulus, z.dir});
                ++report.wdsCompanions;
            }
        auto wd = doubles.find(p.hip);
        if (comps.empty() && wd != doubles.end()) ++report.wdsWithoutData;
        if (!comps.empty()) {
            std::sort(comps.begin(), comps.end(), [](const Comp& a, const Comp& b) { return a.letter < b.letter; });
            uint32_t ccdm = wd != doubles.end() ? ccdmFromWds(wd->second.wds) : 0;
            if (!ccdm) ccdm = ccdmFromPosition(p.primary.dir);
            r.firstComponent = static_cast<int32_t>(out.components.size());
            for (size_t c = 0; c < comps.size(); ++c) {
                ComponentRecord cr{};
                cr.letter1 = comps[c].letter;
                cr.letter2 = static_cast<uint8_t>(' ' | (c + 1 == comps.size() ? catalog::kLastComponent : 0));
                cr.spectral = comps[c].spectral;
                cr.magnitude = fixed88(comps[c].absMag);
                cr.ccdm = ccdm;
                double angle, separation;
                relativePlace(p.primary.dir, comps[c].dir, angle, separation);
                cr.separation = static_cast<float>(separation * p.distanceLy);
                cr.angle = fixed88(angle);
                out.components.push_back(cr);
            }
            ++report.multipleStars;
            report.components += comps.size();
        }

        std::string hd = ci != crossIds.end() && ci->second.hd ? std::to_string(ci->second.hd) : "";
        std::string g = gl != glieseOf.end() ? glieseText(gl->second) : "";
        auto pn = proper.find(p.hip);
        cross += std::to_string(k) + "\t" + std::to_string(p.hip) + "\t" + hd + "\t" + g + "\t" +
                 (pn != proper.end() ? pn->second : "") + "\n";
    }
    out.crossIndex = std::move(cross);

    // 4. The comparison with the sources, for the run's report: the V from the Sun that each
    // record gives against the Hipparcos V, the zone files and the Tycho-based V; positions
    // against the zone records and the KStars rows.
    {
        ResidualHistogram vsHipparcos, vsZone, vsTycho, bvHipparcos, bvZone;
        std::vector<double> toZone, toText;
        size_t rowsHipparcos = 0, rowsTycho = 0, matchedHipparcos = 0, matchedTycho = 0;
        for (const TextStar& t : text) (t.hipparcos ? rowsHipparcos : rowsTycho)++;
        std::map<uint32_t, const Prepared*> preparedOf;
        for (const Prepared& p : prepared) preparedOf[p.hip] = &p;
        for (uint32_t k = 0; k < out.stars.size(); ++k) {
            if (k == catalog::kSunIndex) continue;
            const StarRecord& r = out.stars[k];
            const Prepared& p = *preparedOf.at(r.designation);
            double v = apparentFromSun(r), bv = r.colourBV / 256.0;
            std::vector<double> light{p.primary.vmag + kZoneVStep / 2};
            for (const ZoneStar& z : p.resolved) light.push_back(z.vmag + kZoneVStep / 2);
            vsZone.add(v - combinedMagnitude(light));
            bvZone.add(bv - (p.primary.bv + kZoneBvStep / 2));
            Vec3 dir = normalised({r.x, r.y, r.z});
            toZone.push_back(angleBetween(dir, p.primary.dir) / kArcsec);
            if (p.text < 0) continue;
            const TextStar& t = text[static_cast<size_t>(p.text)];
            toText.push_back(angleBetween(dir, t.dir) / kArcsec);
            if (t.hipparcos) {
                ++matchedHipparcos;
                vsHipparcos.add(v - t.vmag);
                bvHipparcos.add(bv - t.bv);
            } else {
                ++matchedTycho;
                vsTycho.add(v - t.vmag);
            }
        }
        char line[240];
        std::snprintf(line, sizeof line,
                      "KStars rows matched to catalogue stars: Hipparcos part %zu of %zu, Tycho part %zu of %zu "
                      "(3\", at J2000 or at the Hipparcos epoch)",
                      matchedHipparcos, rowsHipparcos, matchedTycho, rowsTycho);
        report.magnitudes.push_back(line);
        size_t bySource[static_cast<int>(MagnitudeSource::kCount)] = {};
        size_t multiples = 0, multiplesHipparcos = 0;
        for (const Prepared& p : prepared) {
            ++bySource[static_cast<int>(p.magnitude.source)];
            if (!p.resolved.empty()) {
                ++multiples;
                if (p.magnitude.source == MagnitudeSource::kHipparcos || p.magnitude.source == MagnitudeSource::kPublished)
                    ++multiplesHipparcos;
            }
            if (!p.magnitude.caveat.empty())
                report.caveats.push_back("HIP " + std::to_string(p.hip) + ": " + p.magnitude.caveat);
        }
        report.magnitudes.push_back("V and B-V taken from:");
        for (int i = 0; i < static_cast<int>(MagnitudeSource::kCount); ++i) {
            std::snprintf(line, sizeof line, "  %-52s %6zu", magnitudeSourceName(static_cast<MagnitudeSource>(i)),
                          bySource[i]);
            report.magnitudes.push_back(line);
        }
        std::snprintf(line, sizeof line,
                      "multiples combined (records standing for several zone records): %zu, %zu with the entry's "
                      "Hipparcos V, %zu summed from the components",
                      multiples, multiplesHipparcos, multiples - multiplesHipparcos);
        report.magnitudes.push_back(line);
        report.magnitudes.push_back("V from the Sun - Hipparcos V:      " + vsHipparcos.text());
        // How far the zone-only rules are from the Hipparcos V, where it is known to check them:
        // the stars that take them (mostly fainter than 8) have nothing better in the sources.
        ResidualHistogram summed, summedBv, component;
        for (const Prepared& p : prepared) {
            if (p.text < 0 || !text[static_cast<size_t>(p.text)].hipparcos) continue;
            const TextStar& t = text[static_cast<size_t>(p.text)];
            if (!p.resolved.empty()) {
                std::vector<double> light{p.primary.vmag + kZoneVStep / 2};
                for (const ZoneStar& z : p.resolved) light.push_back(z.vmag + kZoneVStep / 2);
                summed.add(combinedMagnitude(light) - t.vmag);
                summedBv.add(p.primary.bv + kZoneBvStep / 2 - t.bv);
            } else if (p.primary.component >= 'B') {
                component.add(p.primary.vmag + kZoneVStep / 2 - t.vmag);
            }
        }
        report.magnitudes.push_back("  check of the rules: components summed - Hipparcos V:  " + summed.text());
        report.magnitudes.push_back("  their primary's B-V - Hipparcos B-V:                 " + summedBv.text());
        report.magnitudes.push_back("  a component alone under its number - Hipparcos V:    " + component.text());
        report.magnitudes.push_back("V from the Sun - zone files:       " + vsZone.text());
        report.magnitudes.push_back("V from the Sun - Tycho-based V:    " + vsTycho.text());
        report.magnitudes.push_back("B-V - Hipparcos B-V:               " + bvHipparcos.text());
        report.magnitudes.push_back("B-V - zone files:                  " + bvZone.text());
        std::snprintf(line, sizeof line,
                      "directions: to the zone records median %.3f\" (99%% %.3f\"), to the KStars rows median %.3f\" "
                      "(99%% %.3f\")",
                      percentile(toZone, 0.5), percentile(toZone, 0.99), percentile(toText, 0.5),
                      percentile(toText, 0.99));
        report.magnitudes.push_back(line);
    }

    // 5. The well-known stars (those the catalogue's tests check), for the run's log.
    const struct {
        uint32_t hip;
        const char* name;
    } checks[] = {{32349, "Sirius"},     {30438, "Canopus"},   {69673, "Arcturus"},  {91262, "Vega"},
                  {24436, "Rigel"},      {27989, "Betelgeuse"}, {11767, "Polaris"},   {71683, "Alpha Cen A"},
                  {71681, "Alpha Cen B"}, {60718, "Acrux"},    {62434, "Mimosa"},    {61084, "Gacrux"},
                  {36850, "Castor"},     {37826, "Pollux"},    {61941, "Porrima"},   {61932, "Muhlifain"},
                  {13847, "Acamar"},     {8832, "Mesarthim"}};
    for (const auto& c : checks) {
        auto it = out.indexOfHip.find(c.hip);
        if (it == out.indexOfHip.end()) {
            report.checks.push_back(std::string(c.name) + ": missing");
            continue;
        }
        const StarRecord& r = out.stars[it->second];
        Vec3 v{r.x, r.y, r.z};
        char line[200];
        std::snprintf(line, sizeof line, "%-12s HIP %6u index %6u  RA %8.3f Dec %+8.3f  %9.2f ly  M %+.2f  V %+.2f  B-V %+.2f  %s",
                      c.name, c.hip, it->second, raOf(v), decOf(v), length(v), r.absMag / 256.0, apparentFromSun(r),
                      r.colourBV / 256.0, spectralText(r.spectral).c_str());
        report.checks.push_back(line);
    }
    return out;
}

}  // namespace sky
