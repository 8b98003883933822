// The star-system file reader: lines, section headers, body lines and the records derived from
// them (orbit frame, parent, period, spin axis, body frame).
#include "systems/ssd.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace systems {

namespace {

Matrix4 identity() {
    Matrix4 m{};
    for (int k = 0; k < 4; ++k) m.m[k][k] = 1.0;
    return m;
}

Vector3 row(const Matrix4& m, int k) { return {m.m[k][0], m.m[k][1], m.m[k][2]}; }

Matrix4 fromRows(const Vector3& r0, const Vector3& r1, const Vector3& r2) {
    Matrix4 m = identity();
    const Vector3 rows[3] = {r0, r1, r2};
    for (int k = 0; k < 3; ++k) {
        m.m[k][0] = rows[k].x;
        m.m[k][1] = rows[k].y;
        m.m[k][2] = rows[k].z;
    }
    return m;
}

double length(const Vector3& v) { return std::sqrt(vmath::dot(v, v)); }
Vector3 scaled(const Vector3& v, double s) { return {v.x * s, v.y * s, v.z * s}; }
Vector3 minus(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

// Below this length a direction is taken as none: the spin axis falls back to another choice
// rather than dividing by (almost) zero.
constexpr double kTinyLength = 1e-12;
// A spin axis within about 0.00006° of z leaves too little of z to stand square on it.
constexpr double kNearlyParallel = 1e-6;

bool ignoredFirstByte(unsigned char c) { return c == ' ' || c < 0x20 || c >= 0x7F || c == '/'; }

// The fields of a body line: runs of characters other than the space.
struct Fields {
    const char* start[kFieldCount];
    size_t length[kFieldCount];
    int count = 0;
};

Fields split(const char* line, size_t n) {
    Fields f;
    size_t i = 0;
    while (i < n && f.count < kFieldCount) {
        while (i < n && line[i] == ' ') ++i;
        if (i >= n) break;
        const size_t begin = i;
        while (i < n && line[i] != ' ') ++i;
        f.start[f.count] = line + begin;
        f.length[f.count] = i - begin;
        ++f.count;
    }
    return f;
}

// A field as a terminated string for the C number readers, which then read it exactly as "%x"
// and "%lf" read a word: leading blanks, a sign, "0x", and the number up to the first character
// that cannot continue it.
struct FieldText {
    char text[kMaxLineChars + 1];
    FieldText(const char* s, size_t n) {
        std::memcpy(text, s, n);
        text[n] = 0;
    }
};

uint32_t hexField(const Fields& f, int k) {
    const FieldText t(f.start[k], f.length[k]);
    // An overflowing number saturates, as a too-long hexadecimal word does with "%x".
    return static_cast<uint32_t>(std::strtoul(t.text, nullptr, 16));
}

double realField(const Fields& f, int k) {
    const FieldText t(f.start[k], f.length[k]);
    return std::strtod(t.text, nullptr);
}

// The orbit frame of a body's own elements: the plane tilt T about x, then the node's turn about
// z and the inclination about the line of nodes.
Matrix4 ownOrbitFrame(const BodyRecord& r) {
    return multiply(rotationX(r.planeTilt), multiply(rotationZ(r.node), rotationX(r.incl)));
}

// The spin axis A in the plane of the direction u (from the periapsis towards the centre) and
// the system's z axis, at the angle a = axisAngle − planeTilt from u; V is the system's z axis
// made perpendicular to A, and W = A × V.
Matrix4 spinAxisFrame(const BodyRecord& r) {
    const Vector3 periapsis = orbitPoint(r.semiAxis, r.ecc, r.periArg, r.orbitFrame, 0.0);
    const double d = length(periapsis);
    // A body without an orbit (semi-axis 0) has no periapsis: its direction is the one the orbit
    // frame gives the periapsis.
    Vector3 u = d > kTinyLength ? scaled(periapsis, -1.0 / d)
                                : scaled(transform(r.orbitFrame, Vector3{std::cos(r.periArg), std::sin(r.periArg), 0}), -1.0);
    const double a = r.axisAngle - r.planeTilt;
    Vector3 A{std::cos(a) * u.x, std::cos(a) * u.y, std::sin(a) + std::cos(a) * u.z};
    double al = length(A);
    if (al < kTinyLength) {  // u straight down the z axis at a = 45°: no direction left
        A = {0, 0, 1};
        al = 1.0;
    }
    A = scaled(A, 1.0 / al);
    // V is z made perpendicular to A; along z itself (an axis to the pole) u takes its place,
    // and the x axis when u is no better.
    Vector3 V = minus(Vector3{0, 0, 1}, scaled(A, A.z));
    if (length(V) < kNearlyParallel) V = minus(u, scaled(A, vmath::dot(u, A)));
    if (length(V) < kNearlyParallel) V = minus(Vector3{1, 0, 0}, scaled(A, A.x));
    V = scaled(V, 1.0 / length(V));
    // Once more against A: what was left of z may have been small and its rounding large.
    V = minus(V, scaled(A, vmath::dot(V, A)));
    V = scaled(V, 1.0 / length(V));
    const Vector3 W = vmath::cross(A, V);
    return fromRows(A, W, V);
}

bool finiteAll(const BodyRecord& r, const double* extra, int n) {
    const double values[] = {r.planeTilt, r.axisAngle, r.semiAxis, r.ecc, r.incl, r.node,
                             r.periArg, r.anomaly0, r.period, r.mass, r.radius, r.spin0};
    for (double v : values)
        if (!std::isfinite(v)) return false;
    for (int k = 0; k < n; ++k)
        if (!std::isfinite(extra[k])) return false;
    return true;
}

LineResult applyHeader(const char* line, size_t n, FileState& state) {
    uint32_t flags = 0;
    for (size_t i = 1; i < n && line[i] != ']'; ++i) flags |= sectionBit(line[i]);
    state.flags = flags;
    state.active = (flags & state.loadFilter) != 0;
    return state.active ? LineResult::kSection : LineResult::kStop;
}

LineResult applyBody(const char* line, size_t n, BodyTable& table) {
    const Fields f = split(line, n);
    if (f.count < kFieldCount) return LineResult::kTooFewFields;
    if (table.count >= kMaxBodies) return LineResult::kTableFull;

    BodyRecord r{};
    r.id = static_cast<int32_t>(hexField(f, 0));
    r.parentId = static_cast<int32_t>(hexField(f, 1));
    r.hostStar = static_cast<int32_t>(hexField(f, 2));
    r.planeTilt = realField(f, 3) * kDeg;
    r.kind = static_cast<int32_t>(hexField(f, 4));
    r.radius = realField(f, 5);
    r.semiAxis = realField(f, 6);
    r.ecc = realField(f, 7);
    r.incl = realField(f, 8) * kDeg;
    r.node = realField(f, 9) * kDeg;
    r.periArg = realField(f, 10) * kDeg;
    r.anomaly0 = realField(f, 11) * kDeg;
    r.axisAngle = realField(f, 12) * kDeg;
    r.period = realField(f, 13);
    r.mass = realField(f, 14);
    r.spin0 = realField(f, 15);
    r.axisAngle *= kDeg;  // the second conversion, after field 16 as the format has it
    const double spinPeriod = realField(f, 16);
    r.spinRate = spinPeriod != 0.0 ? -(kTwoPi / spinPeriod) : 0.0;
    r.colour = hexField(f, 17);
    const size_t nameLength = f.length[18] < kNameSize - 1 ? f.length[18] : kNameSize - 1;
    std::memcpy(r.name, f.start[18], nameLength);
    r.name[nameLength] = 0;
    r.centre = {0, 0, 0};

    if (r.id < kFirstBodyId) return LineResult::kBadId;  // also catches the negative ones
    if (!finiteAll(r, &spinPeriod, 1) || !std::isfinite(r.spinRate)) return LineResult::kNotFinite;
    if (!(r.ecc >= 0.0 && r.ecc < 1.0) || !(r.radius >= 0.0 && r.radius <= kMaxRadius) ||
        !(r.semiAxis >= 0.0 && r.semiAxis <= kMaxSemiAxis))
        return LineResult::kBadOrbit;

    r.orbitFrame = ownOrbitFrame(r);
    const BodyRecord* parent = nullptr;
    if (r.parentId != 0) {
        for (int i = 0; i < table.count && !parent; ++i)
            if (table.records[i].id == r.parentId) parent = &table.records[i];
        if (!parent) return LineResult::kNoParent;
        r.orbitFrame = multiply(parent->axisFrame, r.orbitFrame);
    }
    if (r.period == 0.0 && parent) r.period = derivedPeriod(r.semiAxis, parent->mass);
    if (!std::isfinite(r.period)) return LineResult::kNotFinite;  // a far orbit round a feather
    r.axisFrame = spinAxisFrame(r);
    r.bodyFrame = multiply(r.axisFrame, rotationX(r.planeTilt));

    table.records[table.count++] = r;
    return LineResult::kBody;
}

}  // namespace

uint32_t sectionBit(char c) {
    switch (c) {
        case 'S': case 's': return kSectionSolar;
        case 'C': case 'c': return kSectionCompleteSolar;
        case 'X': case 'x': return kSectionExtraSolar;
        case 'U': case 'u': return kSectionUnconfirmed;
        case '1': return kSectionSciFi1;
        case '2': return kSectionSciFi2;
        case '3': return kSectionSciFi3;
        case '4': return kSectionSciFi4;
        default: return 0;
    }
}

const char* lineResultText(LineResult r) {
    switch (r) {
        case LineResult::kIgnored: return "ignored";
        case LineResult::kSection: return "section";
        case LineResult::kStop: return "section not loaded";
        case LineResult::kBody: return "body";
        case LineResult::kTooFewFields: return "fewer than 19 fields";
        case LineResult::kBadId: return "identifier outside 02000000..7FFFFFFF";
        case LineResult::kNotFinite: return "a number is not finite";
        case LineResult::kBadOrbit: return "eccentricity, radius or axis out of range";
        case LineResult::kNoParent: return "parent not loaded before";
        case LineResult::kTableFull: return "body table full";
    }
    return "?";
}

LineResult applyLine(const char* line, size_t length, FileState& state, BodyTable& table) {
    const size_t n = length < static_cast<size_t>(kMaxLineChars) ? length : kMaxLineChars;
    if (n == 0) return LineResult::kIgnored;
    const unsigned char first = static_cast<unsigned char>(line[0]);
    if (first == '[') return applyHeader(line, n, state);
    if (ignoredFirstByte(first)) return LineResult::kIgnored;
    return applyBody(line, n, table);
}

FileReport readSystemFile(const uint8_t* data, size_t size, uint32_t loadFilter, BodyTable& table) {
    FileReport report;
    FileState state{loadFilter};
    const char* text = reinterpret_cast<const char*>(data);
    size_t at = 0;
    while (data && at < size && state.active) {
        const void* lf = std::memchr(text + at, '\n', size - at);
        const size_t end = lf ? static_cast<size_t>(static_cast<const char*>(lf) - text) : size;
        ++report.lines;
        const LineResult r = applyLine(text + at, end - at, state, table);
        if (r == LineResult::kBody) {
            ++report.bodies;
            const BodyRecord& b = table.records[table.count - 1];
            if (b.kind >= kFirstOrbiting && b.period == 0.0) ++report.stillBodies;
        } else if (dropped(r)) {
            if (report.dropped++ == 0) {
                report.firstDroppedLine = report.lines;
                report.firstDropped = r;
            }
        }
        at = end + 1;
    }
    return report;
}

double derivedPeriod(double semiAxis, double parentMass) {
    if (!(parentMass > 0.0)) return 0.0;
    // Kepler's third law in SI units: the axis from AU by way of km to m³ (× 1e9), the mass from
    // 10^25 kg, the result from seconds to days.
    const double km = semiAxis * kKmPerAu;
    const double seconds = std::sqrt((4.0 * kPi * kPi) / (parentMass * kGravity * 1e25) * km * km * km * 1e9);
    return seconds / kSecondsPerDay;
}

Vector3 orbitPoint(double semiAxis, double ecc, double periArg, const Matrix4& orbitFrame, double v) {
    const double q = (1.0 - ecc * ecc) * semiAxis * kKmPerAu;
    const double r = q / (1.0 + ecc * std::cos(v));
    const double x0 = r * std::cos(v), y0 = r * std::sin(v);
    const double cw = std::cos(periArg), sw = std::sin(periArg);
    return transform(orbitFrame, Vector3{cw * x0 - sw * y0, sw * x0 + cw * y0, 0.0});
}

Vector3 transform(const Matrix4& m, const Vector3& v) {
    return {vmath::dot(row(m, 0), v), vmath::dot(row(m, 1), v), vmath::dot(row(m, 2), v)};
}

Matrix4 multiply(const Matrix4& a, const Matrix4& b) {
    Matrix4 m = identity();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            double s = 0;
            for (int k = 0; k < 3; ++k) s += a.m[i][k] * b.m[k][j];
            m.m[i][j] = s;
        }
    return m;
}

Matrix4 rotationX(double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    return fromRows({1, 0, 0}, {0, c, -s}, {0, s, c});
}

Matrix4 rotationZ(double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    return fromRows({c, -s, 0}, {s, c, 0}, {0, 0, 1});
}

}  // namespace systems
