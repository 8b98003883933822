// Renderer hooks called by the camera's per-frame update and its start-up step.
//
// Contract. The camera decides when the sky, local space and the entered star system are built
// and drawn, but the code that does it belongs to the render and star-system subsystems. Each of
// those installs its functions here (plain assignment) before the camera step of the start-up
// sequence runs: from its own start operation, or from an install function that the start-up
// sequence calls earlier, since the preparation hooks run inside the camera step. A hook that is
// null is simply not called: the frame then draws what exists and nothing in place of what does
// not. The camera never installs a hook itself.
//
//   render (sky)          prepareSky, buildSky, drawSky
//   render (local space)  buildLocalSpace, drawLocalSpace
//   star systems          prepareBodies, enterSystem, advanceSystemClock, drawSystem, bodyRadius
//   markers               hideMarkers
//
// Positions of bodies and components come from catalog::objectPosition, which the star-system
// subsystem serves through catalog::bodyPositionHook.
//
// All hooks run on the main thread; none may allocate in the per-frame ones (build and draw).
#pragma once

#include <cstdint>

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

// Radius in km of a body or component of the entered system (object kinds 2 and 3); 0 when it
// is not in the current system. A journey's arrival stops six radii short of it.
extern double (*bodyRadius)(int32_t object);

}  // namespace scene
