// Star-system files (".ssd"): the body records they describe and the reader that applies a file's
// bytes to the body table.
//
// Contract. A star-system file is text split into lines at LF; a line holds at most 255
// characters (the rest up to the LF is cut off). A line is ignored (empty, or its first byte is a
// space, a control character, a byte above 0x7F or "/"), a section header ("[" then section
// letters up to "]"), or a body line of 19 fields separated by spaces (tabs are not separators).
// A header replaces the section flags; when they share no bit with the load filter the rest of
// the file is not read. Body lines before the first header are always read.
//
// Fields: 1 id, 2 parentId, 3 hostStar, 5 kind and 18 colour are hexadecimal ("%x"); the others
// are reals ("%lf"); a field whose number does not parse reads as 0 and characters after a number
// are ignored. Field 19, the name, is cut to 31 characters.
//
// Every record the reader appends is whole: the line is parsed into a scratch record, checked
// and derived (frames, period, spin) and only then copied to the table, so that a refused line
// leaves the table exactly as it was. A line is refused (dropped, reported through LineResult)
// when it has fewer than 19 fields, an id outside 0x02000000..0x7FFFFFFF, a number that is not
// finite (also a derived period), an eccentricity outside 0 ≤ e < 1, a radius or semi-major
// axis that is negative or beyond kMaxRadius and kMaxSemiAxis, or a parent that was not loaded
// before it; and when the table is full (kMaxBodies).
//
// Units in the records: kilometres, astronomical units (semiAxis), days (period, and the time of
// the star-system clock), 10^25 kg (mass); angles in radians, converted from the file's degrees
// with the program's pi (3.14159265359). Nothing here allocates; one thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/vecmath.h"

