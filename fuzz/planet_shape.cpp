// Fuzz target for the body mesh ("planet.shape"): records of 20 little-endian doubles read in
// place; a record with a value that is not finite is left out, none is read past the end.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "systems/bodies.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int n = systems::attachMesh(data, size);
    if (n < 0 || static_cast<size_t>(n) > size / systems::kTriangleBytes || n > systems::kMaxMeshTriangles)
        __builtin_trap();
    for (int i = 0; i < n; ++i) {
        const systems::MeshTriangle& t = *systems::meshTriangle(i);
        const double values[] = {t.mapU0, t.mapV0, t.normal.x, t.normal.y, t.normal.z, t.axisU.x, t.axisV.z,
                                 t.vertex[0].x, t.vertex[2].z};
        for (double v : values)
            if (!std::isfinite(v)) __builtin_trap();
    }
    systems::attachMesh(nullptr, 0);
    return 0;
}
