// Designations and names: the name tables, the texts of designation, spectral and deep-sky codes,
// the best name of a star, and the wildcard match.
#include <cstdio>
#include <cstring>

#include "catalog/catalog.h"
#include "catalog/catalog_internal.h"

namespace catalog {

int longNames = 0;

namespace {

struct Constellation {
    const char* abbreviation;
    const char* genitive;
};

// Rows 1 and 34 keep the spellings that stored names and marker files use.
constexpr Constellation kConstellations[88] = {
    {"And", "Andromedae"},      {"Ant", "Antiliae"},          {"Aps", "Apodis"},
    {"Aqr", "Aquarii"},         {"Aql", "Aquilae"},           {"Ara", "Arae"},
    {"Ari", "Arietis"},         {"Aur", "Aurigae"},           {"Boo", "Bootis"},
    {"Cae", "Caeli"},           {"Cam", "Camelopardalis"},    {"Cnc", "Cancri"},
    {"CVn", "Canum Venaticorum"}, {"CMa", "Canis Majoris"},   {"CMi", "Canis Minoris"},
    {"Cap", "Capricorni"},      {"Car", "Carinae"},           {"Cas", "Cassiopeiae"},
    {"Cen", "Centauri"},        {"Cep", "Cephei"},            {"Cet", "Ceti"},
    {"Cha", "Chamaeleontis"},   {"Cir", "Circini"},           {"Col", "Columbae"},
    {"Com", "Comae Berenices"}, {"CrA", "Coronae Australis"}, {"CrB", "Coronae Borealis"},
    {"Crv", "Corvi"},           {"Crt", "Crateris"},          {"Cru", "Crucis"},
    {"Cyg", "Cygni"},           {"Del", "Delphini"},          {"Dor", "Doradus"},
    {"Dra", "Draconis"},        {"Equ", "Equuiel"},           {"Eri", "Eridani"},
    {"For", "Fornacis"},        {"Gem", "Geminorum"},         {"Gru", "Gruis"},
    {"Her", "Herculis"},        {"Hor", "Horologii"},         {"Hya", "Hydrae"},
    {"Hyi", "Hydri"},           {"Ind", "Indi"},              {"Lac", "Lacertae"},
    {"Leo", "Leonis"},          {"LMi", "Leonis Minoris"},    {"Lep", "Leporis"},
    {"Lib", "Librae"},          {"Lup", "Lupi"},              {"Lyn", "Lyncis"},
    {"Lyr", "Lyrae"},           {"Men", "Mensae"},            {"Mic", "Microscopium"},
    {"Mon", "Monocerotis"},     {"Mus", "Muscae"},            {"Nor", "Normae"},
    {"Oct", "Octantis"},        {"Oph", "Ophiuchi"},          {"Ori", "Orionis"},
    {"Pav", "Pavonis"},         {"Peg", "Pegasi"},            {"Per", "Persei"},
    {"Phe", "Phoenicis"},       {"Pic", "Pictoris"},          {"Psc", "Piscium"},
    {"PsA", "Piscis Austrini"}, {"Pup", "Puppis"},            {"Pyx", "Pyxidis"},
    {"Ret", "Reticuli"},        {"Sge", "Sagittae"},          {"Sgr", "Sagittarii"},
    {"Sco", "Scorpii"},         {"Scl", "Sculptoris"},        {"Sct", "Scuti"},
    {"Ser", "Serpentis"},       {"Sex", "Sextantis"},         {"Tau", "Tauri"},
    {"Tel", "Telescopii"},      {"Tri", "Trianguli"},         {"TrA", "Trianguli Australis"},
    {"Tuc", "Tucanae"},         {"UMa", "Ursae Majoris"},     {"UMi", "Ursae Minoris"},
    {"Vel", "Velorum"},         {"Vir", "Virginis"},          {"Vol", "Volantis"},
    {"Vul", "Vulpeculae"},
};

struct GreekLetter {
    const char* shortForm;
    const char* longForm;
};

constexpr GreekLetter kGreek[24] = {
    {"Alp", "Alpha"}, {"Bet", "Beta"},  {"Gam", "Gamma"},   {"Del", "Delta"},
    {"Eps", "Epsilon"}, {"Zet", "Zeta"}, {"Eta", "Eta"},    {"The", "Theta"},
    {"Iot", "Iota"},  {"Kap", "Kappa"}, {"Lam", "Lambda"},  {"Mu", "Mu"},
    {"Nu", "Nu"},     {"Xi", "Xi"},     {"Omi", "Omicron"}, {"Pi", "Pi"},
    {"Rho", "Rho"},   {"Sig", "Sigma"}, {"Tau", "Tau"},     {"Ups", "Upsilon"},
    {"Phi", "Phi"},   {"Chi", "Chi"},   {"Psi", "Psi"},     {"Ome", "Omega"},
};

// Open-cluster catalogues by row 1 to 62 (row 0 is not a catalogue). Empty rows are catalogues
// without a prefix; rows 30, 32, 37 and 53 name a single cluster by themselves.
constexpr const char* kOpenClusterCatalogues[63] = {
    nullptr,        "NGC",       "IC",        "Berk",          "Czernik",      "Do",
    "Cr",           "Upgren",    "Tombaugh",  "Ru",            "King",         "Stock",
    "",             "Tr",        "Mrk",       "",              "Haffner",      "Hogg",
    "Sher",         "Fein",      "Harvard",   "Lynga",         "Westr",        "Basel",
    "Blanco",       "Bark",      "Biur",      "Mel",           "Pismis",       "",
    "Trapezium",    "",          "Pleiades",  "Graff",         "Isk",          "Steph",
    "Roslund",      "Hyades",    "",          "vdB-Ha",        "Bochum",       "DoDz",
    "",             "Antalove",  "Moffat",    "Havlen-Moffat", "Frolov",       "",
    "vdB",          "Mayer",     "Latysev",   "Sigma Ori",     "Graham",       "Aveni-Hunter",
    "Loden",        "Grasdalen", "Waterloo",  "Auner",         "",             "Schuster",
    "Danks",        "Muzzio",    "R378",
};

bool nameOnlyOpenCluster(unsigned row) { return row == 30 || row == 32 || row == 37 || row == 53; }

constexpr const char* kGlobularCatalogues[14] = {
    "NGC", "Pal", "AM", "E", "Rup", "IC", "BH", "Lynga", "Terzan", "HP", "Liller", "Ton", "Djorg", "Arp",
};
constexpr unsigned kNamedGlobularCatalogue = 15;
constexpr const char* kNamedGlobulars[8] = {
    "47 Tuc", "Eridanus", "Pyxis", "omega Cen", "AvbB", "ESO452-SC11", "E456-SC38", "UKS 1",
};

constexpr const char* kNebulaCatalogues[16] = {
    "W", "DG", "VDB", "NGC", "IC", "PP -", "RCW", "VDB -", "BER -", "M", "M", "LBN", "PK",
    nullptr /* named */, "BFS", "Sh",
};
constexpr unsigned kNamedNebulaCatalogue = 13;
constexpr const char* kNamedNebulae[18] = {
    "Gamma Cas",     "Part of W1",     "T Tauri Nebula", "Barnard's Loop", "Lambda Ori",
    "Orion Nebula",  "Rosette Nebula", "Cma OB1 Nebula", "Gamma Cyg",      "Lac OB1 Nebula",
    "Cep OB3 Nebula", "Coalsack",      "Scor-Cent",      "Sag Dwarf",      "Sag A*",
    "LMC",           "SMC",            "HorseHead Nebula",
};

// Catalogue letters of the spectral classes, read from the second character on (index 0 is
// never used), so an unknown class reads as ".".
constexpr char kWhiteDwarfClasses[] = ".ABCFGQXZ.......";
constexpr char kPeculiarClasses[] = ".afgkm..........";
constexpr char kStarClasses[] = ".OBAFGKMNRSC....";
constexpr const char* kLuminosityClasses[16] = {
    "", "I", "II", "III", "IV", "V", "Ia", "Ib", "IIa", "IIb", "IIIa", "IIIb", "", "", "", "",
};

const char* constellationName(unsigned row, bool longForm) {
    if (row >= 88) return nullptr;
    return longForm ? kConstellations[row].genitive : kConstellations[row].abbreviation;
}

template <size_t N>
const char* row(const char* const (&table)[N], unsigned index) {
    return index < N ? table[index] : nullptr;
}

enum ExtraKind : uint32_t {
    kHarvardRevised = 0,
    kBayerFlamsteed = 1,
    kLetteredVariable = 2,
    kNumberedVariable = 3,
    kVariableNumber = 4,
    kGliese = 5,
    kWoolley = 6,
    kNoName = 7,
    kGiclas = 8,
    kLuyten = 9,
    kSun = 10,
};

// Two-number nebula names (catalogues 10 "M", 11 "LBN" and 12 "PK"). The low 24 bits hold a
// first number F in bits 8–23 and a second number in bits 0–7; how they print follows the
// catalogue's own way of writing its designations:
//   10  Minkowski planetary nebulae "M 1-92":     F = first number, bits 0–7 = second number
//                                                 (unsigned) → "M %u-%u".
//   11  Lynds bright nebulae "LBN 437":           F = catalogue number, bits 0–7 = 0
//                                                 (unused) → "LBN %u".
//   12  planetary nebulae by galactic position "PK 205+14.1": F = longitude in whole degrees
//       × 10 + the sequence digit; bits 0–7 = latitude in whole degrees, sign and magnitude
//       (bit 7 set = south, bits 0–6 = 0 to 90), so "-00" can be written.
//       → "PK %03u%c%02u.%u" (longitude, sign, |latitude|, sequence digit).
void twoNumberNebulaName(unsigned catalogue, uint32_t number, char out[kNameSize]) {
    unsigned first = (number >> 8) & 0xFFFF;
    unsigned second = number & 0xFF;
    switch (catalogue) {
        case 10: detail::formatText(out, kNameSize, "M %u-%u", first, second); break;
        case 11: detail::formatText(out, kNameSize, "LBN %u", first); break;
        case 12:
            detail::formatText(out, kNameSize, "PK %03u%c%02u.%u", first / 10,
                               (second & 0x80) ? '-' : '+', second & 0x7F, first % 10);
            break;
        default: out[0] = 0; break;
    }
}

}  // namespace

namespace detail {

void formatText(char* out, size_t size, const char* format, ...) {
    if (size == 0) return;
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(out, size, format, args);
    va_end(args);
    if (n < 0) out[0] = 0;
}

bool extraNamesDependOnForm(uint32_t code) {
    uint32_t kind = code >> 24;
    return code != 0xFFFFFFFFu && (kind == kBayerFlamsteed || kind == kLetteredVariable);
}

void extraNamesIn(uint32_t code, bool longForm, char bayer[kNameSize], char flamsteed[kNameSize],
                  char other[kNameSize]) {
    bayer[0] = flamsteed[0] = other[0] = 0;
    if (code == 0xFFFFFFFFu) return;
    uint32_t low = code & 0xFFFFFF;
    switch (code >> 24) {
        case kHarvardRevised: formatText(other, kNameSize, "HR %u", low); break;
        case kBayerFlamsteed: {
            unsigned greek = code & 0x1F;
            unsigned superscript = (code >> 5) & 0x7;
            unsigned flamsteedNumber = (code >> 8) & 0xFF;
            const char* constellation = constellationName((code >> 16) & 0xFF, longForm);
            // A constellation outside the table leaves both names empty rather than half-formed.
            if (!constellation) break;
            if (flamsteedNumber != 0)
                formatText(flamsteed, kNameSize, "%2u %s", flamsteedNumber, constellation);
            if (greek < 24) {
                const char* letter = longForm ? kGreek[greek].longForm : kGreek[greek].shortForm;
                if (superscript != 0)
                    formatText(bayer, kNameSize, "%s%c %s", letter, '0' + superscript, constellation);
                else
                    formatText(bayer, kNameSize, "%s %s", letter, constellation);
            }
            // greek 31 is "no letter"; 24 to 30 are invalid and give no name either.
            break;
        }
        case kLetteredVariable: {
            const char* constellation = constellationName(code & 0xFF, longForm);
            if (!constellation) break;
            formatText(other, kNameSize, "%c%c %s", static_cast<char>((code >> 16) & 0xFF),
                       static_cast<char>((code >> 8) & 0xFF), constellation);
            break;
        }
        case kNumberedVariable: {
            const char* constellation = constellationName(code & 0xFF, false);
            if (!constellation) break;
            formatText(other, kNameSize, "V%u %s", (code >> 8) & 0xFFFF, constellation);
            break;
        }
        case kVariableNumber: formatText(other, kNameSize, "Var %u", low); break;
        case kGliese:
            if (low < 10000) formatText(other, kNameSize, "Gl %u", low / 10);
            else formatText(other, kNameSize, "Gl %5.1lf", low * 0.1);
            break;
        case kWoolley: formatText(other, kNameSize, "Wolley %u", low); break;
        case kNoName: formatText(other, kNameSize, "NN"); break;
        case kGiclas: formatText(other, kNameSize, "G%03u-%03u", (code >> 8) & 0xFFFF, code & 0xFF); break;
        case kLuyten: formatText(other, kNameSize, "Luyten %u", low); break;
        case kSun:
            if (low == 0) formatText(other, kNameSize, "Sol");
            break;
        default: break;
    }
}

void starNameIn(uint32_t index, bool longForm, char out[kNameSize]) {
    out[0] = 0;
    StarRecord star;
    if (!readStar(index, star)) return;
    StarExtraRecord extra;
    if (!starExtra(star, extra) || (extra.designation & kNoExtraName) == kNoExtraName) {
        mainDesignation(star.designation, out);
        return;
    }
    char bayer[kNameSize], flamsteed[kNameSize], other[kNameSize];
    extraNamesIn(extra.designation, longForm, bayer, flamsteed, other);
    const char* best = bayer[0] ? bayer : flamsteed[0] ? flamsteed : other;
    std::memcpy(out, best, kNameSize);
}

void deepSkyNameOf(const DeepSkyRecord& record, char out[kNameSize]) {
    out[0] = 0;
    uint32_t code = record.name;
    unsigned top = code >> 24;
    uint32_t low = code & 0xFFFFFF;
    switch (record.type) {
        case kOpenCluster: {
            const char* prefix = top >= 1 ? row(kOpenClusterCatalogues, top) : nullptr;
            if (!prefix) break;
            if (nameOnlyOpenCluster(top)) formatText(out, kNameSize, "%s", prefix);
            else formatText(out, kNameSize, "%s %u", prefix, low);
            break;
        }
        case kPulsar: {
            unsigned lowByte = code & 0xFF;
            unsigned declination = (code >> 8) & 0xFF;
            // The J flag (0x50) always leaves bits that read as a character, so a J pulsar
            // without a letter needs a low byte whose character is unprintable; only printable
            // characters are appended.
            char suffix = static_cast<char>(lowByte & 0x7F);
            if (suffix <= ' ' || suffix == 0x7F) suffix = 0;
            char sign = declination <= 0x80 ? '+' : '-';
            unsigned degrees = declination <= 0x80 ? declination : 0x100 - declination;
            formatText(out, kNameSize, "PSR %c%04u%c%02u%c", (lowByte & 0x50) ? 'J' : 'B',
                       code >> 16, sign, degrees, suffix);
            break;
        }
        case kGlobularCluster: {
            if (top != 0xFF) {
                formatText(out, kNameSize, "M %u", top);
                break;
            }
            unsigned catalogue = (code >> 16) & 0xFF;
            unsigned number = code & 0xFFFF;
            if (catalogue == kNamedGlobularCatalogue) {
                if (const char* name = row(kNamedGlobulars, number)) formatText(out, kNameSize, "%s", name);
            } else if (const char* prefix = row(kGlobularCatalogues, catalogue)) {
                formatText(out, kNameSize, "%s %u", prefix, number);
            }
            break;
        }
        case kNebula: {
            if (top == 0xFF) break;
            if (top == kNamedNebulaCatalogue) {
                if (const char* name = row(kNamedNebulae, low)) formatText(out, kNameSize, "%s", name);
            } else if (top >= 10 && top <= 12) {
                twoNumberNebulaName(top, low, out);
            } else if (const char* prefix = row(kNebulaCatalogues, top)) {
                formatText(out, kNameSize, "%s %u", prefix, low);
            }
            break;
        }
        default: break;  // type 3 and unknown types have no name
    }
}

}  // namespace detail

void mainDesignation(uint32_t code, char out[kNameSize]) {
    out[0] = 0;
    uint32_t low = code & 0xFFFFFF;
    unsigned zone = (code >> 16) & 0xFF;
    unsigned number = code & 0xFFFF;
    switch (code >> 24) {
        case 0: detail::formatText(out, kNameSize, "HIP %u", low); break;
        case 1: detail::formatText(out, kNameSize, "HD %u", low); break;
        case 2:
        case 3:
        case 4: {
            static constexpr const char* kDurchmusterung[3] = {"BD", "CD", "CP"};
            const char* prefix = kDurchmusterung[(code >> 24) - 2];
            if (zone <= 0x7F) detail::formatText(out, kNameSize, "%s+%02u%6u", prefix, zone, number);
            else detail::formatText(out, kNameSize, "%s-%02u%6u", prefix, 0x100 - zone, number);
            break;
        }
        default: break;
    }
}

void extraNames(uint32_t code, char bayer[kNameSize], char flamsteed[kNameSize], char other[kNameSize]) {
    detail::extraNamesIn(code, longNames != 0, bayer, flamsteed, other);
}

void spectralText(uint16_t code, char out[kNameSize]) {
    out[0] = 0;
    if (code == kNoSpectral) return;
    unsigned kind = code >> 12;
    unsigned luminosity = (code >> 8) & 0xF;
    unsigned letter = (code >> 4) & 0xF;
    unsigned subclass = code & 0xF;
    int n = 0;
    switch (kind) {
        case 0x8:  // white dwarf
            out[n++] = 'D';
            if (letter != 15) out[n++] = kWhiteDwarfClasses[letter + 1];
            if (subclass != 15) out[n++] = static_cast<char>('0' + subclass);
            break;
        case 0x4: {  // Wolf-Rayet
            static constexpr const char* kWolfRayet[3] = {"WN", "WC", "WR"};
            unsigned type = code & 0xFF;
            if (type < 3) {
                std::memcpy(out, kWolfRayet[type], 2);
                n = 2;
            }
            break;
        }
        case 0x2:  // peculiar and uncertain classes
            if (code == 0x2FFF) {
                std::memcpy(out, "pec", 3);
                n = 3;
            } else if (code == 0x2EFF) {
                std::memcpy(out, "...", 3);
                n = 3;
            } else {
                if (letter != 15) out[n++] = kPeculiarClasses[letter + 1];
                if (subclass != 15) {
                    out[n++] = '-';
                    out[n++] = kPeculiarClasses[subclass + 1];
                }
            }
            break;
        default: {  // ordinary stars; kind 1 marks a dwarf
            if (kind == 0x1) out[n++] = 'd';
            if (letter == 15) break;
            out[n++] = kStarClasses[letter + 1];
            out[n++] = static_cast<char>('0' + subclass);
            const char* lum = kLuminosityClasses[luminosity];
            size_t length = std::strlen(lum);
            std::memcpy(out + n, lum, length);
            n += static_cast<int>(length);
            break;
        }
    }
    out[n] = 0;
}

void starName(uint32_t index, char out[kNameSize]) { detail::starNameIn(index, longNames != 0, out); }

void deepSkyName(ObjectId id, char out[kNameSize]) {
    out[0] = 0;
    DeepSkyRecord record;
    if (objectKind(id) != 1 || !readDeepSky(id - kDeepSkyBase, record)) return;
    detail::deepSkyNameOf(record, out);
}

void trumplerText(uint16_t word, char out[kTrumplerSize]) {
    static constexpr char kRichness[] = " rpm";
    detail::formatText(out, kTrumplerSize, "%u %u %c %c (%u)", (word >> 13) & 0x7u, (word >> 11) & 0x3u,
                       kRichness[(word >> 9) & 0x3], (word & 0x100) ? 'n' : '-', word & 0xFFu);
}

int matchPattern(const char* pattern, const char* text, LetterCase letterCase) {
    if (!pattern || !text) return 0;
    const bool fold = letterCase == LetterCase::kIgnored;
    const auto same = [fold](char a, char b) {
        if (!fold) return a == b;
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
        return a == b;
    };
    const char* p = pattern;
    const char* t = text;
    while (*p && *t) {
        if (*p == '*') {
            // At least one character, then up to the first occurrence of the next pattern
            // character; no backtracking.
            ++t;
            while (*t && !same(*t, p[1])) ++t;
            ++p;
        } else if (*p == ' ') {
            while (*t == ' ') ++t;
            ++p;
        } else if (*p == '?') {
            ++p;
            ++t;
        } else {
            if (!same(*p, *t)) return 0;
            ++p;
            ++t;
        }
    }
    return *p == 0 && *t == 0;
}

}  // namespace catalog
