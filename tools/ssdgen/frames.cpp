// From a body in the sky to a line of a star-system file: the program's reader derives the spin
// axis from the axis angle, the plane tilt and the direction of the periapsis, and the orbit
// from the plane tilt, the parent's axis frame and the node, inclination and periapsis. This
// file inverts that: it finds the axis angle and plane tilt that put the body's pole where it
// is, the elements that then give its orbit, and the spin that turns its prime meridian to where
// it points at time 0. Every line is read back with the program's reader and the differences
// are kept for the report.
#include <cmath>
#include <cstdio>

#include "ssdgen.h"
#include "systems/ssd.h"
#include "systems/system.h"

namespace ssdgen {

namespace {

// The table of every line written so far, in all files, as the program will hold it: moons in
// one file find planets of an earlier one.
systems::BodyTable& table() {
    static auto* t = new systems::BodyTable;
    return *t;
}

Mat3 fromMatrix(const Matrix4& m) {
    Mat3 r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) r.m[i][j] = m.m[i][j];
    return r;
}

const systems::BodyRecord* record(int32_t id) {
    const systems::BodyTable& t = table();
    for (int i = 0; i < t.count; ++i)
        if (t.records[i].id == id) return &t.records[i];
    return nullptr;
}

// The reader's axis frame for the axis angle less the plane tilt `a` and the direction u from
// the periapsis to the centre; false where the reader would fall back (an axis along z).
bool axisFrame(double a, const Vector3& u, Mat3& out) {
    Vector3 A{std::cos(a) * u.x, std::cos(a) * u.y, std::sin(a) + std::cos(a) * u.z};
    const double al = std::sqrt(vmath::lengthSquared(A));
    if (al < 1e-9) return false;
    A = {A.x / al, A.y / al, A.z / al};
    Vector3 V{-A.z * A.x, -A.z * A.y, 1.0 - A.z * A.z};
    if (std::sqrt(vmath::lengthSquared(V)) < 1e-4) return false;
    V = unit(V);
    const Vector3 W = vmath::cross(A, V);
    out = {{{A.x, A.y, A.z}, {W.x, W.y, W.z}, {V.x, V.y, V.z}}};
    return true;
}

// Pole of the body frame M·T(t) is M·(0, −sin t, cos t): reachable where the pole has no part
// along M's first column. Finds a and t with the smallest |t| that reach `pole`, or the nearest.
void solvePole(const Vector3& u, const Vector3& pole, double& a, double& t) {
    auto g = [&](double x, bool& ok) {
        Mat3 M;
        ok = axisFrame(x, u, M);
        return ok ? vmath::dot(M.col(0), pole) : 0.0;
    };
    constexpr int kSteps = 7200;
    double bestT = 1e9, bestA = 0, nearestG = 1e9, nearestA = 0;
    bool found = false;
    bool okPrev;
    double xPrev = -kPi, gPrev = g(xPrev, okPrev);
    for (int k = 1; k <= kSteps; ++k) {
        const double x = -kPi + 2 * kPi * k / kSteps;
        bool ok;
        const double gx = g(x, ok);
        if (ok && std::fabs(gx) < nearestG) nearestG = std::fabs(gx), nearestA = x;
        if (ok && okPrev && (gx == 0 || (gx > 0) != (gPrev > 0))) {
            double lo = xPrev, hi = x, glo = gPrev;
            for (int i = 0; i < 80; ++i) {
                const double mid = 0.5 * (lo + hi);
                bool okMid;
                const double gm = g(mid, okMid);
                if ((gm > 0) == (glo > 0)) lo = mid, glo = gm;
                else hi = mid;
            }
            const double root = 0.5 * (lo + hi);
            Mat3 M;
            if (axisFrame(root, u, M)) {
                const Vector3 q = apply(transpose(M), pole);
                const double tilt = std::atan2(-q.y, q.z);
                if (std::fabs(tilt) < std::fabs(bestT)) bestT = tilt, bestA = root, found = true;
            }
        }
        xPrev = x, gPrev = gx, okPrev = ok;
    }
    if (found) {
        a = bestA, t = bestT;
        return;
    }
    Mat3 M;
    axisFrame(nearestA, u, M);
    const Vector3 q = apply(transpose(M), pole);
    a = nearestA;
    t = std::atan2(-q.y, q.z);
}

// R = Rz(node)·Rx(incl)·Rz(peri).
void eulerZXZ(const Mat3& R, double& node, double& incl, double& peri) {
    const double ci = std::fmax(-1.0, std::fmin(1.0, R.m[2][2]));
    incl = std::acos(ci);
    if (std::sin(incl) > 1e-9) {
        node = std::atan2(R.m[0][2], -R.m[1][2]);
        peri = std::atan2(R.m[2][0], R.m[2][1]);
    } else if (ci > 0) {
        node = 0, incl = 0;
        peri = std::atan2(R.m[1][0], R.m[0][0]);
    } else {
        node = 0, incl = kPi;
        peri = std::atan2(-R.m[1][0], R.m[0][0]);
    }
}

double wrapDegrees(double d) {
    d = std::fmod(d, 360.0);
    return d < 0 ? d + 360.0 : d;
}

std::string fileName(const std::string& name) {
    std::string out;
    for (char c : name) out += (c == ' ' || static_cast<unsigned char>(c) < 0x20) ? '_' : c;
    return out.substr(0, systems::kNameSize - 1);
}

}  // namespace

