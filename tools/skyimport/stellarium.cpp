// Readers of the stellarium-data star files: the geodesic zone catalogues and the text tables
// keyed by HIP number.
#include "stellarium.h"

#include <cstring>
#include <strings.h>

namespace sky {
namespace {

constexpr uint32_t kZoneMagic = 0x835F040Au;
constexpr size_t kZoneRecord = 28;

const double kPhi = (1.0 + std::sqrt(5.0)) / 2.0;

// Icosahedron vertices, and the faces in the order of the level-0 zones (each as its corners
// in the order the subdivision uses).
const Vec3 kVertices[12] = {
    {-kPhi, -1, 0}, {-1, 0, -kPhi}, {0, -kPhi, -1}, {kPhi, -1, 0}, {-1, 0, kPhi}, {0, kPhi, -1},
    {-kPhi, 1, 0},  {1, 0, -kPhi},  {0, -kPhi, 1},  {kPhi, 1, 0},  {1, 0, kPhi},  {0, kPhi, 1},
};
const int kFaces[20][3] = {
    {9, 3, 7}, {3, 9, 10}, {3, 10, 8}, {10, 4, 8}, {3, 2, 7},  {8, 2, 3},  {2, 8, 0},
    {8, 4, 0}, {1, 7, 2},  {2, 0, 1},  {0, 6, 1},  {6, 0, 4},  {7, 1, 5},  {6, 5, 1},
    {11, 5, 6}, {6, 4, 11}, {5, 9, 7}, {5, 11, 9}, {11, 10, 9}, {4, 10, 11},
};

uint32_t u32le(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
int32_t i32le(const uint8_t* p) { return static_cast<int32_t>(u32le(p)); }

const char* const kConstellations[88] = {
    "And", "Ant", "Aps", "Aqr", "Aql", "Ara", "Ari", "Aur", "Boo", "Cae", "Cam", "Cnc", "CVn", "CMa", "CMi",
    "Cap", "Car", "Cas", "Cen", "Cep", "Cet", "Cha", "Cir", "Col", "Com", "CrA", "CrB", "Crv", "Crt", "Cru",
    "Cyg", "Del", "Dor", "Dra", "Equ", "Eri", "For", "Gem", "Gru", "Her", "Hor", "Hya", "Hyi", "Ind", "Lac",
    "Leo", "LMi", "Lep", "Lib", "Lup", "Lyn", "Lyr", "Men", "Mic", "Mon", "Mus", "Nor", "Oct", "Oph", "Ori",
    "Pav", "Peg", "Per", "Phe", "Pic", "Psc", "PsA", "Pup", "Pyx", "Ret", "Sge", "Sgr", "Sco", "Scl", "Sct",
    "Ser", "Sex", "Tau", "Tel", "Tri", "TrA", "Tuc", "UMa", "UMi", "Vel", "Vir", "Vol", "Vul",
};

// Greek letters as UTF-8 in name.fab and the variable-star table, in the catalogue's row order.
const char* const kGreek[24] = {"α", "β", "γ", "δ", "ε", "ζ", "η", "θ", "ι", "κ", "λ", "μ",
                                "ν", "ξ", "ο", "π", "ρ", "σ", "τ", "υ", "φ", "χ", "ψ", "ω"};

// Splits "γ1" into the letter row and the superscript; -1 when the text is no Greek letter.
int greekPrefix(const std::string& text, int& superscript, size_t& used) {
    for (int g = 0; g < 24; ++g) {
        size_t n = std::strlen(kGreek[g]);
        if (text.compare(0, n, kGreek[g]) == 0) {
            used = n;
            superscript = 0;
            if (used < text.size() && text[used] >= '1' && text[used] <= '9') superscript = text[used++] - '0';
            return g;
        }
    }
    return -1;
}

// Whether a star other than `hip` has a name.fab name that starts with `base` followed by a
// digit or '_' and names constellation `con` ("α" + "1_Cen" matches base "α", con "Cen").
bool sharedBase(const std::vector<std::string>& lines, const std::string& base, const std::string& con, uint32_t hip) {
    for (const std::string& raw : lines) {
        std::string line = trim(raw);
        size_t bar = line.find('|');
        long other;
        if (bar == std::string::npos || !parseInt(line.substr(0, bar), other) || static_cast<uint32_t>(other) == hip) continue;
        std::string name = trim(line.substr(bar + 1));
        if (name.compare(0, base.size(), base) != 0) continue;
        std::string rest = name.substr(base.size());
        if (rest.size() > 1 && rest[0] >= '1' && rest[0] <= '9') rest.erase(0, 1);
        if (rest == "_" + con || rest.compare(0, con.size() + 2, "_" + con + "_") == 0) return true;
    }
    return false;
}

}  // namespace

int constellationIndex(const std::string& abbreviation) {
    for (int i = 0; i < 88; ++i)
        if (strcasecmp(abbreviation.c_str(), kConstellations[i]) == 0) return i;
    return -1;
}
const char* constellationAbbreviation(int index) { return index >= 0 && index < 88 ? kConstellations[index] : ""; }

Vec3 zoneCentre(int level, int zone) {
    int digits[16];
    for (int i = 0; i < level; ++i) {
        digits[i] = zone & 3;
        zone >>= 2;
    }
    Vec3 t[3];
    for (int k = 0; k < 3; ++k) t[k] = normalised(kVertices[kFaces[zone][k]]);
    for (int i = level - 1; i >= 0; --i) {
        Vec3 a = t[0], b = t[1], c = t[2];
        Vec3 ab = normalised(a + b), bc = normalised(b + c), ca = normalised(c + a);
        switch (digits[i]) {
            case 0: t[0] = a; t[1] = ab; t[2] = ca; break;
            case 1: t[0] = ab; t[1] = b; t[2] = bc; break;
            case 2: t[0] = ca; t[1] = bc; t[2] = c; break;
            default: t[0] = bc; t[1] = ca; t[2] = ab; break;
        }
    }
    return normalised(t[0] + t[1] + t[2]);
}

std::vector<std::string> readStringTable(const std::string& path) {
    std::vector<uint8_t> bytes = readBinary(path);
    std::vector<std::string> rows(1);
    for (uint8_t b : bytes) {
        if (b == '\n') rows.emplace_back();
        else rows.back() += static_cast<char>(b);
    }
    return rows;
}

std::vector<ZoneStar> readZoneCatalogue(const std::string& path, const std::vector<std::string>& spectralTable,
                                        const std::vector<std::string>& componentTable) {
    std::vector<uint8_t> d = readBinary(path);
    if (d.size() < 32) fail(path, "too short for a zone catalogue header");
    if (u32le(&d[0]) != kZoneMagic) fail(path, "not a zone catalogue (magic)");
    if (i32le(&d[4]) != 0) fail(path, "record type " + std::to_string(i32le(&d[4])) + ", only type 0 (Hipparcos) is read");
    int level = i32le(&d[16]);
    if (level < 0 || level > 7) fail(path, "grid level " + std::to_string(level) + " out of range");
    double magMin = i32le(&d[20]), magRange = i32le(&d[24]), magSteps = i32le(&d[28]);
    if (magSteps <= 0) fail(path, "magnitude steps not positive");
    size_t zones = 20u << (2 * level);
    size_t offset = 32 + 4 * zones;
    if (d.size() < offset) fail(path, "truncated zone table");
    std::vector<ZoneStar> out;
    double scale = (3.0 - std::sqrt(5.0)) / static_cast<double>(1u << level) / 2147483648.0;
    for (size_t z = 0; z < zones; ++z) {
        int32_t count = i32le(&d[32 + 4 * z]);
        if (count < 0) fail(path, "negative star count in zone " + std::to_string(z));
        if (count == 0) continue;
        Vec3 c = zoneCentre(level, static_cast<int>(z));
        Vec3 east = normalised(cross({0, 0, 1}, c));
        Vec3 north = cross(c, east);
        for (int32_t i = 0; i < count; ++i) {
            if (offset + kZoneRecord > d.size()) fail(path, "truncated in zone " + std::to_string(z));
            const uint8_t* r = &d[offset];
            offset += kZoneRecord;
            ZoneStar s;
            s.hip = r[0] | r[1] << 8 | r[2] << 16;
            if (r[3] >= componentTable.size()) fail(path, "component row out of range");
            s.component = componentTable[r[3]].empty() ? 0 : componentTable[r[3]][0];
            double x0 = i32le(r + 4), x1 = i32le(r + 8);
            s.dir = normalised(c + (east * x0 + north * x1) * scale);
            s.bv = r[12] / 32.0 - 0.5;
            s.vmag = (magMin + r[13] * magRange / magSteps) / 1000.0;
            uint16_t sp = static_cast<uint16_t>(r[14] | r[15] << 8);
            if (sp >= spectralTable.size()) fail(path, "spectral row out of range");
            s.spectral = spectralTable[sp];
            s.parallaxMas = i32le(r + 24) / 100.0;
            s.level = level;
            out.push_back(std::move(s));
        }
    }
    if (offset != d.size()) fail(path, "size does not match the zone counts");
    return out;
}

std::map<uint32_t, double> readParallaxErrors(const std::string& path) {
    std::map<uint32_t, double> out;
    std::vector<std::string> lines = readLines(path);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty() || lines[i][0] == '#') continue;
        std::vector<std::string> f = splitBlanks(lines[i]);
        long hip;
        double err;
        if (f.size() < 2 || !parseInt(f[0], hip) || !parseDouble(f[1], err) || hip <= 0)
            fail(where(path, i), "expected 'HIP error'");
        out[static_cast<uint32_t>(hip)] = err;
    }
    return out;
}

