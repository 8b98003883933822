// The running star system: the list of system objects of the entered star (the star, its
// catalogued companions and the bodies the star-system files give for it), their Keplerian
// motion under the star-system clock, and their orbit paths.
//
// Contract. enterSystem() rebuilds the list from scratch for a catalogue star or a pulsar and
// returns 1; for anything else it returns 0 and leaves the list as it was. The list holds
// kMaxObjects; objects beyond are not added. advance(dt) is the star-system clock setter: it adds
// dt (days, may be negative) to the active camera's systemTime and moves every object by dt; a dt
// that is not finite changes nothing. Simulated time moves only through advance.
//
// Positions are kilometres in the system's frame (the catalogue's equatorial axes) with the
// primary at the origin. Orbiting objects (kind 16 and up) follow the orbit formula: Kepler's
// equation is solved by Newton's method to 1e-8 from the mean anomaly, which is kept within
// [0, 2π), so that any step of the clock lands on the same place as the same time reached in
// small steps; an object whose period is 0 keeps its place. Moons move with their planets; the
// camera rides with its `central` body. Each orbiting object (the first kMaxPaths in list order)
// has a path of kPathLength points from 9° ahead of it round to 9° behind it.
//
// While the systems layer runs, the catalogue's objectPosition and objectRadius answer the
// bodies (kind 2) and companions (kind 3) of this list. Nothing here allocates; one thread.
#pragma once

#include <cstdint>

#include "base/vecmath.h"
#include "systems/ssd.h"

namespace systems {

inline constexpr int kMaxObjects = 256;
inline constexpr int kMaxPaths = 128;
inline constexpr int kPathPoints = 64;   // room per path
inline constexpr int kPathLength = 39;   // points of a path at 9° steps
inline constexpr double kSunRadius = 696000.0;      // km
inline constexpr double kKmPerLy = 9460704000000.0;  // 9.460704e12 km
inline constexpr double kKeplerTolerance = 1e-8;
inline constexpr int kKeplerIterations = 64;  // Newton converges in a handful; the cap is a guard

struct SystemObject {
    Vector3 position;      // km, current
    int32_t id;            // object identifier (the catalogue star's index for the primary)
    int32_t parentId;      // identifier of the object orbited, 0 for none
    int32_t kind;          // 0 stars and pulsars, 14 jet pair, 15 ring, 16 and up orbiting
    double radius;         // km
    double mass;           // 10^25 kg
    double period;         // days
    double spin0;          // turns at time 0
    double spinRate;       // radians per day
    double spin;           // turns, current rotation (shifts the surface map)
    double axisAngle;      // radians, from the body record
    double magnitude;      // absolute magnitude (stars)
    int32_t colourCode;    // colour-ramp class 0..128 of a star
    int32_t pathIndex;     // slot of the orbit path, −1 none
    uint32_t colour;       // 0xAARRGGBB; below 0x1000000 a surface-map slot (bodies)
    Vector3 centre;        // km, the point orbited
    double semiAxis;       // AU
    double ecc;
    double incl, node, periArg, anomaly0;  // radians
    double meanMotion;     // radians per day: 2π / period, 0 when the period is 0
    double meanAnomaly;    // radians, current, within [0, 2π)
    Matrix4 orbitFrame;    // orientation of the orbit plane
    Matrix4 spareFrame;    // identity
    Matrix4 bodyFrame;     // orientation of the drawn surface
    char name[kNameSize];
};

// Enters the system of `object` (a star index or a pulsar's deep-sky identifier) with the body
// records of `table`; 1 entered, 0 no system. Moves the camera out of the star if it is inside,
// sets its interstellar position to the star's and asks for the sky lists to be rebuilt.
int enterSystem(int32_t object, const BodyTable& table);

// The star-system clock setter (days).
void advance(double dt);

int objectCount();
const SystemObject* objectAt(int index);  // null outside 0..objectCount()−1
// The object of that identifier in the list (the first one), or null.
const SystemObject* findObject(int32_t id);
// Points of orbit path `slot` (kPathLength for a placed path), or null and 0.
const Vector3* orbitPath(int slot, int& points);
// Forgets the running system (start-up and shutdown).
void clearSystem();

// Kepler's equation E − e·sin E = M by Newton's method from E = M, to kKeplerTolerance.
double eccentricAnomaly(double meanAnomaly, double ecc);
// The true anomaly in [0, 2π) at mean anomaly M (any value), using the mirror for M ≥ π.
double trueAnomaly(double meanAnomaly, double ecc);
// The mean anomaly in [0, 2π) at true anomaly v.
double meanFromTrue(double v, double ecc);

}  // namespace systems
