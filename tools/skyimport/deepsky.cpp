// Builds the deep-sky records: open clusters (Dias), globular clusters (Harris), pulsars (ATNF)
// and nebulae (stellarium-data's deep-sky catalogue), with the name codes of the name tables.
#include "deepsky.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace sky {
namespace {

using catalog::DeepSkyRecord;

constexpr double kLyPerKpc = 1000.0 * kLyPerParsec;
// Absolute magnitude stored for objects whose brightness no source gives (pulsars, many
// nebulae): faint enough never to pass a magnitude test, and plainly not a measurement.
constexpr double kUnknownAbsMag = 25.0;

DeepSkyRecord blank(uint8_t type, Vec3 p, double absMag, uint32_t name) {
    DeepSkyRecord r{};
    r.type = type;
    r.absMag = fixed88(absMag);
    r.x = static_cast<float>(p.x);
    r.y = static_cast<float>(p.y);
    r.z = static_cast<float>(p.z);
    r.name = name;
    return r;
}

double absoluteFrom(double apparent, double distanceLy) {
    return apparent - 5.0 * std::log10(distanceLy / kLyPerParsec / 10.0);
}

// ---- The Qt data stream ---------------------------------------------------------------------

std::vector<uint8_t> gunzip(const std::string& path) {
    std::vector<uint8_t> in = readBinary(path);
    z_stream z{};
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) fail(path, "zlib cannot start");
    std::vector<uint8_t> out;
    z.next_in = in.data();
    z.avail_in = static_cast<uInt>(in.size());
    uint8_t chunk[1 << 16];
    int rc;
    do {
        z.next_out = chunk;
        z.avail_out = sizeof chunk;
        rc = inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) {
            inflateEnd(&z);
            fail(path, "not a valid gzip stream");
        }
        out.insert(out.end(), chunk, chunk + (sizeof chunk - z.avail_out));
    } while (rc != Z_STREAM_END);
    inflateEnd(&z);
    return out;
}

struct QtReader {
    const std::vector<uint8_t>& d;
    const std::string& path;
    size_t p = 0;
    void need(size_t n) {
        if (p + n > d.size()) fail(path, "stream ends inside a record at byte " + std::to_string(p));
    }
    uint32_t u32() {
        need(4);
        uint32_t v = static_cast<uint32_t>(d[p]) << 24 | d[p + 1] << 16 | d[p + 2] << 8 | d[p + 3];
        p += 4;
        return v;
    }
    double f64() {
        need(8);
        uint64_t v = 0;
        for (int i = 0; i < 8; ++i) v = v << 8 | d[p + i];
        p += 8;
        double out;
        std::memcpy(&out, &v, 8);
        return out;
    }
    std::string str() {  // UTF-16BE, kept as Latin-1 / '?' for the few names read
        uint32_t n = u32();
        if (n == 0xFFFFFFFFu) return {};
        if (n % 2) fail(path, "odd string length at byte " + std::to_string(p));
        need(n);
        std::string s;
        for (uint32_t i = 0; i < n; i += 2) {
            unsigned c = d[p + i] << 8 | d[p + i + 1];
            s += c < 256 ? static_cast<char>(c) : '?';
        }
        p += n;
        return s;
    }
};

// ---- Open clusters --------------------------------------------------------------------------