std::map<uint32_t, CrossId> readCrossIds(const std::string& path) {
    std::map<uint32_t, CrossId> out;
    std::vector<std::string> lines = readLines(path);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty() || lines[i][0] == '#') continue;
        std::vector<std::string> f = splitTabs(lines[i]);
        long hip, v;
        if (f.size() < 4 || !parseInt(f[0], hip) || hip <= 0) fail(where(path, i), "expected 'HIP<tab><tab>SAO<tab>HD<tab>HR'");
        CrossId id;
        // Columns: HIP, component (empty), SAO, HD, HR.
        size_t base = f.size() >= 5 ? 2 : 1;
        if (base < f.size() && parseInt(f[base], v) && v > 0) id.sao = static_cast<uint32_t>(v);
        if (base + 1 < f.size() && parseInt(f[base + 1], v) && v > 0) id.hd = static_cast<uint32_t>(v);
        if (base + 2 < f.size() && parseInt(f[base + 2], v) && v > 0) id.hr = static_cast<uint32_t>(v);
        CrossId& slot = out[static_cast<uint32_t>(hip)];
        if (!slot.sao) slot.sao = id.sao;
        if (!slot.hd) slot.hd = id.hd;
        if (!slot.hr) slot.hr = id.hr;
    }
    return out;
}

