// Fictional systems of the project's own invention around four bright stars, one in each of the
// load filter's "SciFi" sections, written as scifi.ssd. Nothing here is known of these stars:
// the planets are made up, laid out as a story would want them, and placed with the same writer
// as the real ones.
#include <cmath>

#include "ssdgen.h"

namespace ssdgen {

namespace {

// One invented body: orbit on the star's equator (the Earth's equator here) tilted by `incl`
// about the line to `node`, its pole `obliquity` off the orbit's normal, a day of `day` hours.
struct Invented {
    const char* name;
    const char* parent;   // null: orbits the star
    int kind;             // 16 rocky, 17 gas giant, 18 brown dwarf, 15 ring
    double radius;        // km
    double mass;          // 10^25 kg
    double axis;          // AU (km / 1.496e8 for moons and rings)
    double ecc, incl, node, peri, meanAnomaly;  // degrees
    double obliquity;     // degrees
    double day;           // hours; negative turns backwards
    uint32_t colour;      // map slot, or 0xAARRGGBB for rings
};

struct Story {
    const char* section;
    uint32_t host;        // catalogue index of the star
    double starMass;      // solar masses
    const char* what;     // the comment of the section
    std::vector<Invented> bodies;
};

const std::vector<Story>& stories() {
    static const std::vector<Story> kStories = {
        {"[1]", 0x95D6, 2.1,
         "Vega: \"Lyra's Harp\", a young system whose ringed giant the harpers named the Lyre.",
         {
             {"Harp_I", nullptr, 16, 4100, 0.31, 0.9, 0.02, 1.2, 40, 10, 30, 5, 70, 24},
             {"Harp_II", nullptr, 17, 24500, 17.5, 6.8, 0.05, 0.8, 110, 200, 250, 28, 16, 18},
             {"Tessel", "Harp_II", 16, 1800, 0.012, 420000 / 1.496e8, 0.01, 2.0, 0, 0, 100, 0, 0, 0},
             {"Lyre", nullptr, 17, 68000, 150.0, 14.5, 0.08, 2.5, 300, 40, 120, 19, 11, 16},
             {"Lyre_ring", "Lyre", 15, 0, 0, 105000 / 1.496e8, 0, 0, 0, 0, 0, 0, 0, 0xFFB8C4D8},
             {"Lyre_ring", "Lyre", 15, 0, 0, 118000 / 1.496e8, 0, 0, 0, 0, 0, 0, 0, 0xFFD8E0F0},
             {"Lyre_ring", "Lyre", 15, 0, 0, 131000 / 1.496e8, 0, 0, 0, 0, 0, 0, 0, 0xFF9098B0},
             {"Cantor", "Lyre", 16, 2600, 0.09, 610000 / 1.496e8, 0.004, 0.3, 0, 0, 10, 0, 0, 23},
             {"Chorda", "Lyre", 16, 1400, 0.02, 1350000 / 1.496e8, 0.02, 1.5, 90, 0, 220, 0, 0, 25},
         }},
        {"[2]", 0x95D7, 1.8,
         "Altair: \"Tamarind\", two worlds of a fast-spinning star; Tamarind itself is a desert.",
         {
             {"Tamarind", nullptr, 16, 7100, 0.9, 3.1, 0.04, 3.0, 10, 80, 15, 12, 31, 21},
             {"Sorrel", nullptr, 17, 45000, 60.0, 9.4, 0.11, 6.0, 150, 300, 190, 8, 13, 22},
         }},
        {"[3]", 0x3407, 1.1,
         "Arcturus: \"Ember\", a brown dwarf far out from the giant star, and its two cold moons.",
         {
             {"Ember", nullptr, 18, 80000, 5500.0, 60.0, 0.2, 12.0, 200, 45, 300, 3, 8, 22},
             {"Cinder", "Ember", 16, 3300, 0.4, 900000 / 1.496e8, 0.01, 0.5, 0, 0, 0, 0, 0, 25},
             {"Ash", "Ember", 16, 2100, 0.1, 2100000 / 1.496e8, 0.03, 4.0, 60, 0, 180, 0, 0, 28},
         }},
        {"[4]", 0xB368, 5.4,
         "Polaris: \"Waypoint\", one ocean world that sailors of the stars steer by.",
         {
             {"Waypoint", nullptr, 16, 6900, 0.7, 55.0, 0.03, 4.0, 20, 10, 60, 20, 26, 30},
         }},
    };
    return kStories;
}

}  // namespace

bool buildSciFi(std::string& out, std::string& error) {
    Writer w;
    w.comment("scifi.ssd: fictional systems of the project's own invention, one in each SciFi section.");
    w.comment("Nothing here is known of these stars. Written by tools/ssdgen; do not edit by hand.");
    int32_t next = 0x04000000;
    for (const Story& story : stories()) {
        w.section(story.section);
        w.comment(story.what);
        std::map<std::string, Body> made;
        for (const Invented& v : story.bodies) {
            Body b;
            b.name = v.name;
            b.id = next++;
            b.host = story.host;
            b.kind = v.kind;
            b.radius = v.radius;
            b.mass = v.mass;
            b.colour = v.colour;
            b.axis = v.axis;
            b.ecc = v.ecc;
            b.meanAnomaly = v.meanAnomaly * kRad;
            Mat3 reference = identity3();
            double central = story.starMass * kSunMass;
            if (v.parent) {
                const auto it = made.find(v.parent);
                if (it == made.end()) return error = std::string(v.name) + ": no parent " + v.parent, false;
                b.parent = it->second.id;
                reference = equatorFrame(it->second.pole);
                central = it->second.mass;
            }
            b.orbit = orbitOrientation(reference, v.node * kRad, v.incl * kRad, v.peri * kRad);
            const double meters = b.axis * kAuKm * 1000.0;
            b.period = 2 * kPi * std::sqrt(meters * meters * meters / (6.67e-11 * central * 1e25)) / 86400.0;
            if (v.kind == 15) {
                b.period = 0;
                b.orbit = reference;
            } else {
                // The pole leans from the orbit's normal towards the periapsis side.
                const Vector3 n = b.orbit.col(2), toward = b.orbit.col(0);
                const double o = v.obliquity * kRad;
                b.pole = unit(vmath::operator+(vmath::operator*(n, std::cos(o)), vmath::operator*(toward, std::sin(o))));
                b.hasPole = true;
                // A moon without a day of its own keeps one face to its planet.
                const double hours = v.day != 0 ? v.day : b.period * 24.0;
                b.w1 = 360.0 / (hours / 24.0);
            }
            if (!w.add(b)) return error = std::string(v.name) + " was refused by the reader", false;
            made[v.name] = b;
        }
    }
    out = w.text();
    return true;
}

}  // namespace ssdgen