struct ClusterPrefix {
    const char* dias;
    int row;
};
// Dias name prefixes and the open-cluster catalogue rows of the name tables.
const ClusterPrefix kClusterPrefixes[] = {
    {"NGC", 1},        {"IC", 2},          {"Berkeley", 3},      {"Czernik", 4},      {"Dolidze", 5},
    {"Collinder", 6},  {"Upgren", 7},      {"Tombaugh", 8},      {"Ruprecht", 9},     {"King", 10},
    {"Stock", 11},     {"Trumpler", 13},   {"Markarian", 14},    {"Haffner", 16},     {"Hogg", 17},
    {"Sher", 18},      {"Feinstein", 19},  {"Harvard", 20},      {"Lynga", 21},       {"Westerlund", 22},
    {"Basel", 23},     {"Blanco", 24},     {"Barkhatova", 25},   {"Biurakan", 26},    {"Melotte", 27},
    {"Pismis", 28},    {"Graff", 33},      {"Iskudarian", 34},   {"Stephenson", 35},  {"Roslund", 36},
    {"BH", 39},        {"Bochum", 40},     {"Dol Dzim", 41}, {"Antalova", 43},    {"Moffat", 44},
    {"Havlen Moffat", 45}, {"Frolov", 46}, {"vdBergh", 48},      {"Mayer", 49},       {"Latysev", 50},
    {"Graham", 52},    {"Loden", 54},      {"Grasdalen", 55},    {"Waterloo", 56},    {"Auner", 57},
    {"Schuster", 59},  {"Danks", 60},      {"Muzzio", 61},
};

// Name code of a Dias cluster name, 0 when the name tables have no row for it.
uint32_t openClusterCode(const std::string& name) {
    if (name == "Melotte 22") return 32u << 24;   // the Pleiades
    if (name == "Melotte 25") return 37u << 24;   // the Hyades
    if (name == "Trapezium") return 30u << 24;
    if (name == "Aveni Hunter 1") return 53u << 24;
    size_t blank = name.rfind(' ');
    if (blank == std::string::npos) return 0;
    std::string prefix = name.substr(0, blank);
    long number;
    if (!parseInt(name.substr(blank + 1), number) || number <= 0 || number > 0xFFFFFF) return 0;
    for (const ClusterPrefix& p : kClusterPrefixes)
        if (prefix == p.dias) return static_cast<uint32_t>(p.row) << 24 | static_cast<uint32_t>(number);
    return 0;
}

// Trumpler class word from Dias's "4-3-p-*" form: concentration (bits 13-15), range (11-12),
// richness (9-10: r 1, p 2, m 3), nebulosity (bit 8), members (bits 0-7, at most 255).
bool trumplerWord(const std::string& text, int members, uint16_t& word) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t dash = text.find('-', start);
        parts.push_back(text.substr(start, dash == std::string::npos ? std::string::npos : dash - start));
        if (dash == std::string::npos) break;
        start = dash + 1;
    }
    if (parts.size() != 4) return false;
    long conc = 0, range = 0;
    if (!parts[0].empty() && (!parseInt(parts[0], conc) || conc < 1 || conc > 4)) return false;
    if (!parseInt(parts[1], range) || range < 1 || range > 3) return false;
    int rich = parts[2] == "r" ? 1 : parts[2] == "p" ? 2 : parts[2] == "m" ? 3 : 0;
    int neb = parts[3] == "n" ? 1 : 0;
    int m = std::clamp(members, 0, 255);
    word = static_cast<uint16_t>(conc << 13 | range << 11 | rich << 9 | neb << 8 | m);
    return true;
}

// The catalogue identifier of a Dias name in the deep-sky catalogue's number fields.
bool sameCluster(const std::string& name, const DsoEntry& e) {
    size_t blank = name.rfind(' ');
    long n;
    if (blank == std::string::npos || !parseInt(name.substr(blank + 1), n) || n <= 0) return false;
    std::string p = name.substr(0, blank);
    uint32_t u = static_cast<uint32_t>(n);
    return (p == "NGC" && e.ngc == u) || (p == "IC" && e.ic == u) || (p == "Collinder" && e.collinder == u) ||
           (p == "Melotte" && e.melotte == u) || (p == "Trumpler" && e.trumpler == u) ||
           (p == "Stock" && e.stock == u) || (p == "Ruprecht" && e.ruprecht == u) ||
           (p == "BH" && e.vdbha == u);
}