namespace systems {

// The program's pi and its conversions, used for every angle of the star systems.
inline constexpr double kPi = 3.14159265359;
inline constexpr double kTwoPi = 2.0 * kPi;
inline constexpr double kDeg = kPi / 180.0;
inline constexpr double kKmPerAu = 1.496e8;
inline constexpr double kSecondsPerDay = 86400.0;
inline constexpr double kGravity = 6.67e-11;  // m³ kg⁻¹ s⁻²

// Room for the shipped files: the planets of other stars alone are about a thousand.
inline constexpr int kMaxBodies = 4096;
inline constexpr int kMaxLineChars = 255;
inline constexpr int kFieldCount = 19;
inline constexpr int kNameSize = 32;  // 31 characters and the terminator

// Beyond these a body's numbers would overflow the kilometres of its positions; lines with
// them are refused.
inline constexpr double kMaxSemiAxis = 1e9;   // AU, some 16,000 light years
inline constexpr double kMaxRadius = 1e12;    // km

inline constexpr int32_t kFirstBodyId = 0x02000000;
inline constexpr int32_t kLastBodyId = 0x7FFFFFFF;

// Body kinds (field 5). Kinds below kFirstOrbiting stay at their parent's position.
enum BodyKind : int32_t {
    kJetPair = 14,        // a pulsar's two jets
    kRing = 15,           // a circle of semiAxis around the parent, in the orbit plane
    kFirstOrbiting = 16,
    kRockyPlanet = 16,    // "10" in a file
    kGasGiant = 17,       // "11"
    kBrownDwarf = 18,     // "12"
};

// Section letters of headers and their load-filter bits.
enum SectionBit : uint32_t {
    kSectionSolar = 0x01,        // S s: "Solar System"
    kSectionCompleteSolar = 0x02,  // C c: "Complete Solar"
    kSectionExtraSolar = 0x04,   // X x: "Extra solar systems"
    kSectionUnconfirmed = 0x08,  // U u: "Unconfirmed Systems"
    kSectionSciFi1 = 0x10,       // 1
    kSectionSciFi2 = 0x20,       // 2
    kSectionSciFi3 = 0x40,       // 3
    kSectionSciFi4 = 0x80,       // 4
};
// The bit of a header character, 0 for characters that name no section.
uint32_t sectionBit(char c);

struct BodyRecord {
    int32_t hostStar;     // record number of the host star in the star catalogue (field 3)
    double planeTilt;     // radians: rotation of the orbit frame about x (field 4)
    int32_t id;           // object identifier in the entered system: field 1
    int32_t parentId;     // 0: orbits the system centre; else the id of the body it orbits (field 2)
    int32_t kind;         // BodyKind (field 5)
    double axisAngle;     // radians: field 13 × deg × deg, places the spin axis
    Vector3 centre;       // km: the point orbited, filled when a system is entered
    double semiAxis;      // AU: semi-major axis (field 7)
    double ecc;           // eccentricity, 0 ≤ e < 1 (field 8)
    double incl;          // radians: inclination (field 9)
    double node;          // radians: longitude of the ascending node (field 10)
    double periArg;       // radians: argument of the periapsis (field 11)
    double anomaly0;      // radians: true anomaly at time 0 (field 12)
    double period;        // days: orbital period (field 14), derived when 0
    double mass;          // 10^25 kg (field 15)
    double radius;        // km (field 6)
    double spin0;         // rotation at time 0 in turns of the surface map (field 16)
    double spinRate;      // radians per day: −2π / spin period (field 17), 0 without rotation
    uint32_t colour;      // 0xAARRGGBB (field 18); below 0x1000000 a surface-map slot
    Matrix4 orbitFrame;   // orientation of the orbit plane
    Matrix4 axisFrame;    // rows: spin axis A, A × V, V
    Matrix4 bodyFrame;    // axisFrame × the plane tilt: orientation of the drawn surface
    char name[kNameSize]; // field 19
};

struct BodyTable {
    BodyRecord records[kMaxBodies];
    int count = 0;
};

// What one line did.
enum class LineResult {
    kIgnored,         // empty, comment or other ignored line
    kSection,         // a header that keeps the file active
    kStop,            // a header that ends the file
    kBody,            // a record was appended
    kTooFewFields,    // dropped: fewer than 19 fields
    kBadId,           // dropped: id outside 0x02000000..0x7FFFFFFF
    kNotFinite,       // dropped: a number is infinite or not a number
    kBadOrbit,        // dropped: eccentricity outside [0, 1), radius or axis out of range
    kNoParent,        // dropped: the parent was not loaded before
    kTableFull,       // dropped: kMaxBodies records are loaded
};
const char* lineResultText(LineResult r);
inline bool dropped(LineResult r) { return r >= LineResult::kTooFewFields; }

// The reader's state through one file: the current section flags and whether reading goes on.
struct FileState {
    uint32_t loadFilter;   // the loadFilter setting
    uint32_t flags = 0;    // the last header's section bits
    bool active = true;    // false after a header that shares no bit with the filter
};

// Applies one line (without its LF, `length` bytes, cut to kMaxLineChars) to the table.
LineResult applyLine(const char* line, size_t length, FileState& state, BodyTable& table);

// Counts of one file's lines, for the log and the tests.
struct FileReport {
    int lines = 0;      // lines read (up to and including a stopping header)
    int bodies = 0;     // records appended
    int dropped = 0;    // body lines refused
    int firstDroppedLine = 0;                   // 1-based line number of the first refusal, 0 none
    LineResult firstDropped = LineResult::kIgnored;
    int stillBodies = 0;  // orbiting records whose period is 0: they keep their place
};

// Reads a whole file's bytes with a fresh FileState (every file starts active).
FileReport readSystemFile(const uint8_t* data, size_t size, uint32_t loadFilter, BodyTable& table);

// The derived period in days of a body at `semiAxis` AU around a parent of `parentMass` × 10^25
// kg (Kepler's third law); 0 when the mass is not positive.
double derivedPeriod(double semiAxis, double parentMass);

// The orbit formula: the position (km) relative to the point orbited at true anomaly `v` of an
// orbit with semi-major axis `semiAxis` (AU), eccentricity `ecc`, argument of periapsis
// `periArg` and orientation `orbitFrame`.
Vector3 orbitPoint(double semiAxis, double ecc, double periArg, const Matrix4& orbitFrame, double v);

// Matrices as the loader uses them: rows 0 to 2 of the 3 × 3 part, row 3 (0, 0, 0, 1).
Vector3 transform(const Matrix4& m, const Vector3& v);  // (row0·v, row1·v, row2·v)
Matrix4 multiply(const Matrix4& a, const Matrix4& b);   // a × b on the 3 × 3 part
Matrix4 rotationX(double angle);
Matrix4 rotationZ(double angle);

}  // namespace systems
