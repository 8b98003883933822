// The running star system: entering a star or a pulsar, Kepler's equation, the time step with
// moons riding on their planets and the camera on its central body, and the orbit paths.
#include "systems/system.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "catalog/catalog.h"
#include "navigation/camera.h"

namespace systems {

namespace {

struct Path {
    Vector3 points[kPathPoints];
    int count = 0;
};

SystemObject objects[kMaxObjects];
int count = 0;
Path paths[kMaxPaths];

constexpr double kPathStep = kPi / 20.0;  // 9°

Matrix4 identityFrame() {
    Matrix4 m{};
    for (int k = 0; k < 4; ++k) m.m[k][k] = 1.0;
    return m;
}

double reduceAngle(double a) {
    a -= std::floor(a / kTwoPi) * kTwoPi;
    // Rounding can leave exactly 2π for an angle a hair below 0.
    return a >= kTwoPi || a < 0.0 ? 0.0 : a;
}

// Names are cut to the 31 characters a name holds.
void copyName(char out[kNameSize], const char* text) {
    const size_t n = strnlen(text, kNameSize - 1);
    std::memcpy(out, text, n);
    out[n] = 0;
}

SystemObject* append() {
    if (count >= kMaxObjects) return nullptr;
    SystemObject& o = objects[count++];
    o = SystemObject{};
    o.pathIndex = -1;
    o.orbitFrame = o.spareFrame = o.bodyFrame = identityFrame();
    return &o;
}

const SystemObject* firstWithId(int32_t id, int before) {
    for (int i = 0; i < before; ++i)
        if (objects[i].id == id) return &objects[i];
    return nullptr;
}

void placePath(const SystemObject& o, double v) {
    if (o.pathIndex < 0 || o.pathIndex >= kMaxPaths) return;
    Path& p = paths[o.pathIndex];
    p.count = 0;
    // From 9° ahead of the object round to 9° behind it, leaving a gap where it stands.
    const double end = v + kTwoPi - kPathStep / 2.0;
    for (double angle = v + kPathStep; angle <= end && p.count < kPathPoints; angle += kPathStep) {
        const Vector3 r = orbitPoint(o.semiAxis, o.ecc, o.periArg, o.orbitFrame, angle);
        p.points[p.count++] = {o.centre.x + r.x, o.centre.y + r.y, o.centre.z + r.z};
    }
}

void place(SystemObject& o, double v) {
    const Vector3 r = orbitPoint(o.semiAxis, o.ecc, o.periArg, o.orbitFrame, v);
    o.position = {o.centre.x + r.x, o.centre.y + r.y, o.centre.z + r.z};
    placePath(o, v);
}

// Radius in km of a star of absolute magnitude m whose temperature is `kelvin`, from its
// luminosity; 0 when the temperature gives no radius (a colour index at or beyond −0.82).
double radiusFrom(double kelvin, double m) {
    const double x = kelvin / 6050.0;
    const double luminosity = std::pow(10.0, (4.8 - m) * 0.4);
    const double r = std::sqrt(luminosity) / (x * x) * kSunRadius;
    return std::isfinite(r) && r > 0.0 ? r : 0.0;
}

int componentColourCode(const char* spectral) {
    switch (spectral[0]) {
        case 'O': return 120;
        case 'B': return 80;
        case 'A': return 64;
        case 'F': return 48;
        case 'G': return 32;
        case 'K': return 16;
        case 'M': return 0;
        default: return 128;
    }
}

// Step 4 of an entry: a camera inside the largest star is moved out along z.
void keepCameraOutside(double largestRadius) {
    const CameraRecord& c = *camera::activeCamera();
    if (std::sqrt(vmath::lengthSquared(c.SPos)) < largestRadius)
        camera::setSPos(0.0, 0.0, 4.0 * largestRadius);
}

double enterStar(uint32_t index, const catalog::StarRecord& star) {
    SystemObject& primary = *append();
    primary.id = static_cast<int32_t>(index);
    catalog::starName(index, primary.name);
    primary.magnitude = star.absMag / catalog::kFixed;
    primary.colourCode = catalog::starColourIndex(star.colourBV);
    catalog::StarExtraRecord extra{};
    if (star.extra >= 0 && catalog::readStarExtra(static_cast<uint32_t>(star.extra), extra) &&
        extra.radius != 0.0f && std::isfinite(extra.radius)) {
        primary.radius = extra.radius * kSunRadius;
    } else {
        const double bv = star.colourBV / catalog::kFixed;
        primary.radius = radiusFrom(8800.0 / (bv + 0.82) - 770.0, primary.magnitude);
    }
    double largest = primary.radius > 0.0 ? primary.radius : 0.0;

    catalog::ComponentInfo info{};
    for (int more = catalog::firstComponent(index, info); more; more = catalog::nextComponent(info)) {
        SystemObject* o = append();
        if (!o) break;
        o->id = static_cast<int32_t>(catalog::kComponentBase + static_cast<uint32_t>(info.index));
        char name[kNameSize + 8];
        std::snprintf(name, sizeof name, "%s %c%c", primary.name, info.letter1, info.letter2);
        copyName(o->name, name);
        o->magnitude = info.magnitude;
        o->colourCode = componentColourCode(info.spectral);
        o->radius = radiusFrom(3000.0 + 70.86614173228347 * o->colourCode, o->magnitude);
        if (o->radius > largest) largest = o->radius;
        double separation = std::isfinite(info.separation) ? info.separation : 0.00001;
        separation += 0.00002;
        const double km = separation * kKmPerLy;
        const Vector3 offset{std::cos(info.angle) * km, std::sin(info.angle) * km, 0.0};
        o->centre = offset;
        // A second letter names the component it is placed around, counted from the primary.
        const int around = info.letter2 - 'A';
        if (info.letter2 != ' ' && around >= 0 && around < count - 1) {
            const Vector3& p = objects[around].position;
            o->centre = {p.x + offset.x, p.y + offset.y, p.z + offset.z};
        }
        o->position = o->centre;
    }
    return largest;
}

void addBodies(uint32_t host, const BodyTable& table) {
    int nextPath = 0;
    for (int i = 0; i < table.count; ++i) {
        const BodyRecord& r = table.records[i];
        if (static_cast<uint32_t>(r.hostStar) != host) continue;
        SystemObject* o = append();
        if (!o) return;
        o->id = r.id;
        o->parentId = r.parentId;
        o->kind = r.kind;
        o->radius = r.radius;
        o->mass = r.mass;
        o->period = r.period;
        o->spin0 = r.spin0;
        o->spin = r.spin0;
        o->spinRate = r.spinRate;
        o->axisAngle = r.axisAngle;
        o->colour = r.colour;
        o->centre = r.centre;
        o->semiAxis = r.semiAxis;
        o->ecc = r.ecc;
        o->incl = r.incl;
        o->node = r.node;
        o->periArg = r.periArg;
        o->anomaly0 = r.anomaly0;
        o->orbitFrame = r.orbitFrame;
        o->bodyFrame = r.bodyFrame;
        copyName(o->name, r.name);
        // A period of 0 leaves the mean motion undefined: such a body keeps its place.
        o->meanMotion = r.period != 0.0 ? kTwoPi / r.period : 0.0;
        if (!std::isfinite(o->meanMotion)) o->meanMotion = 0.0;
        if (o->parentId != 0) {
            // A parent of another star's system is not in the list: the body then orbits the
            // system's centre.
            if (const SystemObject* parent = firstWithId(o->parentId, count - 1)) o->centre = parent->position;
        }
        if (o->kind < kFirstOrbiting) {
            o->position = o->centre;
            continue;
        }
        if (nextPath < kMaxPaths) o->pathIndex = nextPath++;
        o->meanAnomaly = meanFromTrue(o->anomaly0, o->ecc);
        // Placed at the mean anomaly until the time step that follows every entry.
        place(*o, o->meanAnomaly);
    }
}

void enterPulsar(uint32_t id) {
    SystemObject& pulsar = *append();
    pulsar.id = static_cast<int32_t>(id);
    pulsar.radius = 200.0;
    pulsar.colourCode = 128;
    catalog::deepSkyName(id, pulsar.name);
    for (int k = 0; k < 16; ++k) {
        SystemObject& ring = *append();
        ring.id = static_cast<int32_t>(id + static_cast<uint32_t>(k));
        ring.parentId = static_cast<int32_t>(id);
        ring.kind = kRing;
        ring.semiAxis = (2000000.0 + 250000.0 * k * k) / kKmPerAu;
        ring.colour = 0xFF000000u + static_cast<uint32_t>(255 - 16 * k) * 0x010101u;
        ring.mass = 1.0;
        ring.period = 1.0;
        ring.meanMotion = kTwoPi;
    }
    SystemObject& jets = *append();
    jets.id = static_cast<int32_t>(id + 32);
    jets.parentId = static_cast<int32_t>(id);
    jets.kind = kJetPair;
    jets.semiAxis = 0.8;
    jets.colour = 0xFFC0C0C0u;
    jets.mass = 1.0;
    jets.period = 1.0;
    jets.meanMotion = kTwoPi;
}

}  // namespace

int enterSystem(int32_t object, const BodyTable& table) {
    const uint32_t id = static_cast<uint32_t>(object);
    Vector3 where;
    double largest = 0.0;
    switch (catalog::objectKind(id)) {
        case 0: {
            catalog::StarRecord star;
            if (!catalog::readStar(id, star)) return 0;
            count = 0;
            largest = enterStar(id, star);
            keepCameraOutside(largest);
            addBodies(id, table);
            where = {star.x, star.y, star.z};
            break;
        }
        case 1: {
            catalog::DeepSkyRecord record;
            if (!catalog::readDeepSky(id - catalog::kDeepSkyBase, record) || record.type != catalog::kPulsar)
                return 0;
            count = 0;
            enterPulsar(id);
            keepCameraOutside(0.0);
            where = {record.x, record.y, record.z};
            break;
        }
        default: return 0;
    }
    camera::setIPos(where.x, where.y, where.z);
    camera::requestRebuild();
    return 1;
}

// The angle `rate` (radians a day) turns through in `dt` days. The clock may be stepped by up to
// the largest double, where rate × dt overflows and would leave every body at no position for
// good; whole turns are taken off the time first then, which changes nothing of the angle.
static double turnedBy(double dt, double rate, double turn) {
    const double angle = dt * rate;
    if (std::isfinite(angle) || rate == 0.0) return std::isfinite(angle) ? angle : 0.0;
    return std::fmod(dt, turn / std::fabs(rate)) * rate;
}

void advance(double dt) {
    if (!std::isfinite(dt)) return;
    const CameraRecord& c = *camera::activeCamera();
    camera::setSystemTime(c.systemTime + dt);
    for (int i = 0; i < count; ++i) {
        SystemObject& o = objects[i];
        const bool riding = c.central != camera::kNone && o.id == c.central;
        const Vector3 offset = vmath::operator-(c.SPos, o.position);
        double v = 0.0;
        if (o.kind >= kFirstOrbiting) {
            o.meanAnomaly = reduceAngle(o.meanAnomaly + turnedBy(dt, o.meanMotion, kTwoPi));
            v = trueAnomaly(o.meanAnomaly, o.ecc);
        }
        // Parents come earlier in the list and have already moved in this step.
        if (o.parentId != 0)
            if (const SystemObject* parent = firstWithId(o.parentId, count)) o.centre = parent->position;
        if (o.kind < kFirstOrbiting) {
            o.position = o.centre;
        } else {
            // The spin counts turns (a turn shifts the surface map by its width), so it is kept
            // within one turn; kept within 2π turns, each wrap would turn the surface by 0.28 of
            // a turn.
            o.spin += turnedBy(dt, o.spinRate, kTwoPi) / kTwoPi;
            o.spin -= std::floor(o.spin);
            place(o, v);
        }
        if (riding) camera::setSPos(o.position.x + offset.x, o.position.y + offset.y, o.position.z + offset.z);
    }
}

int objectCount() { return count; }

const SystemObject* objectAt(int index) { return index >= 0 && index < count ? &objects[index] : nullptr; }

const SystemObject* findObject(int32_t id) { return firstWithId(id, count); }

const Vector3* orbitPath(int slot, int& points) {
    if (slot < 0 || slot >= kMaxPaths || paths[slot].count == 0) {
        points = 0;
        return nullptr;
    }
    points = paths[slot].count;
    return paths[slot].points;
}

void clearSystem() {
    count = 0;
    for (Path& p : paths) p.count = 0;
}

double eccentricAnomaly(double meanAnomaly, double ecc) {
    double E = meanAnomaly;
    for (int k = 0; k < kKeplerIterations; ++k) {
        const double d = E - ecc * std::sin(E) - meanAnomaly;
        E -= d / (1.0 - ecc * std::cos(E));
        if (std::fabs(d) < kKeplerTolerance) break;
    }
    return E;
}

double trueAnomaly(double meanAnomaly, double ecc) {
    const double M = reduceAngle(meanAnomaly);
    // The second half of the orbit is the mirror image of the first.
    const bool mirrored = M >= kPi;
    const double E = eccentricAnomaly(mirrored ? kTwoPi - M : M, ecc);
    double v = 2.0 * std::atan(std::tan(E / 2.0) * std::sqrt((1.0 + ecc) / (1.0 - ecc)));
    if (v < 0.0) v += kTwoPi;
    return mirrored ? kTwoPi - v : v;
}

double meanFromTrue(double v, double ecc) {
    double E = 2.0 * std::atan(std::tan(v / 2.0) / std::sqrt((1.0 + ecc) / (1.0 - ecc)));
    if (E < 0.0) E += kTwoPi;
    return E - ecc * std::sin(E);
}

}  // namespace systems