void addOpenClusters(const std::string& path, const std::vector<DsoEntry>& dso, const std::vector<CatalogueStar>& stars,
                     std::vector<DeepSkyRecord>& out, DeepSkyReport& report) {
    std::vector<std::string> lines = readLines(path);
    // Deep-sky catalogue entries that can carry a cluster's integrated magnitude.
    std::vector<const DsoEntry*> clusterEntries;
    for (const DsoEntry& e : dso)
        if ((e.ngc || e.ic || e.collinder || e.melotte || e.trumpler || e.stock || e.ruprecht || e.vdbha) &&
            (e.vmag < 90 || e.bmag < 90))
            clusterEntries.push_back(&e);
    std::map<std::string, int> unnamed;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        if (trim(l).empty()) continue;
        std::string name = column(l, 1, 17);
        double rh, rm, rs, dd, dm, ds, diam, dist, age = 0;
        if (!parseDouble(column(l, 19, 20), rh) || !parseDouble(column(l, 22, 23), rm) ||
            !parseDouble(column(l, 25, 26), rs) || !parseDouble(column(l, 29, 30), dd) ||
            !parseDouble(column(l, 32, 33), dm) || !parseDouble(column(l, 35, 36), ds))
            fail(where(path, i), "unreadable position of '" + name + "'");
        double sign = l.size() > 27 && l[27] == '-' ? -1.0 : 1.0;
        if (!parseDouble(column(l, 49, 53), dist) || dist <= 0 || !parseDouble(column(l, 42, 47), diam)) {
            ++report.openSkipped;  // no distance or no size: cannot be placed
            continue;
        }
        uint32_t code = openClusterCode(name);
        if (!code) {
            ++report.openSkipped;
            ++unnamed[name.substr(0, name.rfind(' ') == std::string::npos ? name.size() : name.rfind(' '))];
            continue;
        }
        parseDouble(column(l, 61, 66), age);
        long members = 0;
        parseInt(column(l, 94, 98), members);
        double ra = (rh + rm / 60 + rs / 3600) * 15, dec = sign * (dd + dm / 60 + ds / 3600);
        double distLy = dist * kLyPerParsec;
        double radius = diam / 2 / 60 * kDeg;  // radians
        Vec3 dir = direction(ra, dec);

        // Member stars of the catalogue: inside the cluster's radius on the sky and within a
        // quarter of its distance along the line of sight.
        double brightest = 99, flux = 0;
        double cosR = std::cos(std::max(radius, 1.0 / 60 * kDeg));
        for (const CatalogueStar& s : stars) {
            if (dot(s.dir, dir) < cosR) continue;
            if (std::fabs(s.distanceLy - distLy) > std::max(0.25 * distLy, 30.0)) continue;
            brightest = std::min(brightest, s.vmag);
            flux += std::pow(10.0, -0.4 * s.vmag);
        }
        double apparent = 99;
        for (const DsoEntry* e : clusterEntries)
            if (sameCluster(name, *e)) {
                apparent = e->vmag < 90 ? e->vmag : e->bmag;
                break;
            }
        double absMag;
        if (apparent < 90) {
            absMag = absoluteFrom(apparent, distLy);
            ++report.openMagFromDso;
        } else if (flux > 0) {
            absMag = absoluteFrom(-2.5 * std::log10(flux), distLy);
            ++report.openMagFromStars;
        } else {
            // Neither source: members of about absolute magnitude +1 each (a main-sequence A
            // star), as many as the catalogue's estimated member count.
            absMag = 1.0 - 2.5 * std::log10(std::max(10L, members));
            ++report.openMagFromCount;
        }
        DeepSkyRecord r = blank(catalog::kOpenCluster, dir * distLy, absMag, code);
        r.v.open.diameter = static_cast<float>(2 * distLy * std::tan(radius));
        r.v.open.logAge = static_cast<float>(age);
        r.v.open.brightest = brightest < 90 ? fixed88(brightest) : 0;
        if (brightest < 90) ++report.openBrightestFromStars;
        uint16_t word = 0;
        if (trumplerWord(column(l, 145, 152), static_cast<int>(members), word)) ++report.openTrumpler;
        r.v.open.trumpler = word;
        out.push_back(r);
        ++report.openClusters;
    }
    std::string skipped = "open-cluster families without a name-table row:";
    for (const auto& [prefix, n] : unnamed) skipped += " " + prefix + "(" + std::to_string(n) + ")";
    report.notes.push_back(skipped);
}

