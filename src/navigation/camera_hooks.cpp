// The renderer hooks of the scene step, null until their subsystems install them.
#include "navigation/scene_hooks.h"

namespace scene {

void (*hideMarkers)() = nullptr;
void (*prepareSky)() = nullptr;
void (*prepareBodies)() = nullptr;
void (*buildSky)() = nullptr;
void (*drawSky)() = nullptr;
void (*buildLocalSpace)() = nullptr;
void (*drawLocalSpace)() = nullptr;
int (*enterSystem)(int32_t) = nullptr;
void (*advanceSystemClock)(double) = nullptr;
void (*drawSystem)() = nullptr;
double (*bodyRadius)(int32_t) = nullptr;

}  // namespace scene
