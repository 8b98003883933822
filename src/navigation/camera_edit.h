// Direct access to the camera records, for tests, tools and benchmarks that set up a record
// before they exercise something. The program's layers never include this header: they change
// a camera only through the operations of navigation/camera.h, which raise the events and the
// rebuilds that the change needs (the layer check refuses the include elsewhere).
#pragma once

#include "navigation/camera.h"

namespace camera {

// The active record and camera n (null outside 0..7), writable.
CameraRecord& editActive();
CameraRecord* editCamera(int n);

}  // namespace camera