// ---- Globular clusters ----------------------------------------------------------------------

uint32_t globularCode(const std::string& id, const std::string& other) {
    if (other.compare(0, 2, "M ") == 0) {
        long m;
        if (parseInt(other.substr(2), m) && m > 0 && m < 255) {
            long ngc = 0;
            if (id.compare(0, 4, "NGC ") == 0) parseInt(id.substr(4), ngc);
            return static_cast<uint32_t>(m) << 24 | static_cast<uint32_t>(ngc & 0xFFFF);
        }
    }
    auto named = [](uint32_t row) { return 0xFF000000u | 15u << 16 | row; };
    if (other == "47 Tuc") return named(0);
    if (id == "Eridanus") return named(1);
    if (id == "Pyxis") return named(2);
    if (other == "omega Cen") return named(3);
    if (other == "ESO452-SC11") return named(5);
    if (id == "UKS 1") return named(7);
    static const char* const kRows[14] = {"NGC", "Pal", "AM", "E", "Rup", "IC", "BH",
                                          "Lynga", "Terzan", "HP", "Liller", "Ton", "Djorg", "Arp"};
    size_t blank = id.rfind(' ');
    long n;
    if (blank == std::string::npos || !parseInt(id.substr(blank + 1), n) || n <= 0 || n > 0xFFFF) return 0;
    std::string prefix = id.substr(0, blank);
    for (uint32_t row = 0; row < 14; ++row)
        if (prefix == kRows[row]) return 0xFF000000u | row << 16 | static_cast<uint32_t>(n);
    return 0;
}

void addGlobulars(const std::string& path, std::vector<DeepSkyRecord>& out, DeepSkyReport& report) {
    std::vector<std::string> lines = readLines(path);
    // The three tables start after their "ID" header lines; rows run to the next blank line.
    std::vector<std::vector<std::string>> parts;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::vector<std::string> w = splitBlanks(lines[i]);
        if (w.empty() || w[0] != "ID") continue;
        std::vector<std::string> rows;
        size_t j = i + 1;
        while (j < lines.size() && trim(lines[j]).empty()) ++j;
        for (; j < lines.size() && !trim(lines[j]).empty(); ++j) rows.push_back(lines[j]);
        parts.push_back(rows);
        i = j;
    }
    if (parts.size() != 3 || parts[0].size() != parts[1].size() || parts[0].size() != parts[2].size())
        fail(path, "expected three tables of equal length");
    std::string skipped = "globular clusters without a name-table row:";
    for (size_t k = 0; k < parts[0].size(); ++k) {
        const std::string& a = parts[0][k];
        const std::string& b = parts[1][k];
        const std::string& c = parts[2][k];
        std::string id = column(a, 1, 12), other = column(a, 13, 25);
        std::vector<std::string> w = splitBlanks(a.size() > 25 ? a.substr(25) : std::string());
        double rh, rm, rs, dd, dm, ds, rsun;
        if (w.size() < 9 || !parseDouble(w[0], rh) || !parseDouble(w[1], rm) || !parseDouble(w[2], rs) ||
            !parseDouble(w[3], dd) || !parseDouble(w[4], dm) || !parseDouble(w[5], ds) || !parseDouble(w[8], rsun))
            fail(path, "part I row " + std::to_string(k + 1) + " ('" + id + "'): unreadable position or distance");
        uint32_t code = globularCode(id, other);
        if (!code) {
            ++report.globularSkipped;
            skipped += " " + id;
            continue;
        }
        double sign = w[3][0] == '-' ? -1.0 : 1.0;
        double ra = (rh + rm / 60 + rs / 3600) * 15, dec = sign * (std::fabs(dd) + dm / 60 + ds / 3600);
        double distLy = rsun * kLyPerKpc;
        double vt, mvt, conc = 0, rc = 0, rhalf = 0;
        double absMag;
        if (parseDouble(column(b, 42, 47), vt)) absMag = absoluteFrom(vt, distLy);
        else if (parseDouble(column(b, 48, 54), mvt)) absMag = mvt;
        else absMag = kUnknownAbsMag;
        // Columns 48 to 55: column 47 ends the velocity dispersion's error ("0.3   2.07").
        parseDouble(column(c, 48, 55), conc);
        parseDouble(column(c, 60, 65), rc);
        parseDouble(column(c, 66, 71), rhalf);
        auto arcminToLy = [&](double arcmin) { return distLy * std::tan(arcmin / 60 * kDeg); };
        DeepSkyRecord r = blank(catalog::kGlobularCluster, placeAt(ra, dec, distLy), absMag, code);
        r.v.f.a = static_cast<float>(arcminToLy(rc));
        r.v.f.b = static_cast<float>(conc);
        r.v.f.c = static_cast<float>(arcminToLy(rhalf));  // the half-light radius
        out.push_back(r);
        ++report.globulars;
    }
    report.notes.push_back(skipped);
}

