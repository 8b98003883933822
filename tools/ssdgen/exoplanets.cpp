// The planets of other stars: every planet of the Open Exoplanet Catalogue whose host star is in
// the program's catalogue (matched by HIP, HD and Gliese number through data/crossindex.tsv,
// then by proper name), oriented to the sky as seen from the Sun, with documented defaults for
// what the catalogue does not know; written as exoplanets.ssd ([X] confirmed, then [U]).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "catalog/catalog_records.h"
#include "ssdgen.h"
#include "systems/system.h"

namespace ssdgen {

namespace {

struct Catalogue {
    std::vector<catalog::StarRecord> stars;
    std::map<long, uint32_t> hip, hd;
    std::map<std::string, uint32_t> gliese, names;
};

bool loadCatalogue(const std::string& dir, const std::string& crossIndex, Catalogue& c, std::string& error) {
    std::ifstream data(dir + "/stellar.data", std::ios::binary);
    if (!data) return error = "no " + dir + "/stellar.data", false;
    catalog::StarRecord r;
    while (data.read(reinterpret_cast<char*>(&r), sizeof r)) c.stars.push_back(r);
    std::ifstream tsv(crossIndex);
    if (!tsv) return error = "no " + crossIndex, false;
    std::string line;
    std::getline(tsv, line);  // the heading
    while (std::getline(tsv, line)) {
        std::vector<std::string> f;
        std::stringstream ss(line);
        std::string cell;
        while (std::getline(ss, cell, '\t')) f.push_back(cell);
        f.resize(5);
        const uint32_t index = static_cast<uint32_t>(std::stoul(f[0]));
        if (!f[1].empty()) c.hip.emplace(std::stol(f[1]), index);
        if (!f[2].empty()) c.hd.emplace(std::stol(f[2]), index);
        if (!f[3].empty()) c.gliese.emplace(f[3], index);
        if (!f[4].empty()) c.names.emplace(f[4], index);
    }
    return true;
}

// The catalogue star of one of the exoplanet catalogue's names, or -1.
long matchName(const Catalogue& c, const std::string& name) {
    auto number = [&](const char* prefix, long& out) {
        const size_t n = std::strlen(prefix);
        if (name.compare(0, n, prefix) != 0) return false;
        char* end = nullptr;
        out = std::strtol(name.c_str() + n, &end, 10);
        return *end == 0 && end != name.c_str() + n;
    };
    long n;
    if (number("HIP ", n) && c.hip.count(n)) return c.hip.at(n);
    if (number("HD ", n) && c.hd.count(n)) return c.hd.at(n);
    for (const char* prefix : {"GJ ", "Gliese ", "Gl "})
        if (name.compare(0, std::strlen(prefix), prefix) == 0) {
            const std::string key = "Gl " + name.substr(std::strlen(prefix));
            if (c.gliese.count(key)) return c.gliese.at(key);
        }
    return -1;
}

long matchStar(const Catalogue& c, const std::vector<const XmlNode*>& names) {
    for (const XmlNode* n : names) {
        const long i = matchName(c, n->text);
        if (i >= 0) return i;
    }
    for (const XmlNode* n : names)
        if (c.names.count(n->text)) return c.names.at(n->text);
    return -1;
}

// Radius from mass (both in Earth's) and back, by the mean mass-radius relation of Chen and
// Kipping (2017): rocky below 2 Earth masses, Neptune-like to 130, giants flat beyond.
double radiusFromMass(double m) {
    if (m < 2.04) return std::pow(m, 0.279);
    if (m < 131.6) return 0.808 * std::pow(m, 0.589);
    return 17.74 * std::pow(m, -0.044);
}
double massFromRadius(double r) {
    if (r < 1.22) return std::pow(r, 1.0 / 0.279);
    if (r < 14.3) return std::pow(r / 0.808, 1.0 / 0.589);
    return 318.0;  // a giant's radius says little of its mass: Jupiter's
}

// The sky at the host: x north, y east, z from the star towards the Sun. Inclination 90° is an
// orbit seen edge on from here.
Mat3 skyFrame(const Vector3& star) {
    const Vector3 s = unit(star);
    const Vector3 east = unit(vmath::cross(Vector3{0, 0, 1}, s));
    const Vector3 north = vmath::cross(s, east);
    return fromColumns(north, east, Vector3{-s.x, -s.y, -s.z});
}

// A map slot by the planet's nature: its size and how warm it is, the choice within a class
// fixed by its name, so that neighbours differ and every run gives the same.
uint32_t slotFor(const std::string& name, double earthRadii, double kelvin) {
    static const uint32_t kHotGiant[] = {22, 17, 20}, kGiant[] = {1, 12, 16, 27}, kIce[] = {13, 14, 18, 29},
                          kHotRock[] = {24, 25, 23}, kRock[] = {21, 19, 26, 30, 31, 2, 6};
    uint32_t h = 2166136261u;
    for (char c : name) h = (h ^ static_cast<uint8_t>(c)) * 16777619u;
    auto pick = [&](const uint32_t* s, size_t n) { return s[h % n]; };
    if (earthRadii > 6) return kelvin > 1000 ? pick(kHotGiant, 3) : pick(kGiant, 4);
    if (earthRadii > 2) return pick(kIce, 4);
    return kelvin > 700 ? pick(kHotRock, 3) : pick(kRock, 7);
}

struct Planet {
    Body body;
    bool confirmed;
    std::string host;
};

}  // namespace

bool buildExoplanets(const std::string& sources, const std::string& catalogueDir, const std::string& crossIndex,
                     std::string& out, ExoReport& report, std::string& error) {
    Catalogue cat;
    if (!loadCatalogue(catalogueDir, crossIndex, cat, error)) return false;
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(sources + "/exoplanets/systems"))
        if (e.path().extension() == ".xml") files.push_back(e.path());
    std::sort(files.begin(), files.end());

