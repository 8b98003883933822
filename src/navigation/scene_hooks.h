// Renderer hooks called by the camera's per-frame update and its start-up step.
//
// Contract. The camera decides when the sky, local space and the entered star system are built
// and drawn, but the code that does it belongs to the render and star-system subsystems. Each of
// those installs its functions here (plain assignment) when it starts, before the camera step of
// the start-up sequence runs. A hook that is null is simply not called: the frame then draws
// what exists and nothing in place of what does not. The camera never installs a hook itself.
//
//   render (sky)          prepareSky, buildSky, drawSky
//   render (local space)  buildLocalSpace, drawLocalSpace
//   star systems          prepareBodies, enterSystem, advanceSystemClock, drawSystem,
//                         bodyPosition, bodyRadius
//   markers               hideMarkers
//
// All hooks run on the main thread; none may allocate in the per-frame ones (build and draw).
#pragma once

#include <cstdint>

#include "navigation/vecmath.h"

namespace scene {

// Start-up preparation, called once by camera::cameraStart in this order: hideMarkers, prepareSky
// (the render lists' tables and the sprites), prepareBodies (body tables, shapes, maps and the
// star-system files).
extern void (*hideMarkers)();
extern void (*prepareSky)();
extern void (*prepareBodies)();

// The sky of modes 0 and 2: rebuild the render lists from the active camera, and draw them.
extern void (*buildSky)();
extern void (*drawSky)();

// Local space, mode 1.
extern void (*buildLocalSpace)();
extern void (*drawLocalSpace)();

// The star system of mode 2. enterSystem builds the running system of an object and returns 1,
// or 0 when the object has no system. advanceSystemClock is the star-system clock setter: it
// moves every body by dt and adds dt to the camera's systemTime. drawSystem draws the bodies in
// front of the sky.
extern int (*enterSystem)(int32_t object);
extern void (*advanceSystemClock)(double dt);
extern void (*drawSystem)();

// Bodies and components of the entered system (object kinds 2 and 3): position in km relative
// to the system's primary (1 found, 0 not in the current system) and radius in km (0 unknown).
extern int (*bodyPosition)(int32_t object, Vector3& position);
extern double (*bodyRadius)(int32_t object);

}  // namespace scene