// ---- Pulsars --------------------------------------------------------------------------------

bool sexagesimal(const std::string& text, double& out) {
    std::string t = text;
    double sign = 1;
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
        sign = t[0] == '-' ? -1 : 1;
        t.erase(0, 1);
    }
    double parts[3] = {0, 0, 0};
    size_t start = 0;
    for (int k = 0; k < 3; ++k) {
        size_t colon = t.find(':', start);
        std::string piece = t.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (!parseDouble(piece, parts[k])) return false;
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    out = sign * (parts[0] + parts[1] / 60 + parts[2] / 3600);
    return true;
}

// "PSR B0531+21" / "PSR J1748-2446A": RA part, declination degrees and the suffix byte.
uint32_t pulsarCode(const std::string& name, bool& isJ) {
    if (name.size() < 8 || (name[0] != 'B' && name[0] != 'J')) return 0;
    isJ = name[0] == 'J';
    long ra, dec;
    if (!parseInt(name.substr(1, 4), ra) || (name[5] != '+' && name[5] != '-') || !parseInt(name.substr(6, 2), dec))
        return 0;
    size_t tail = 6;
    while (tail < name.size() && std::isdigit(static_cast<unsigned char>(name[tail]))) ++tail;
    char suffix = tail < name.size() ? name[tail] : 0;
    uint32_t d = name[5] == '-' && dec > 0 ? static_cast<uint32_t>(0x100 - dec) : static_cast<uint32_t>(dec);
    uint32_t low;
    if (!isJ) low = suffix ? static_cast<uint32_t>(suffix) : 0x20;  // B names: letters of the B era
    else if (suffix && (static_cast<unsigned char>(suffix) & 0x50)) low = static_cast<uint32_t>(suffix);
    else low = 0x10;  // J without suffix: the J bit alone, a non-printing suffix
    if (!isJ && (low & 0x50)) low = 0x20;  // a B name must not read as J
    return static_cast<uint32_t>(ra) << 16 | d << 8 | low;
}

