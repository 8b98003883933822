// Shared declarations of the star-system data builder: the source readers (XML, INI, the JPL
// element table), the description of a body in the catalogue's frame, and the writer that turns
// it into a line of a star-system file that the program's own reader places exactly there.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/vecmath.h"

namespace ssdgen {

// ---- Small 3 × 3 algebra (the tool's own; the program's loader is only used to check lines) ----

struct Mat3 {
    double m[3][3];
    Vector3 col(int k) const { return {m[0][k], m[1][k], m[2][k]}; }
    Vector3 row(int k) const { return {m[k][0], m[k][1], m[k][2]}; }
};
Mat3 identity3();
Mat3 rotX(double a);
Mat3 rotZ(double a);
Mat3 mul(const Mat3& a, const Mat3& b);
Mat3 transpose(const Mat3& a);
Mat3 fromColumns(const Vector3& x, const Vector3& y, const Vector3& z);
Vector3 apply(const Mat3& m, const Vector3& v);
Vector3 unit(const Vector3& v);
double det(const Mat3& m);
// Angle between two directions, degrees.
double separation(const Vector3& a, const Vector3& b);

constexpr double kPi = 3.14159265358979323846;
constexpr double kRad = kPi / 180.0;
constexpr double kObliquity = 23.4392911 * kRad;  // of the ecliptic at J2000
constexpr double kJ2000 = 2451545.0;               // JD of time 0
constexpr double kAuKm = 1.496e8;                  // the program's astronomical unit
constexpr double kJupiterMass = 189.8187;          // 10^25 kg
constexpr double kJupiterRadius = 71492.0;         // km
constexpr double kEarthMass = 0.59722;             // 10^25 kg
constexpr double kEarthRadius = 6378.1;            // km
constexpr double kSunMass = 198847.0;              // 10^25 kg
constexpr double kSunRadiusKm = 695700.0;

// Equatorial direction (J2000, the catalogue's frame) of right ascension and declination, degrees.
Vector3 equatorial(double raDeg, double decDeg);
// The frame of an equator with pole `pole`: x towards its ascending node on the Earth's equator
// (the IAU's Q), z the pole.
Mat3 equatorFrame(const Vector3& pole);

// ---- Sources -----------------------------------------------------------------------------------

bool readText(const std::string& path, std::string& out);

struct XmlNode {
    std::string tag, text;
    std::map<std::string, std::string> attributes;
    std::vector<std::unique_ptr<XmlNode>> children;
    const XmlNode* child(const std::string& tag) const;                 // the first, or null
    std::vector<const XmlNode*> all(const std::string& tag) const;      // direct children
    // The number in a child's text; false when the child is missing or holds no number.
    bool number(const std::string& tag, double& out) const;
    std::string childText(const std::string& tag) const;
};
// Parses the subset of XML the exoplanet catalogue uses: elements, attributes, text, comments
// and the five entities. Null and `error` on malformed text.
std::unique_ptr<XmlNode> parseXml(const std::string& text, std::string& error);

// "[section]" then "key=value" lines; "#" and ";" comments. Keys and sections in lower case.
using IniSection = std::map<std::string, std::string>;
using IniFile = std::map<std::string, IniSection>;
IniFile parseIni(const std::string& text);
bool iniNumber(const IniSection& s, const std::string& key, double& out);

// One planet of the JPL table (Standish, "Keplerian Elements for Approximate Positions of the
// Major Planets", Table 2a with the Table 2b terms): elements at J2000 and rates per century.
struct JplPlanet {
    std::string name;
    double a, e, I, L, peri, node;           // AU, -, degrees
    double da, de, dI, dL, dperi, dnode;     // per Julian century
    double b = 0, c = 0, s = 0, f = 0;       // Table 2b
};
bool parseJplTable(const std::string& text, std::vector<JplPlanet>& out, std::string& error);

// ---- Bodies --------------------------------------------------------------------------------------

// A body as it is in the sky at time 0: its orbit in the catalogue's equatorial frame, its pole
// and the angle of its prime meridian.
struct Body {
    std::string name;
    std::string source;       // a few words for the comment above its line
    int32_t id = 0;
    int32_t parent = 0;       // 0: orbits the star
    uint32_t host = 0;        // catalogue index of the star
    int32_t kind = 16;
    double radius = 0;        // km
    double mass = 0;          // 10^25 kg; 0 not known
    Mat3 orbit = identity3(); // perifocal → equatorial: columns periapsis, 90° ahead in the orbit, normal
    double axis = 0;          // AU
    double ecc = 0;
    double meanAnomaly = 0;   // radians at time 0
    double period = 0;        // days
    bool hasPole = false;
    Vector3 pole{0, 0, 1};    // north pole (or positive pole), equatorial
    double w0 = 0, w1 = 0;    // prime meridian angle at time 0 (degrees) and its rate (degrees/day)
    uint32_t colour = 0;      // map slot below 0x1000000, else 0xAARRGGBB
};

// The orbit orientation of classical elements: node, inclination and argument of periapsis
// (radians) relative to `reference` (its x axis the origin of the node, its z axis the pole).
Mat3 orbitOrientation(const Mat3& reference, double node, double incl, double periArg);

// What a line reproduces: the worst differences between the body and what the program's reader
// makes of the line.
struct Fit {
    double orbitError = 0;   // degrees between the orbit's axes and the loaded orbit's
    double poleError = 0;    // degrees between the pole and the loaded body's pole
};

// Writes bodies as lines of star-system files, reading each line back with the program's reader
// so that children see their parents' frames exactly as the program makes them.
class Writer {
public:
    // `header` is the section line ("[S]"), written before the next body.
    void section(const std::string& header);
    void comment(const std::string& text);
    // Appends the body's line; false (nothing written) when the reader refuses it.
    bool add(const Body& body, Fit* fit = nullptr);
    const std::string& text() const { return out_; }
    double worstOrbit() const { return worstOrbit_; }
    double worstPole() const { return worstPole_; }
    std::string worstPoleName() const { return worstPoleName_; }
    // Bodies whose pole the reader's frames cannot reach within a degree, with the miss.
    const std::vector<std::string>& poorPoles() const { return poorPoles_; }

private:
    std::string out_;
    std::map<int32_t, Mat3> axisFrames_;  // of the bodies written, as the reader made them
    double worstOrbit_ = 0, worstPole_ = 0;
    std::string worstPoleName_;
    std::vector<std::string> poorPoles_;
};

// ---- The three generators ----------------------------------------------------------------------


struct SolarReport {
    int bodies = 0;
    std::vector<std::string> notes;
};
// solar.ssd and solarext.ssd from the JPL table, the Stellarium INI files and the Solar System
// file of the exoplanet catalogue.
bool buildSolar(const std::string& sources, std::string& solar, std::string& solarExt, SolarReport& report,
                std::string& error);

struct ExoReport {
    int systems = 0, hosts = 0, planets = 0, unconfirmed = 0;
    std::map<std::string, int> leftOut;  // reason → planets
    int defaultedRadius = 0, defaultedAxis = 0, defaultedPeriod = 0, defaultedIncl = 0;
};
bool buildExoplanets(const std::string& sources, const std::string& catalogueDir, const std::string& crossIndex,
                     std::string& out, ExoReport& report, std::string& error);

bool buildSciFi(std::string& out, std::string& error);

}  // namespace ssdgen