void Writer::section(const std::string& header) { out_ += header + "\n"; }

void Writer::comment(const std::string& text) { out_ += "/ " + text + "\n"; }

bool Writer::add(const Body& b, Fit* fit) {
    const Vector3 periapsis = b.orbit.col(0);
    const Vector3 u{-periapsis.x, -periapsis.y, -periapsis.z};
    const Vector3 pole = unit(b.hasPole ? b.pole : b.orbit.col(2));
    double a = 0, t = 0;
    solvePole(u, pole, a, t);

    Mat3 parentFrame = identity3();
    if (b.parent != 0) {
        const systems::BodyRecord* p = record(b.parent);
        if (!p) return false;
        parentFrame = fromMatrix(p->axisFrame);
    }
    // The reader's orbit is parent × T × Rz(node)·Rx(incl)·Rz(peri); a mirrored parent frame is
    // met by mirroring the orbit's normal, which the orbit's points never use.
    const Mat3 mirror = {{{1, 0, 0}, {0, 1, 0}, {0, 0, det(parentFrame) < 0 ? -1.0 : 1.0}}};
    const Mat3 own = mul(transpose(mul(parentFrame, rotX(t))), mul(b.orbit, mirror));
    double node, incl, peri;
    eulerZXZ(own, node, incl, peri);
    const double v = systems::trueAnomaly(b.meanAnomaly, b.ecc);
    const double deg = systems::kDeg;

    auto line = [&](double spin0) {
        char text[512];
        std::snprintf(text, sizeof text,
                      "%X %X %X %.10g %X %.10g %.10g %.10g %.10g %.10g %.10g %.10g %.10g %.10g %.10g %.6f %.10g %X %s",
                      static_cast<unsigned>(b.id), static_cast<unsigned>(b.parent), b.host, t / deg,
                      static_cast<unsigned>(b.kind), b.radius, b.axis, b.ecc, incl / deg, wrapDegrees(node / deg),
                      wrapDegrees(peri / deg), wrapDegrees(v / deg), (a + t) / (deg * deg), b.period, b.mass, spin0,
                      b.w1 != 0 ? 360.0 / b.w1 : 0.0, b.colour, fileName(b.name).c_str());
        return std::string(text);
    };
    systems::BodyTable& tab = table();
    systems::FileState state{0xFFFFFFFFu};
    std::string first = line(0.0);
    if (systems::applyLine(first.data(), first.size(), state, tab) != systems::LineResult::kBody) return false;
    // The prime meridian: mesh longitude λ lies at λ + θ0 from the equator's node Q, the map's
    // longitude L at W + L; the map shifted by the spin makes them meet.
    const Mat3 B = fromMatrix(tab.records[tab.count - 1].bodyFrame);
    const Vector3 Q = equatorFrame(pole).col(0), e1 = B.col(0);
    const double theta0 = std::atan2(vmath::dot(vmath::cross(Q, e1), pole), vmath::dot(Q, e1));
    double spin0 = (theta0 - b.w0 * kRad) / (2 * kPi);
    spin0 -= std::floor(spin0);
    --tab.count;
    const std::string text = line(spin0);
    if (systems::applyLine(text.data(), text.size(), state, tab) != systems::LineResult::kBody) return false;

    // What the reader made of it.
    const systems::BodyRecord& r = tab.records[tab.count - 1];
    const Mat3 F = fromMatrix(r.orbitFrame);
    const Mat3 Fw = mul(F, rotZ(r.periArg));
    Fit f;
    f.orbitError = std::fmax(separation(Fw.col(0), b.orbit.col(0)), separation(Fw.col(1), b.orbit.col(1)));
    f.poleError = separation(fromMatrix(r.bodyFrame).col(2), pole);
    if (b.kind >= systems::kFirstOrbiting || b.kind == systems::kRing) worstOrbit_ = std::fmax(worstOrbit_, f.orbitError);
    if (b.hasPole && f.poleError > worstPole_) worstPole_ = f.poleError, worstPoleName_ = b.name;
    if (b.hasPole && f.poleError > 1.0) poorPoles_.push_back(b.name + " " + std::to_string(f.poleError));
    if (fit) *fit = f;
    out_ += text + "\n";
    return true;
}

}  // namespace ssdgen