void addPulsars(const std::string& path, std::vector<DeepSkyRecord>& out, DeepSkyReport& report) {
    std::vector<std::string> lines = readLines(path);
    std::map<std::string, std::string> rec;
    size_t startLine = 0;
    auto value = [&](const char* key, double& v) {
        auto it = rec.find(key);
        return it != rec.end() && parseDouble(it->second, v);
    };
    auto finish = [&]() {
        if (rec.empty()) return;
        std::string name = rec.count("PSRB") ? rec["PSRB"] : rec["PSRJ"];
        bool isJ = false;
        uint32_t code = pulsarCode(name, isJ);
        if (!code) fail(where(path, startLine), "pulsar without a usable name");
        double ra, dec;
        if (rec.count("RAJ") && rec.count("DECJ")) {
            if (!sexagesimal(rec["RAJ"], ra) || !sexagesimal(rec["DECJ"], dec))
                fail(where(path, startLine), "unreadable RAJ/DECJ of " + name);
            ra *= 15;
        } else {
            double lon, lat;
            if (!value("ELONG", lon) || !value("ELAT", lat)) fail(where(path, startLine), "no position for " + name);
            const double eps = 23.4392911 * kDeg;
            Vec3 e = direction(lon, lat);
            Vec3 q{e.x, e.y * std::cos(eps) - e.z * std::sin(eps), e.y * std::sin(eps) + e.z * std::cos(eps)};
            ra = raOf(q);
            dec = decOf(q);
        }
        double dist = 0;
        if (!(value("DIST_A", dist) && dist > 0) && !(value("DIST_DM", dist) && dist > 0)) {
            ++report.pulsarNoDistance;
            return;
        }
        double p0 = 0, f0, p1 = 0, f1;
        if (!value("P0", p0) && value("F0", f0) && f0 > 0) p0 = 1.0 / f0;
        if (!value("P1", p1) && value("F1", f1) && p0 > 0) p1 = -f1 * p0 * p0;
        double logAge = 0, logLum = 0, s;
        if (p0 > 0 && p1 > 0) {
            logAge = std::log10(p0 / (2 * p1) / 3.15576e7);
            ++report.pulsarAge;
        }
        if (value("S400", s) && s > 0) {
            logLum = std::log10(s * dist * dist);
            ++report.pulsarLumS400;
        } else if (value("S1400", s) && s > 0) {
            logLum = std::log10(s * dist * dist);
            ++report.pulsarLumS1400;
        }
        DeepSkyRecord r = blank(catalog::kPulsar, placeAt(ra, dec, dist * kLyPerKpc), kUnknownAbsMag, code);
        r.v.f.a = static_cast<float>(p0);
        r.v.f.b = static_cast<float>(logLum);
        r.v.f.c = static_cast<float>(logAge);
        out.push_back(r);
        ++report.pulsars;
        if (isJ) ++report.pulsarJ;
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        if (l.empty() || l[0] == '#') continue;
        if (l[0] == '@') {
            finish();
            rec.clear();
            startLine = i + 1;
            continue;
        }
        std::vector<std::string> w = splitBlanks(l);
        if (w.size() >= 2 && !rec.count(w[0])) {
            std::string v = w[1];
            size_t bracket = v.find('[');
            if (bracket != std::string::npos) v.erase(bracket);
            rec[w[0]] = v;
        }
    }
    finish();
}

// ---- Nebulae ----------------------------------------------------------------------------------

