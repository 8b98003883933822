// markergen: writes the shipped marker files from a constellation-figure file and the catalogue.
//
//   markergen --figures constellationship.fab --catalog data/catalog --out data/marker
//
// The figure file lists one constellation per line: its three-letter IAU abbreviation, the
// number of figure lines, and that many pairs of Hipparcos numbers. Every pair becomes a line
// marker between n(HIP a) and n(HIP b); a pair with a star the catalogue lacks is dropped. Each
// figure gets its name as a text marker at the star most of its lines meet. The figures are
// written one file per constellation family (the eight traditional families, split into numbered
// parts where a family would pass the marker table's 128 entries). Two more files are computed:
// "galaxy.map" (the galactic centre, the galactic plane as a circle of 5,000 ly around the Sun,
// and the solar circle around the centre) and "nearest.map" (arrows from the Sun to the ten
// nearest stars of the catalogue, with their names and distances). Every written file is read
// back through the program's own marker reader, and the tool fails unless every definition in
// it is accepted.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "extensions/markers.h"

namespace {

struct Constellation {
    const char* abbreviation;
    const char* name;
    int family;
};

const char* const kFamilies[] = {
    "ursa-major-family", "zodiac", "perseus-family", "hercules-family",
    "orion-family", "heavenly-waters", "bayer-family", "la-caille-family",
};

// The 88 IAU constellations and their families, in the families' traditional order.
const Constellation kConstellations[] = {
    {"UMa", "Ursa Major", 0}, {"UMi", "Ursa Minor", 0}, {"Dra", "Draco", 0},
    {"CVn", "Canes Venatici", 0}, {"Boo", "Bootes", 0}, {"Com", "Coma Berenices", 0},
    {"CrB", "Corona Borealis", 0}, {"Cam", "Camelopardalis", 0}, {"Lyn", "Lynx", 0},
    {"LMi", "Leo Minor", 0},
    {"Ari", "Aries", 1}, {"Tau", "Taurus", 1}, {"Gem", "Gemini", 1}, {"Cnc", "Cancer", 1},
    {"Leo", "Leo", 1}, {"Vir", "Virgo", 1}, {"Lib", "Libra", 1}, {"Sco", "Scorpius", 1},
    {"Sgr", "Sagittarius", 1}, {"Cap", "Capricornus", 1}, {"Aqr", "Aquarius", 1},
    {"Psc", "Pisces", 1},
    {"Cas", "Cassiopeia", 2}, {"Cep", "Cepheus", 2}, {"And", "Andromeda", 2},
    {"Per", "Perseus", 2}, {"Peg", "Pegasus", 2}, {"Cet", "Cetus", 2}, {"Aur", "Auriga", 2},
    {"Lac", "Lacerta", 2}, {"Tri", "Triangulum", 2},
    {"Her", "Hercules", 3}, {"Sge", "Sagitta", 3}, {"Aql", "Aquila", 3}, {"Lyr", "Lyra", 3},
    {"Cyg", "Cygnus", 3}, {"Vul", "Vulpecula", 3}, {"Hya", "Hydra", 3}, {"Sex", "Sextans", 3},
    {"Crt", "Crater", 3}, {"Crv", "Corvus", 3}, {"Oph", "Ophiuchus", 3}, {"Ser", "Serpens", 3},
    {"Sct", "Scutum", 3}, {"Cen", "Centaurus", 3}, {"Lup", "Lupus", 3},
    {"CrA", "Corona Australis", 3}, {"Ara", "Ara", 3}, {"TrA", "Triangulum Australe", 3},
    {"Cru", "Crux", 3},
    {"Ori", "Orion", 4}, {"CMa", "Canis Major", 4}, {"CMi", "Canis Minor", 4},
    {"Mon", "Monoceros", 4}, {"Lep", "Lepus", 4},
    {"Del", "Delphinus", 5}, {"Equ", "Equuleus", 5}, {"Eri", "Eridanus", 5},
    {"PsA", "Piscis Austrinus", 5}, {"Car", "Carina", 5}, {"Pup", "Puppis", 5},
    {"Vel", "Vela", 5}, {"Pyx", "Pyxis", 5}, {"Col", "Columba", 5},
    {"Hyi", "Hydrus", 6}, {"Dor", "Dorado", 6}, {"Vol", "Volans", 6}, {"Aps", "Apus", 6},
    {"Pav", "Pavo", 6}, {"Gru", "Grus", 6}, {"Phe", "Phoenix", 6}, {"Tuc", "Tucana", 6},
    {"Ind", "Indus", 6}, {"Cha", "Chamaeleon", 6}, {"Mus", "Musca", 6},
    {"Nor", "Norma", 7}, {"Cir", "Circinus", 7}, {"Tel", "Telescopium", 7},
    {"Mic", "Microscopium", 7}, {"Scl", "Sculptor", 7}, {"For", "Fornax", 7},
    {"Cae", "Caelum", 7}, {"Hor", "Horologium", 7}, {"Oct", "Octans", 7}, {"Men", "Mensa", 7},
    {"Ret", "Reticulum", 7}, {"Pic", "Pictor", 7}, {"Ant", "Antlia", 7},
};

constexpr const char* kFigureColour = "rgb(3c5aa0)";
constexpr const char* kFigureLabelColour = "rgb(7890d0)";
constexpr const char* kGalaxyColour = "rgb(b08040)";
constexpr const char* kCentreColour = "rgb(ffc060)";
constexpr const char* kNearestColour = "rgb(ffe090)";

// The galactic centre in light years, and the plane it lies in: u points from the Sun toward the
// centre, v lies in the plane at right angles to it.
constexpr double kCentre[3] = {-144.498344, -24545.790404, -13471.57354};
constexpr double kU[3] = {-0.005161, -0.876635, -0.481128};
constexpr double kV[3] = {-0.49503, 0.419812, -0.759605};
constexpr double kPlaneRadius = 5000.0;  // ly, the galactic equator circle around the Sun
constexpr int kPlaneSegments = 36;
constexpr int kSolarCircleSegments = 64;
constexpr int kNearest = 10;

const char* const kCatalogNames[catalog::kCatalogFileCount] = {
    "stellar.data", "stellar.xdat", "stellar.tree", "stellar.ssys",
    "stellar.note", "galactic.data", "galactic.bmap", "galactic.hmap",
};

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "markergen: %s\n", why.c_str());
    std::exit(1);
}

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) fail("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> catalogBytes[catalog::kCatalogFileCount];

void attachCatalog(const std::string& folder) {
    catalog::CatalogFiles files;
    for (int f = 0; f < catalog::kCatalogFileCount; ++f) {
        catalogBytes[f] = readFile(folder + "/" + kCatalogNames[f]);
        files.data[f] = catalogBytes[f].data();
        files.size[f] = catalogBytes[f].size();
    }
    catalog::catalogAttach(files);
    if (catalog::starCount() == 0) fail("the catalogue in " + folder + " holds no stars");
}

// "HIP n" when the catalogue holds that star under it, else empty.
std::string hipName(unsigned number) {
    const std::string name = "HIP " + std::to_string(number);
    const catalog::ObjectId id = catalog::findByName(name.c_str());
    if (id == catalog::kNoObject || catalog::objectKind(id) != 0) return "";
    return name;
}

struct Figure {
    const Constellation* constellation = nullptr;
    std::vector<std::string> lines;  // definitions
    std::string label;
    int pairs = 0, dropped = 0;
};

const Constellation* findConstellation(const std::string& abbreviation) {
    for (const Constellation& c : kConstellations)
        if (abbreviation == c.abbreviation) return &c;
    return nullptr;
}

std::map<std::string, Figure> readFigures(const std::string& path) {
    std::ifstream in(path);
    if (!in) fail("cannot read " + path);
    std::map<std::string, Figure> figures;
    std::string text;
    int lineNumber = 0;
    while (std::getline(in, text)) {
        ++lineNumber;
        std::istringstream line(text);
        std::string abbreviation;
        if (!(line >> abbreviation) || abbreviation[0] == '#') continue;
        const Constellation* c = findConstellation(abbreviation);
        if (!c) fail(path + ":" + std::to_string(lineNumber) + ": unknown constellation " + abbreviation);
        int count = 0;
        if (!(line >> count) || count <= 0) fail(path + ":" + std::to_string(lineNumber) + ": no line count");
        Figure& figure = figures[abbreviation];
        if (figure.constellation) fail(path + ": " + abbreviation + " appears twice");
        figure.constellation = c;
        std::map<std::string, int> meetings;
        std::string firstStar;
        for (int i = 0; i < count; ++i) {
            unsigned a = 0, b = 0;
            if (!(line >> a >> b)) fail(path + ":" + std::to_string(lineNumber) + ": fewer pairs than counted");
            ++figure.pairs;
            const std::string na = hipName(a), nb = hipName(b);
            if (na.empty() || nb.empty()) {
                ++figure.dropped;
                continue;
            }
            figure.lines.push_back("l{n(" + na + ");n(" + nb + ");" + kFigureColour + "}");
            if (firstStar.empty()) firstStar = na;
            ++meetings[na];
            ++meetings[nb];
        }
        if (figure.lines.empty()) continue;
        // The label goes to the star most lines meet; the first such star in figure order.
        std::string hub = firstStar;
        for (const auto& [name, n] : meetings)
            if (n > meetings[hub]) hub = name;
        figure.label = "t{n(" + hub + ");" + kFigureLabelColour + ";\"" + c->name + "\"}";
    }
    return figures;
}

std::string position(const double p[3]) {
    char text[128];
    std::snprintf(text, sizeof text, "p(%.6f,%.6f,%.6f)", p[0], p[1], p[2]);
    return text;
}

// The definitions of one file, and the number of definitions among them.
struct MarkerFile {
    std::string name;
    std::string text;
    int definitions = 0;

    void comment(const std::string& line) { text += "// " + line + "\n"; }
    void add(const std::string& definition) {
        text += definition + "\n";
        ++definitions;
    }
};

void write(const std::string& folder, const MarkerFile& file) {
    if (file.definitions > markers::kMaxMarkers)
        fail(file.name + " holds more than " + std::to_string(markers::kMaxMarkers) + " markers");
    const std::string path = folder + "/" + file.name;
    {
        std::ofstream out(path, std::ios::binary);
        out << file.text;
        if (!out) fail("cannot write " + path);
    }
    // Read back with the program's reader: every definition must be accepted.
    markers::markerClear();
    std::ifstream in(path, std::ios::binary);
    const std::string back((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) fail("cannot read back " + path);
    const int added = markers::markerAddLines(back.data(), back.size());
    if (added != file.definitions)
        fail(path + ": the marker reader accepts " + std::to_string(added) + " of " +
             std::to_string(file.definitions) + " definitions");
    std::printf("%-26s %3d markers\n", file.name.c_str(), file.definitions);
}

std::vector<MarkerFile> figureFiles(const std::map<std::string, Figure>& figures) {
    std::vector<MarkerFile> files;
    for (int family = 0; family < static_cast<int>(std::size(kFamilies)); ++family) {
        // Whole figures in family order, into as few files as the table allows.
        std::vector<std::vector<const Figure*>> parts(1);
        int inPart = 0;
        for (const Constellation& c : kConstellations) {
            if (c.family != family) continue;
            auto found = figures.find(c.abbreviation);
            if (found == figures.end() || found->second.lines.empty()) continue;
            const int size = static_cast<int>(found->second.lines.size()) + 1;
            if (inPart + size > markers::kMaxMarkers) {
                parts.emplace_back();
                inPart = 0;
            }
            parts.back().push_back(&found->second);
            inPart += size;
        }
        for (size_t p = 0; p < parts.size(); ++p) {
            MarkerFile file;
            file.name = std::string(kFamilies[family]) +
                        (parts.size() > 1 ? "-" + std::to_string(p + 1) : "") + ".map";
            file.comment("Constellation figures: " + file.name.substr(0, file.name.size() - 4) + ".");
            file.comment("Lines between the stars of each figure, and the figure's name at the star most");
            file.comment("of its lines meet. Generated by tools/markergen from the western constellation");
            file.comment("figures of stellarium-data (see CREDITS); pairs with a star missing from the");
            file.comment("catalogue are left out.");
            for (const Figure* f : parts[p]) {
                file.text += "\n";
                std::string heading = std::string(f->constellation->name) + " (" +
                                      f->constellation->abbreviation + ")";
                if (f->dropped) heading += ": " + std::to_string(f->dropped) + " of " + std::to_string(f->pairs) + " lines left out";
                file.comment(heading);
                for (const std::string& line : f->lines) file.add(line);
                file.add(f->label);
            }
            files.push_back(std::move(file));
        }
    }
    return files;
}

void planePoint(double radius, double angle, const double origin[3], const double a[3], const double b[3], double out[3]) {
    for (int i = 0; i < 3; ++i) out[i] = origin[i] + radius * (std::cos(angle) * a[i] + std::sin(angle) * b[i]);
}

MarkerFile galaxyFile() {
    MarkerFile file;
    file.name = "galaxy.map";
    file.comment("The galactic centre, the galactic plane and the solar circle.");
    file.comment("The plane is drawn as a circle of 5,000 ly around the Sun (the galactic equator on");
    file.comment("the sky); the solar circle runs around the centre through the Sun. Generated by");
    file.comment("tools/markergen.");
    file.add("m{" + position(kCentre) + ";" + kCentreColour + ";c}");
    file.add("t{" + position(kCentre) + ";" + kCentreColour + ";\"Galactic centre\"}");
    const double sun[3] = {0, 0, 0};
    file.add("a{" + position(sun) + ";" + position(kCentre) + ";" + kGalaxyColour + "}");

    const double kPi = 3.14159265358979323846;
    file.text += "\n";
    file.comment("The galactic plane, 5,000 ly around the Sun.");
    for (int i = 0; i < kPlaneSegments; ++i) {
        double a[3], b[3];
        planePoint(kPlaneRadius, 2 * kPi * i / kPlaneSegments, sun, kU, kV, a);
        planePoint(kPlaneRadius, 2 * kPi * (i + 1) / kPlaneSegments, sun, kU, kV, b);
        file.add("l{" + position(a) + ";" + position(b) + ";" + kGalaxyColour + "}");
    }
    double label[3];
    planePoint(kPlaneRadius, kPi / 2, sun, kU, kV, label);
    file.add("t{" + position(label) + ";" + kGalaxyColour + ";\"Galactic plane\"}");

    file.text += "\n";
    file.comment("The solar circle: around the centre, through the Sun.");
    const double radius = std::sqrt(kCentre[0] * kCentre[0] + kCentre[1] * kCentre[1] + kCentre[2] * kCentre[2]);
    const double towardSun[3] = {-kU[0], -kU[1], -kU[2]};
    for (int i = 0; i < kSolarCircleSegments; ++i) {
        double a[3], b[3];
        planePoint(radius, 2 * kPi * i / kSolarCircleSegments, kCentre, towardSun, kV, a);
        planePoint(radius, 2 * kPi * (i + 1) / kSolarCircleSegments, kCentre, towardSun, kV, b);
        file.add("l{" + position(a) + ";" + position(b) + ";" + kGalaxyColour + "}");
    }
    planePoint(radius, kPi, kCentre, towardSun, kV, label);
    file.add("t{" + position(label) + ";" + kGalaxyColour + ";\"Solar circle\"}");
    return file;
}

// A name that findByName gives back as this very star: its best name, else its main
// designation; empty when neither does.
std::string nameOf(uint32_t index) {
    char name[catalog::kNameSize];
    catalog::starName(index, name);
    if (name[0] && catalog::findByName(name) == index && !std::strpbrk(name, "()\";")) return name;
    catalog::StarInfo info;
    catalog::starInfo(index, Vector3{0, 0, 0}, info);
    if (info.designation[0] && catalog::findByName(info.designation) == index) return info.designation;
    return "";
}

MarkerFile nearestFile() {
    struct Near {
        double distance;
        uint32_t index;
    };
    std::vector<Near> stars;
    for (uint32_t i = 0; i < catalog::starCount(); ++i) {
        catalog::StarRecord s;
        if (!catalog::readStar(i, s)) continue;
        const double d = std::sqrt(double(s.x) * s.x + double(s.y) * s.y + double(s.z) * s.z);
        if (d > 0.0) stars.push_back({d, i});  // the Sun itself sits at the origin
    }
    const size_t n = std::min<size_t>(kNearest, stars.size());
    std::partial_sort(stars.begin(), stars.begin() + n, stars.end(),
                      [](const Near& a, const Near& b) { return a.distance < b.distance; });

    MarkerFile file;
    file.name = "nearest.map";
    file.comment("Arrows from the Sun to the ten nearest stars of the catalogue, with their names");
    file.comment("and distances. Generated by tools/markergen from the catalogue.");
    for (size_t i = 0; i < n; ++i) {
        const std::string name = nameOf(stars[i].index);
        char where[32];
        std::string target;
        if (!name.empty()) {
            target = "n(" + name + ")";
        } else {
            std::snprintf(where, sizeof where, "o(%x)", stars[i].index);
            target = where;
        }
        char distance[32];
        std::snprintf(distance, sizeof distance, "%.2f ly", stars[i].distance);
        const std::string label = (name.empty() ? std::string("star") : name) + "  " + distance;
        file.text += "\n";
        file.add(std::string("a{p(0,0,0);") + target + ";" + kNearestColour + "}");
        file.add("t{" + target + ";" + kNearestColour + ";\"" + label + "\"}");
    }
    return file;
}

}  // namespace

int main(int argc, char** argv) {
    std::string figuresPath, catalogFolder, outFolder;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--figures") figuresPath = argv[i + 1];
        else if (option == "--catalog") catalogFolder = argv[i + 1];
        else if (option == "--out") outFolder = argv[i + 1];
        else fail("unknown option " + option);
    }
    if (figuresPath.empty() || catalogFolder.empty() || outFolder.empty())
        fail("usage: markergen --figures FILE --catalog DIR --out DIR");

    attachCatalog(catalogFolder);
    const std::map<std::string, Figure> figures = readFigures(figuresPath);
    int pairs = 0, dropped = 0;
    for (const auto& [abbreviation, figure] : figures) {
        pairs += figure.pairs;
        dropped += figure.dropped;
    }
    std::printf("%zu figures, %d lines, %d left out for stars missing from the catalogue\n",
                figures.size(), pairs, dropped);

    for (const MarkerFile& file : figureFiles(figures)) write(outFolder, file);
    write(outFolder, galaxyFile());
    write(outFolder, nearestFile());
    markers::markerClear();
    return 0;
}