    std::vector<Planet> planets;
    std::map<uint32_t, int> hosts;
    for (const auto& path : files) {
        if (path.filename() == "Sun.xml") continue;  // the Solar System has files of its own
        std::string text;
        readText(path.string(), text);
        std::string why;
        auto doc = parseXml(text, why);
        const XmlNode* system = doc ? doc->child("system") : nullptr;
        if (!system) {
            ++report.leftOut["unreadable file"];
            continue;
        }
        ++report.systems;
        // Planets with the star they orbit: those of a star, and those around a binary, which
        // go with the first of its stars that the catalogue holds.
        std::vector<std::pair<const XmlNode*, const XmlNode*>> found;  // planet, star
        std::vector<const XmlNode*> todo{system};
        while (!todo.empty()) {
            const XmlNode* n = todo.back();
            todo.pop_back();
            for (const auto& child : n->children) {
                if (child->tag == "star") {
                    for (const XmlNode* p : child->all("planet")) found.push_back({p, child.get()});
                } else if (child->tag == "binary") {
                    todo.push_back(child.get());
                    const XmlNode* first = nullptr;
                    for (const XmlNode* s : child->all("star"))
                        if (!first && matchStar(cat, s->all("name")) >= 0) first = s;
                    for (const XmlNode* p : child->all("planet")) found.push_back({p, first});
                } else if (child->tag == "planet") {
                    found.push_back({child.get(), nullptr});
                }
            }
        }
        for (const auto& [p, star] : found) {
            bool confirmed = false, unconfirmed = false, retracted = false;
            for (const XmlNode* l : p->all("list")) {
                confirmed |= l->text == "Confirmed planets";
                unconfirmed |= l->text == "Controversial" || l->text == "Kepler Objects of Interest";
                retracted |= l->text == "Retracted planet candidate";
            }
            if (retracted) {
                ++report.leftOut["retracted"];
                continue;
            }
            if (!confirmed && !unconfirmed) {
                ++report.leftOut["in no list of planets (orphan or unlisted)"];
                continue;
            }
            const long host = star ? matchStar(cat, star->all("name")) : -1;
            if (host < 0 || static_cast<size_t>(host) >= cat.stars.size()) {
                ++report.leftOut[star ? "host star not in the catalogue" : "free-floating"];
                continue;
            }
            const catalog::StarRecord& sr = cat.stars[static_cast<size_t>(host)];
            const Vector3 where{sr.x, sr.y, sr.z};
            if (vmath::lengthSquared(where) == 0) {
                ++report.leftOut["host at the Sun's place"];
                continue;
            }
            double starMass = 1.0;
            const double luminosity = std::pow(10.0, (4.8 - sr.absMag / 256.0) * 0.4);
            if (!star->number("mass", starMass) || starMass <= 0) starMass = std::pow(luminosity, 0.25);

            Planet pl;
            Body& b = pl.body;
            pl.confirmed = confirmed;
            pl.host = star->childText("name");
            b.name = p->childText("name");
            b.host = static_cast<uint32_t>(host);
            double a = 0, P = 0, e = 0, i = 0, w = 0, node = 0, mass = 0, radius = 0, kelvin = 0;
            const bool hasA = p->number("semimajoraxis", a) && a > 0;
            const bool hasP = p->number("period", P) && P > 0;
            const double gm = 6.67e-11 * starMass * kSunMass * 1e25;
            if (!hasA && !hasP) {
                ++report.leftOut["neither axis nor period"];
                continue;
            }
            if (!hasA) {
                a = std::cbrt(gm * std::pow(P * 86400.0, 2) / (4 * kPi * kPi)) / 1000.0 / kAuKm;
                ++report.defaultedAxis;
            }
            if (!hasP) {
                P = 2 * kPi * std::sqrt(std::pow(a * kAuKm * 1000.0, 3) / gm) / 86400.0;
                ++report.defaultedPeriod;
            }
            if (!p->number("eccentricity", e) || e < 0) e = 0;
            if (e >= 1) {
                ++report.leftOut["unbound orbit"];
                continue;
            }
            const bool transit = p->childText("discoverymethod") == "transit";
            if (!p->number("inclination", i)) {
                i = transit ? 90 : 60;
                ++report.defaultedIncl;
            }
            p->number("periastron", w);
            p->number("ascendingnode", node);
            const bool hasMass = p->number("mass", mass) && mass > 0;
            const bool hasRadius = p->number("radius", radius) && radius > 0;
            if (!hasMass && !hasRadius) {
                ++report.leftOut["neither mass nor radius"];
                continue;
            }
            const double earthMass = hasMass ? mass * kJupiterMass / kEarthMass : 0;
            double earthRadii = hasRadius ? radius * kJupiterRadius / kEarthRadius : radiusFromMass(earthMass);
            if (!hasRadius) ++report.defaultedRadius;
            b.radius = earthRadii * kEarthRadius;
            b.mass = (hasMass ? earthMass : massFromRadius(earthRadii)) * kEarthMass;
            if (!p->number("temperature", kelvin)) kelvin = 278.0 * std::pow(luminosity, 0.25) / std::sqrt(a);
            const double jupiterMasses = b.mass / kJupiterMass;
            b.kind = jupiterMasses > 13 ? 18 : (earthRadii > 3 || earthMass > 10 ? 17 : 16);
            b.colour = slotFor(b.name, earthRadii, kelvin);
            b.axis = a;
            b.ecc = e;
            b.period = P;
            b.orbit = orbitOrientation(skyFrame(where), node * kRad, i * kRad, w * kRad);
            // Where the planet stood at time 0: from the time of periastron, else from the time of
            // a transit (the planet then passes in front of the star, towards the Sun), else at
            // its periastron.
            double tp, tt;
            double M = 0;
            if (p->number("periastrontime", tp)) M = 2 * kPi * (kJ2000 - tp) / P;
            else if (p->number("transittime", tt))
                M = systems::meanFromTrue((90 - w) * kRad, e) + 2 * kPi * (kJ2000 - tt) / P;
            b.meanAnomaly = M - std::floor(M / (2 * kPi)) * 2 * kPi;
            b.source = pl.confirmed ? "confirmed" : "unconfirmed";
            planets.push_back(pl);
        }
    }
    // Planets of one star in the catalogue's order of their hosts and then by axis, identifiers
    // counted through the file.
    std::stable_sort(planets.begin(), planets.end(), [](const Planet& x, const Planet& y) {
        if (x.confirmed != y.confirmed) return x.confirmed;
        if (x.body.host != y.body.host) return x.body.host < y.body.host;
        return x.body.axis < y.body.axis;
    });
    Writer w;
    w.comment("exoplanets.ssd: the planets of the Open Exoplanet Catalogue whose host star is in the");
    w.comment("program's catalogue; [X] confirmed planets, then [U] controversial ones and candidates.");
    w.comment("Written by tools/ssdgen (see CREDITS and docs/systems.md); do not edit by hand.");
    w.comment("Orbits face the Sun as the catalogue gives them: inclination 90 deg is edge on from here.");
    w.comment("Unknown: node 0; eccentricity 0; inclination 90 (transits) or 60; radius from mass;");
    w.comment("position at time 0 from the time of periastron or transit, else at periastron.");
    bool inUnconfirmed = false;
    w.section("[X]");
    int32_t next = 0x03000000;
    uint32_t lastHost = 0xFFFFFFFF;
    for (const Planet& p : planets) {
        if (!p.confirmed && !inUnconfirmed) {
            w.section("[U]");
            inUnconfirmed = true;
            lastHost = 0xFFFFFFFF;
        }
        Body b = p.body;
        b.id = next++;
        if (b.host != lastHost) w.comment(p.host);
        lastHost = b.host;
        if (!w.add(b)) {
            ++report.leftOut["refused by the reader (body table full)"];
            continue;
        }
        ++report.planets;
        ++hosts[b.host];
        if (!p.confirmed) ++report.unconfirmed;
    }
    report.hosts = static_cast<int>(hosts.size());
    out = w.text();
    return true;
}

}  // namespace ssdgen