struct KnownPlace {
    uint32_t code;
    double raDeg, decDeg;  // used when the deep-sky catalogue has no entry
    double distancePc;     // literature distance; replaces the catalogue's
    double diameterLy;     // used when the catalogue gives no size
    const char* source;
};
// Objects of the name tables whose distance the deep-sky catalogue lacks or has wrong, and the
// two that are not in it at all (the galactic centre and the Sagittarius dwarf).
const KnownPlace kKnownPlaces[] = {
    {0x0D000000, 0, 0, 168, 0, "gamma Cas, Hipparcos parallax"},
    {0x0D000002, 0, 0, 147, 0, "T Tauri, VLBA parallax (Loinard et al. 2007)"},
    {0x0D000003, 0, 0, 440, 0, "Orion OB1 association (O'Dell et al. 2011)"},
    {0x0D000004, 0, 0, 400, 0, "lambda Orionis cluster (Murdin & Penston 1977)"},
    {0x0D000006, 0, 0, 1600, 0, "NGC 2244 (Hensberge et al. 2000)"},
    {0x0D000007, 0, 0, 1150, 0, "CMa OB1 (Claria 1974)"},
    {0x0D000008, 0, 0, 1500, 0, "Cyg OB1/IC 1318 region"},
    {0x0D000009, 0, 0, 520, 0, "Lac OB1 (de Zeeuw et al. 1999)"},
    {0x0D00000D, 283.764, -30.48, 26500, 10000, "Sagittarius dwarf, M 54 at its core (Monaco et al. 2004)"},
    {0x0D00000E, 266.41684, -29.00781, 8178, 1, "Sgr A*, GRAVITY Collaboration 2019"},
    {0x0D000010, 0, 0, 62440, 0, "SMC, eclipsing binaries (Graczyk et al. 2020)"},
    {0x0D000011, 0, 0, 422, 0, "Orion B cloud (Menten et al. 2007)"},
    {0x030007B9, 0, 0, 414, 0, "Orion Nebula cluster, VLBA parallax (Menten et al. 2007)"},
    {0x0F0000F5, 0, 0, 400, 0, "taken as the Orion-Eridanus region; uncertain"},
};

// Name code of a catalogue entry: the named rows first, then M, NGC, IC, Sh, RCW, VdB.
uint32_t nebulaCode(const DsoEntry& e) {
    auto named = [](uint32_t row) { return 13u << 24 | row; };
    if (e.sh2 == 185) return named(0);
    if (e.ngc == 1555) return named(2);
    if (e.sh2 == 276) return named(3);
    if (e.sh2 == 264) return named(4);
    if (e.messier == 42) return named(5);
    if (e.sh2 == 275) return named(6);
    if (e.sh2 == 296) return named(7);
    if (e.sh2 == 108) return named(8);
    if (e.sh2 == 126) return named(9);
    if (e.sh2 == 155) return named(10);
    if (e.caldwell == 99) return named(11);
    if (e.pgc == 17223) return named(15);
    if (e.pgc == 3085) return named(16);
    if (e.barnard == 33) return named(17);
    if (e.messier) return 9u << 24 | e.messier;
    if (e.ngc) return 3u << 24 | e.ngc;
    if (e.ic) return 4u << 24 | e.ic;
    if (e.sh2) return 15u << 24 | e.sh2;
    if (e.rcw) return 6u << 24 | e.rcw;
    if (e.vdb) return 2u << 24 | e.vdb;
    return 0;
}

bool isNebulaType(const DsoEntry& e) {
    switch (e.type) {
        case 11: case 12: case 13: case 14: case 15: case 17: case 18: return true;
        case 16: return e.sh2 != 0;  // a cluster with nebulosity counts when the nebula is catalogued
        default: return false;
    }
}

// Galaxies kept as nebula records: the three Local Group galaxies with 3D models or names.
bool isKeptGalaxy(const DsoEntry& e) { return e.messier == 31 || e.messier == 33 || e.pgc == 17223 || e.pgc == 3085; }