std::map<uint32_t, FabName> readNameFab(const std::string& path) {
    std::map<uint32_t, FabName> out;
    std::vector<std::string> lines = readLines(path);
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string line = trim(lines[i]);
        if (line.empty() || line[0] == '#') continue;
        size_t bar = line.find('|');
        long hip;
        if (bar == std::string::npos || !parseInt(line.substr(0, bar), hip) || hip <= 0)
            fail(where(path, i), "expected 'HIP|name_Con'");
        std::string name = trim(line.substr(bar + 1));
        size_t under = name.find('_');
        if (under == std::string::npos) continue;  // not a Bayer or Flamsteed name
        // "59_And_A": a component letter after the constellation, dropped.
        // A component C or later keeps such a name only when no other star has the name
        // without the letter: "α_Cen_C" (Proxima) would read "Alp Cen" like Alpha Centauri A
        // ("α1_Cen"), while "θ1_Ori_C" stays the Trapezium's brightest star.
        std::string conText = name.substr(under + 1);
        size_t second = conText.find('_');
        if (second != std::string::npos) {
            std::string part = conText.substr(second + 1);
            conText.erase(second);
            std::string base = name.substr(0, under);
            if (part != "A" && part != "B" && sharedBase(lines, base, conText, static_cast<uint32_t>(hip))) continue;
        }
        int con = constellationIndex(conText);
        if (con < 0) continue;  // a misspelt constellation in the source ("37_Ly"): no usable name
        std::string head = name.substr(0, under);
        FabName& slot = out[static_cast<uint32_t>(hip)];
        long number;
        int superscript;
        size_t used;
        int g = greekPrefix(head, superscript, used);
        if (g >= 0 && used == head.size()) {
            if (slot.greek < 0) {  // the first Bayer name listed is the star's own
                slot.greek = g;
                slot.superscript = superscript;
                slot.constellation = con;
            }
        } else if (parseInt(head, number) && number > 0 && number < 256) {
            if (!slot.flamsteed && (slot.constellation < 0 || slot.constellation == con)) {
                slot.flamsteed = static_cast<int>(number);
                slot.constellation = con;
            }
        }
    }
    // A Bayer and a Flamsteed name of different constellations cannot share one code: the
    // Bayer name wins (handled above by keeping the first constellation).
    return out;
}

std::map<uint32_t, VariableStar> readVariables(const std::string& path) {
    std::map<uint32_t, VariableStar> out;
    std::vector<std::string> lines = readLines(path);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty() || lines[i][0] == '#') continue;
        std::vector<std::string> f = splitTabs(lines[i]);
        long hip;
        if (f.size() < 10 || !parseInt(f[0], hip) || hip <= 0)
            fail(where(path, i), "expected 12 tab-separated fields starting with a HIP number");
        VariableStar v;
        v.name = f[1];
        if (!parseDouble(f[3], v.maxMag)) continue;  // no brightness range: not usable
        // Field 5 flags field 6: 0 = a magnitude at minimum, 1 = an amplitude.
        double minimum;
        if (parseDouble(f[5], minimum)) {
            v.hasMin = true;
            v.minMag = f[4] == "1" ? v.maxMag + minimum : minimum;
        }
        double period;
        if (parseDouble(f[9], period) && period > 0) v.period = period;
        out.emplace(static_cast<uint32_t>(hip), v);
    }
    return out;
}

std::map<uint32_t, DoubleStar> readDoubles(const std::string& path) {
    std::map<uint32_t, DoubleStar> out;
    std::vector<std::string> lines = readLines(path);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty() || lines[i][0] == '#') continue;
        std::vector<std::string> f = splitTabs(lines[i]);
        long hip;
        DoubleStar d;
        if (f.size() < 5 || !parseInt(f[0], hip) || hip <= 0 || f[1].size() != 10 ||
            !parseDouble(f[3], d.positionAngle) || !parseDouble(f[4], d.separation))
            fail(where(path, i), "expected 'HIP WDS year angle separation'");
        d.wds = f[1];
        out.emplace(static_cast<uint32_t>(hip), d);
    }
    return out;
}

}  // namespace sky
