// The Solar System: the planets from the JPL table, the major moons from the exoplanet
// catalogue's Solar System file, the further moons, the dwarf planets, the poles and prime
// meridians from the Stellarium INI files, and Saturn's rings; written as solar.ssd ([S], then
// Pluto and Charon in [C]) and solarext.ssd ([C]).
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ssdgen.h"
#include "systems/system.h"

namespace ssdgen {

namespace {

constexpr uint32_t kSun = 0xF8FC;

// The planets in the JPL table's order, their identifiers, map slots and the sections that
// Stellarium's files give them.
struct PlanetInfo {
    const char* jpl;      // name in the JPL table
    const char* name;     // shown
    const char* ini;      // section of ssystem_major.ini
    int number;           // identifier 0x02000N00
    int kind;
    uint32_t slot;
};
constexpr PlanetInfo kPlanets[] = {
    {"Mercury", "Mercury", "mercury", 1, 16, 2}, {"Venus", "Venus", "venus", 2, 16, 3},
    {"EM Bary", "Earth", "earth", 3, 16, 4},     {"Mars", "Mars", "mars", 4, 16, 6},
    {"Jupiter", "Jupiter", "jupiter", 5, 17, 7}, {"Saturn", "Saturn", "saturn", 6, 17, 12},
    {"Uranus", "Uranus", "uranus", 7, 17, 13},   {"Neptune", "Neptune", "neptune", 8, 17, 14},
    {"Pluto", "Pluto", "pluto", 9, 16, 15},
};

int32_t planetId(int number) { return 0x02000000 + number * 0x100; }

// Surface maps of the moons that have their own; every other moon shows the generic one.
uint32_t moonSlot(const std::string& name) {
    static const std::pair<const char*, uint32_t> kSlots[] = {
        {"Moon", 5}, {"Io", 8}, {"Europa", 9}, {"Ganymede", 10}, {"Callisto", 11}};
    for (const auto& [n, slot] : kSlots)
        if (name == n) return slot;
    return 0;
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

struct Sources {
    std::vector<JplPlanet> jpl;
    IniFile major, minor;
    std::unique_ptr<XmlNode> sun;
};

const IniSection* iniBody(const IniFile& f, const std::string& name) {
    for (const auto& [section, s] : f) {
        const auto it = s.find("name");
        if ((it != s.end() && it->second == name) || section == lower(name)) return &s;
    }
    return nullptr;
}

// Pole, prime meridian and radius from an INI section; false when it has no IAU pole.
bool rotation(const IniSection* s, Body& b) {
    if (!s) return false;
    double r;
    if (iniNumber(*s, "radius", r)) b.radius = r;
    double ra, de;
    if (!iniNumber(*s, "rot_pole_ra", ra) || !iniNumber(*s, "rot_pole_de", de)) return false;
    b.hasPole = true;
    b.pole = equatorial(ra, de);
    iniNumber(*s, "rot_pole_w0", b.w0);
    iniNumber(*s, "rot_pole_w1", b.w1);
    return true;
}

// The mean longitude of a JPL planet fitted by a straight line over 1950 to 2050, with the
// Table 2b terms: the line is the model's mean motion, and its value at J2000 its mean anomaly.
void fitMeanLongitude(const JplPlanet& p, double& L0, double& rate) {
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    const int n = 1001;
    for (int k = 0; k < n; ++k) {
        const double T = -0.5 + static_cast<double>(k) / (n - 1);
        const double L = p.L + p.dL * T + p.b * T * T + p.c * std::cos(p.f * T * kRad) + p.s * std::sin(p.f * T * kRad);
        sx += T, sy += L, sxx += T * T, sxy += T * L;
    }
    rate = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    L0 = (sy - rate * sx) / n;
}

Body planet(const JplPlanet& p, const PlanetInfo& info, const Sources& src, const XmlNode* xml) {
    Body b;
    b.name = info.name;
    b.source = "JPL Table 2a/2b elements of J2000, mean longitude fitted over 1950-2050";
    b.id = planetId(info.number);
    b.host = kSun;
    b.kind = info.kind;
    b.colour = info.slot;
    const Mat3 ecliptic = rotX(kObliquity);
    b.orbit = orbitOrientation(ecliptic, p.node * kRad, p.I * kRad, (p.peri - p.node) * kRad);
    b.axis = p.a;
    b.ecc = p.e;
    double L0, rate;
    fitMeanLongitude(p, L0, rate);
    b.meanAnomaly = std::remainder((L0 - p.peri) * kRad, 2 * kPi);
    if (b.meanAnomaly < 0) b.meanAnomaly += 2 * kPi;
    b.period = 360.0 / rate * 36525.0;
    double m;
    if (xml && xml->number("mass", m)) b.mass = m * kJupiterMass;
    rotation(iniBody(src.major, info.ini), b);
    return b;
}

// The frame of a parent's equator for its moons: the IAU pole, or the opposite one where the
// planet turns backwards about it (Venus, Uranus), so that moons that go round with the planet's
// turn have inclinations near 0.
Mat3 parentEquator(const Body& parent) {
    const Vector3 pole = parent.w1 < 0 ? Vector3{-parent.pole.x, -parent.pole.y, -parent.pole.z} : parent.pole;
    return equatorFrame(pole);
}

// Geocentric ecliptic longitude of the Moon in degrees at `days` from J2000: the low-precision
// series of the Astronomical Almanac (about 0.3°), which holds the inequalities (evection,
// variation) that a fixed ellipse leaves out.
double almanacMoon(double days) {
    const double T = days / 36525.0;
    return 218.32 + 481267.881 * T + 6.29 * std::sin((135.0 + 477198.87 * T) * kRad) -
           1.27 * std::sin((259.3 - 413335.36 * T) * kRad) + 0.66 * std::sin((235.7 + 890534.22 * T) * kRad) +
           0.21 * std::sin((269.9 + 954397.74 * T) * kRad) - 0.19 * std::sin((357.5 + 35999.05 * T) * kRad) -
           0.11 * std::sin((186.5 + 966404.03 * T) * kRad);
}

// The worst longitude difference (degrees) over the month after time 0 between the series and
// an ellipse of eccentricity e, longitude of perigee `peri` and mean longitude `L0` (degrees) on
// the mean plane (node, incl), moving at the mean rate.
double moonMiss(double e, double peri, double L0, double node, double incl, double rate) {
    double worst = 0;
    for (double t = 0; t <= 30.0; t += 0.25) {
        const double M = (L0 - peri + rate * t) * kRad;
        const double v = systems::trueAnomaly(M, e);
        const Vector3 p = apply(orbitOrientation(identity3(), node * kRad, incl * kRad, (peri - node) * kRad),
                                Vector3{std::cos(v), std::sin(v), 0});
        worst = std::fmax(worst, std::fabs(std::remainder(std::atan2(p.y, p.x) / kRad - almanacMoon(t), 360.0)));
    }
    return worst;
}

// The Moon's ellipse for the month after time 0: the mean elements leave out the evection and
// the variation (up to 2° together), so the eccentricity, perigee and mean longitude at time 0
// are fitted to the series over those 30 days (the mean rate is kept, so that the Moon keeps
// its mean pace over the years). A simple descent on the worst miss.
void fitMoon(Body& b, double node, double incl, double periArg, double meanAnomaly) {
    const double rate = 360.0 / b.period;
    double x[3] = {b.ecc, node + periArg, node + periArg + meanAnomaly};
    double step[3] = {0.01, 5.0, 1.0};
    double best = moonMiss(x[0], x[1], x[2], node, incl, rate);
    for (int round = 0; round < 60; ++round) {
        bool better = false;
        for (int k = 0; k < 3; ++k)
            for (double sign : {1.0, -1.0}) {
                double y[3] = {x[0], x[1], x[2]};
                y[k] += sign * step[k];
                if (y[0] < 0 || y[0] > 0.2) continue;
                const double miss = moonMiss(y[0], y[1], y[2], node, incl, rate);
                if (miss < best) best = miss, x[0] = y[0], x[1] = y[1], x[2] = y[2], better = true;
            }
        if (!better)
            for (double& s : step) s /= 2;
    }
    b.ecc = x[0];
    b.orbit = orbitOrientation(rotX(kObliquity), node * kRad, incl * kRad, (x[1] - node) * kRad);
    b.meanAnomaly = std::remainder((x[2] - x[1]) * kRad, 2 * kPi);
    if (b.meanAnomaly < 0) b.meanAnomaly += 2 * kPi;
    char text[120];
    std::snprintf(text, sizeof text, "; fitted over the 30 days from time 0 to the Almanac's lunar series (%.2f deg)", best);
    b.source += text;
}

// A moon from the Solar System file of the exoplanet catalogue: JPL's mean elements of J2000 (its
// "periastron" is the argument of periapsis, its "longitude" the mean anomaly) on the parent's
// equator; the Moon's on the ecliptic; Saturn's inclinations there have Saturn's obliquity
// (26.73°) added, which is taken off again.
Body catalogueMoon(const XmlNode& x, const Body& parent, int32_t id, const Sources& src) {
    Body b;
    b.name = x.childText("name");
    b.source = "mean elements of J2000 from Sun.xml (Open Exoplanet Catalogue)";
    b.id = id;
    b.parent = parent.id;
    b.host = kSun;
    b.kind = 16;
    b.colour = moonSlot(b.name);
    double a = 0, e = 0, w = 0, M = 0, i = 0, node = 0, period = 0, mass = 0, radius = 0;
    x.number("semimajoraxis", a);
    x.number("eccentricity", e);
    x.number("periastron", w);
    x.number("longitude", M);
    x.number("inclination", i);
    x.number("ascendingnode", node);
    x.number("period", period);
    if (x.number("mass", mass)) b.mass = mass * kJupiterMass;
    if (x.number("radius", radius)) b.radius = radius * kJupiterRadius;
    if (parent.name == "Saturn") i -= 26.73;
    const Mat3 reference = b.name == "Moon" ? rotX(kObliquity) : parentEquator(parent);
    b.orbit = orbitOrientation(reference, node * kRad, i * kRad, w * kRad);
    b.axis = a;
    b.ecc = e;
    b.meanAnomaly = M * kRad;
    b.period = period;
    rotation(iniBody(src.major, b.name), b);
    if (b.name == "Moon") fitMoon(b, node, i, w, M);
    return b;
}

// A moon with Keplerian elements in ssystem_major.ini (axis in km, longitudes of pericentre and
// mean longitude at its own epoch), on the parent's equator; a negative period is an orbit
// against the parent's turn.
bool iniMoon(const IniSection& s, const Body& parent, int32_t id, Body& b) {
    double a, e = 0, i = 0, node = 0, peri = 0, L = 0, epoch = kJ2000, period;
    if (!iniNumber(s, "orbit_semimajoraxis", a) || !iniNumber(s, "orbit_period", period) || period == 0) return false;
    iniNumber(s, "orbit_eccentricity", e);
    iniNumber(s, "orbit_inclination", i);
    if (!iniNumber(s, "orbit_ascendingnode", node)) iniNumber(s, "orbit_ascendingnode", node);
    iniNumber(s, "orbit_longofpericenter", peri);
    iniNumber(s, "orbit_meanlongitude", L);
    iniNumber(s, "orbit_epoch", epoch);
    b.name = s.count("name") ? s.at("name") : "?";
    b.source = "Keplerian elements of ssystem_major.ini (Stellarium)";
    b.id = id;
    b.parent = parent.id;
    b.host = kSun;
    b.kind = 16;
    b.colour = 0;
    Mat3 reference = parentEquator(parent);
    if (period < 0) reference = mul(reference, rotX(kPi));
    b.orbit = orbitOrientation(reference, node * kRad, i * kRad, (peri - node) * kRad);
    b.axis = a / kAuKm;
    b.ecc = e;
    b.period = std::fabs(period);
    const double M = (L - peri) + 360.0 / b.period * (kJ2000 - epoch);
    b.meanAnomaly = std::remainder(M * kRad, 2 * kPi);
    if (b.meanAnomaly < 0) b.meanAnomaly += 2 * kPi;
    rotation(&s, b);
    return true;
}

// A moon that turns once a revolution with its prime meridian facing the planet, whose orbit no
// source gives: a circle on the parent's equator, its period the turn's, its axis by Kepler's
// third law from the parent's mass, and its place at time 0 opposite its prime meridian.
bool lockedMoon(const IniSection* s, const Body& parent, int32_t id, const std::string& name, Body& b) {
    b = Body{};
    b.name = name;
    if (!rotation(s, b) || b.w1 <= 0 || parent.mass <= 0) return false;
    b.source = "circular orbit derived from its synchronous rotation (IAU W0, W1)";
    b.id = id;
    b.parent = parent.id;
    b.host = kSun;
    b.kind = 16;
    b.period = 360.0 / b.w1;
    b.axis = std::cbrt(parent.mass * 1e25 * 6.67e-11 * std::pow(b.period * 86400.0, 2) / (4 * kPi * kPi)) / 1000.0 / kAuKm;
    const Mat3 equator = parentEquator(parent);
    const Mat3 own = equatorFrame(b.pole);
    const double W = b.w0 * kRad;
    const Vector3 meridian = vmath::operator+(vmath::operator*(own.col(0), std::cos(W)), vmath::operator*(own.col(1), std::sin(W)));
    const Vector3 place{-meridian.x, -meridian.y, -meridian.z};
    const double u = std::atan2(vmath::dot(place, equator.col(1)), vmath::dot(place, equator.col(0)));
    b.orbit = orbitOrientation(equator, 0, 0, u);
    b.meanAnomaly = 0;
    return true;
}

// A dwarf planet from ssystem_minor.ini: ecliptic elements with the argument of perihelion and
// the mean anomaly at the elements' epoch.
bool dwarfPlanet(const IniSection& s, int32_t id, Body& b) {
    double a, e = 0, i = 0, node = 0, w = 0, M = 0, epoch = kJ2000, n;
    if (!iniNumber(s, "orbit_semimajoraxis", a) || !iniNumber(s, "orbit_meanmotion", n) || n == 0) return false;
    iniNumber(s, "orbit_eccentricity", e);
    iniNumber(s, "orbit_inclination", i);
    iniNumber(s, "orbit_ascendingnode", node);
    iniNumber(s, "orbit_argofpericenter", w);
    iniNumber(s, "orbit_meananomaly", M);
    iniNumber(s, "orbit_epoch", epoch);
    b.name = s.at("name");
    b.source = "heliocentric elements of ssystem_minor.ini (Stellarium)";
    b.id = id;
    b.host = kSun;
    b.kind = 16;
    b.colour = b.name == "Ceres" ? 0 : 15;
    b.orbit = orbitOrientation(rotX(kObliquity), node * kRad, i * kRad, w * kRad);
    b.axis = a;
    b.ecc = e;
    b.period = 360.0 / n;
    b.meanAnomaly = std::remainder((M + n * (kJ2000 - epoch)) * kRad, 2 * kPi);
    if (b.meanAnomaly < 0) b.meanAnomaly += 2 * kPi;
    rotation(&s, b);
    return true;
}

// Saturn's rings as eight circles from the inner to the outer edge, brightest in the middle.
void rings(Writer& w, const Body& saturn, const IniSection* s, SolarReport& report) {
    double inner, outer;
    if (!s || !iniNumber(*s, "ring_inner_size", inner) || !iniNumber(*s, "ring_outer_size", outer)) return;
    w.comment("Saturn's rings: circles from " + std::to_string(static_cast<int>(inner)) + " to " +
              std::to_string(static_cast<int>(outer)) + " km (ring sizes of ssystem_major.ini)");
    for (int k = 0; k < 8; ++k) {
        Body r;
        r.name = "Saturn_ring";
        r.id = saturn.id + 0xF0 + k;
        r.parent = saturn.id;
        r.host = kSun;
        r.kind = 15;
        r.axis = (inner + (outer - inner) * k / 7.0) / kAuKm;
        r.orbit = equatorFrame(saturn.pole);
        const double level = 0.55 + 0.45 * std::sin(kPi * (k + 0.5) / 8.0);
        const int red = static_cast<int>(210 * level), green = static_cast<int>(190 * level),
                  blue = static_cast<int>(150 * level);
        r.colour = 0xFF000000u | static_cast<uint32_t>(red << 16 | green << 8 | blue);
        if (w.add(r)) ++report.bodies;
    }
}

}  // namespace

bool buildSolar(const std::string& sources, std::string& solar, std::string& solarExt, SolarReport& report,
                std::string& error) {
    Sources src;
    std::string text;
    const std::string folder = sources + "/solar-system/";
    if (!readText(folder + "p_elem_t2.txt", text) || !parseJplTable(text, src.jpl, error))
        return error = "p_elem_t2.txt: " + error, false;
    if (!readText(folder + "ssystem_major.ini", text)) return error = "ssystem_major.ini is missing", false;
    src.major = parseIni(text);
    if (!readText(folder + "ssystem_minor.ini", text)) return error = "ssystem_minor.ini is missing", false;
    src.minor = parseIni(text);
    if (!readText(sources + "/exoplanets/systems/Sun.xml", text)) return error = "Sun.xml is missing", false;
    src.sun = parseXml(text, error);
    if (!src.sun) return error = "Sun.xml: " + error, false;
    const XmlNode* star = src.sun->child("system") ? src.sun->child("system")->child("star") : nullptr;
    if (!star) return error = "Sun.xml has no star", false;

    Writer s;
    s.comment("solar.ssd: the Sun's planets and major moons, and Pluto with Charon.");
    s.comment("Written by tools/ssdgen from public sources (see CREDITS); do not edit by hand.");
    s.comment("Time 0 is J2000.0 (2000 January 1, 12:00 TT); periods and spin periods are in days.");
    s.comment("Orbits and poles are given in the catalogue's equatorial J2000 frame through the");
    s.comment("plane tilt, the axis angle and the elements, as docs/systems.md explains.");
    s.section("[S]");
    Writer ext;
    ext.comment("solarext.ssd: further moons and the dwarf planets of the Solar System.");
    ext.comment("Written by tools/ssdgen from public sources (see CREDITS); do not edit by hand.");
    ext.section("[C]");

    std::vector<std::string> placed;
    Body parents[10];
    for (const PlanetInfo& info : kPlanets) {
        const JplPlanet* p = nullptr;
        for (const JplPlanet& j : src.jpl)
            if (j.name == info.jpl) p = &j;
        if (!p) return error = std::string("the JPL table has no ") + info.jpl, false;
        const XmlNode* xml = nullptr;
        for (const XmlNode* x : star->all("planet"))
            if (x->childText("name") == info.name) xml = x;
        Writer& w = s;
        if (info.number == 9) w.section("[C]");
        Body b = planet(*p, info, src, xml);
        w.comment(b.name + ": " + b.source);
        if (!w.add(b)) return error = b.name + " was refused by the reader", false;
        ++report.bodies;
        parents[info.number] = b;
        placed.push_back(lower(b.name));
        if (info.number == 6) rings(w, b, iniBody(src.major, "Saturn"), report);

        // The major moons of this planet: those of Sun.xml, and those only the rotation places.
        int next = 1;
        if (xml)
            for (const XmlNode* m : xml->all("satellite")) {
                Body moon = catalogueMoon(*m, b, b.id + next++, src);
                w.comment(moon.name + ": " + moon.source);
                if (!w.add(moon)) return error = moon.name + " was refused by the reader", false;
                ++report.bodies;
                placed.push_back(lower(moon.name));
            }
        static const std::pair<const char*, int> kLocked[] = {{"Phobos", 4}, {"Deimos", 4}, {"Mimas", 6}};
        for (const auto& [name, number] : kLocked) {
            if (number != info.number) continue;
            Body moon;
            if (!lockedMoon(iniBody(src.major, name), b, b.id + next++, name, moon)) {
                report.notes.push_back(std::string(name) + ": no synchronous rotation to place it by");
                continue;
            }
            w.comment(moon.name + ": " + moon.source);
            if (w.add(moon)) ++report.bodies, placed.push_back(lower(moon.name));
        }
    }

    // Further moons: the Keplerian ones of the INI file, then the small co-orbitals of Saturn.
    std::vector<std::pair<std::string, const IniSection*>> further;
    for (const auto& [section, sec] : src.major)
        if (sec.count("parent") && sec.count("orbit_semimajoraxis") && sec.count("type") && sec.at("type") == "moon")
            further.push_back({section, &sec});
    int nextExt[10] = {0, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40};
    for (const auto& [section, sec] : further) {
        const std::string parentName = sec->at("parent");
        const std::string name = sec->count("name") ? sec->at("name") : section;
        if (std::find(placed.begin(), placed.end(), lower(name)) != placed.end()) continue;
        int number = 0;
        for (const PlanetInfo& info : kPlanets)
            if (parentName == info.name) number = info.number;
        if (number == 0) {
            report.notes.push_back(name + ": its parent " + parentName + " is not a planet here");
            continue;
        }
        Body moon;
        if (!iniMoon(*sec, parents[number], parents[number].id + nextExt[number]++, moon)) {
            report.notes.push_back(name + ": incomplete elements");
            continue;
        }
        ext.comment(moon.name + ": " + moon.source);
        if (ext.add(moon)) ++report.bodies, placed.push_back(lower(name));
    }
    for (const char* name : {"Helene", "Telesto", "Calypso"}) {
        Body moon;
        if (!lockedMoon(iniBody(src.major, name), parents[6], parents[6].id + nextExt[6]++, name, moon)) {
            report.notes.push_back(std::string(name) + ": no synchronous rotation to place it by");
            continue;
        }
        ext.comment(moon.name + ": " + moon.source);
        if (ext.add(moon)) ++report.bodies;
    }
    report.notes.push_back("Hyperion: left out, its rotation is chaotic and no source gives its orbit");
    int dwarf = 0x0A;
    for (const char* name : {"Ceres", "Eris", "Haumea", "Makemake"}) {
        const IniSection* sec = iniBody(src.minor, name);
        Body b;
        if (!sec || !dwarfPlanet(*sec, planetId(dwarf++), b)) {
            report.notes.push_back(std::string(name) + ": not in ssystem_minor.ini");
            continue;
        }
        ext.comment(b.name + ": " + b.source);
        if (ext.add(b)) ++report.bodies;
    }

    char line[160];
    std::snprintf(line, sizeof line, "largest misplacement of an orbit axis: %.2g deg; of a pole: %.2g deg (%s)",
                  std::fmax(s.worstOrbit(), ext.worstOrbit()), std::fmax(s.worstPole(), ext.worstPole()),
                  (s.worstPole() >= ext.worstPole() ? s.worstPoleName() : ext.worstPoleName()).c_str());
    report.notes.push_back(line);
    for (const Writer* w : {&s, &ext})
        for (const std::string& p : w->poorPoles()) report.notes.push_back("pole missed by " + p + " deg");
    solar = s.text();
    solarExt = ext.text();
    return true;
}

}  // namespace ssdgen