void addNebulae(const std::vector<DsoEntry>& dso, std::vector<DeepSkyRecord>& out, DeepSkyReport& report) {
    std::map<uint32_t, bool> placed;
    for (const DsoEntry& e : dso) {
        if (!isNebulaType(e) && !isKeptGalaxy(e)) continue;
        uint32_t code = nebulaCode(e);
        if (!code || placed.count(code)) continue;
        double distPc = e.distanceKpc * 1000;
        const KnownPlace* known = nullptr;
        for (const KnownPlace& k : kKnownPlaces)
            if (k.code == code) known = &k;
        if (known) {
            distPc = known->distancePc;
            ++report.nebulaFallbackDistance;
        }
        if (distPc <= 0) continue;
        double distLy = distPc * kLyPerParsec;
        double mag = e.vmag < 90 ? e.vmag : e.bmag;
        double absMag = mag < 90 ? absoluteFrom(mag, distLy) : kUnknownAbsMag;
        DeepSkyRecord r = blank(catalog::kNebula, placeAt(e.raDeg, e.decDeg, distLy), absMag, code);
        double size = e.majorDeg > 0 ? 2 * distLy * std::tan(e.majorDeg / 2 * kDeg) : (known ? known->diameterLy : 0);
        r.v.f.a = static_cast<float>(size);
        out.push_back(r);
        placed[code] = true;
        ++report.nebulae;
    }
    for (const KnownPlace& k : kKnownPlaces) {
        if (placed.count(k.code) || (k.raDeg == 0 && k.decDeg == 0)) continue;
        double distLy = k.distancePc * kLyPerParsec;
        DeepSkyRecord r = blank(catalog::kNebula, placeAt(k.raDeg, k.decDeg, distLy), kUnknownAbsMag, k.code);
        r.v.f.a = static_cast<float>(k.diameterLy);
        out.push_back(r);
        placed[k.code] = true;
        ++report.nebulae;
        ++report.nebulaFallbackDistance;
    }
}

}  // namespace

std::vector<DsoEntry> readDsoCatalogue(const std::string& path, std::string& version) {
    std::vector<uint8_t> data = gunzip(path);
    QtReader q{data, path};
    version = q.str();
    std::string edition = q.str();
    if (version.empty() || version[0] != '3') fail(path, "unknown catalogue version '" + version + "'");
    std::vector<DsoEntry> out;
    while (q.p < data.size()) {
        DsoEntry e;
        e.id = q.u32();
        e.raDeg = q.f64() / kDeg;
        e.decDeg = q.f64() / kDeg;
        e.bmag = q.f64();
        e.vmag = q.f64();
        e.type = q.u32();
        e.morphology = q.str();
        e.majorDeg = q.f64();
        e.minorDeg = q.f64();
        q.u32();                   // orientation
        q.f64(); q.f64();          // redshift and its error
        q.f64(); q.f64();          // parallax and its error
        e.distanceKpc = q.f64();
        q.f64();                   // distance error
        uint32_t* numbers[14] = {&e.ngc, &e.ic, &e.messier, &e.caldwell, &e.barnard, &e.sh2, &e.vdb,
                                 &e.rcw, &e.ldn, &e.lbn, &e.collinder, &e.melotte, &e.pgc, &e.ugc};
        for (uint32_t* n : numbers) *n = q.u32();
        q.str();                   // Ced
        q.u32(); q.u32();          // Arp, VV
        for (int k = 0; k < 7; ++k) q.str();  // PK, PN G, SNR G, ACO, HCG, ESO, vdBH
        q.u32();                   // DWB
        e.trumpler = q.u32();
        e.stock = q.u32();
        e.ruprecht = q.u32();
        e.vdbha = q.u32();
        if (!std::isfinite(e.raDeg) || !std::isfinite(e.decDeg)) fail(path, "record " + std::to_string(e.id) + ": bad position");
        out.push_back(std::move(e));
    }
    (void)edition;
    return out;
}

std::vector<DeepSkyRecord> buildDeepSky(const DeepSkyInputs& in, const std::vector<CatalogueStar>& stars,
                                        DeepSkyReport& report) {
    std::string version;
    std::vector<DsoEntry> dso = readDsoCatalogue(in.dsoCatalogue, version);
    report.notes.push_back("deep-sky catalogue stream version " + version + ", " + std::to_string(dso.size()) + " records");
    std::vector<DeepSkyRecord> out;
    addOpenClusters(in.openClusters, dso, stars, out, report);
    addGlobulars(in.globulars, out, report);
    addPulsars(in.pulsars, out, report);
    addNebulae(dso, out, report);
    if (out.size() >= 0x1000000u) fail("deep-sky objects", "more than 16,777,216 records");
    return out;
}

}  // namespace sky
