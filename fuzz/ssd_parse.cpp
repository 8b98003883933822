// Fuzz target for star-system files: the bytes are read as a file under a load filter taken from
// the first byte, the star they name is entered and its clock stepped by an amount taken from the
// input; every record must come out whole (identifier in range, finite frames, an ellipse) and
// every object at a finite place.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "catalog/catalog.h"
#include "navigation/camera_edit.h"
#include "systems/ssd.h"
#include "systems/system.h"

namespace {

// Two stars, the second with two companions, so that entering places components too.
struct Sky {
    catalog::StarRecord stars[2]{};
    catalog::ComponentRecord components[2]{};
    Sky() {
        for (uint32_t i = 0; i < 2; ++i) {
            stars[i].absMag = static_cast<int16_t>(4.8 * 256);
            stars[i].colourBV = static_cast<int16_t>(0.65 * 256);
            stars[i].firstComponent = i == 1 ? 0 : -1;
            stars[i].extra = -1;
        }
        components[0] = {'B', ' ', 0, 256, 0, 0, 0.001f, 100, 0};
        components[1] = {'C', static_cast<uint8_t>('A' | catalog::kLastComponent), 0, 512, 0, 0, 0.002f, -50, 0};
        catalog::CatalogFiles files;
        files.data[catalog::kStellarData] = reinterpret_cast<const uint8_t*>(stars);
        files.size[catalog::kStellarData] = sizeof stars;
        files.data[catalog::kStellarSsys] = reinterpret_cast<const uint8_t*>(components);
        files.size[catalog::kStellarSsys] = sizeof components;
        catalog::catalogAttach(files);
    }
};

bool finiteMatrix(const Matrix4& m) {
    for (const auto& row : m.m)
        for (double v : row)
            if (!std::isfinite(v)) return false;
    return true;
}

bool finite(const Vector3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Sky sky;
    static auto* table = new systems::BodyTable;
    if (size < 1) return 0;
    const uint32_t filter = data[0] == 0xFF ? 0xFFFFFFFFu : data[0];
    table->count = 0;
    systems::readSystemFile(data + 1, size - 1, filter, *table);
    for (int i = 0; i < table->count; ++i) {
        const systems::BodyRecord& r = table->records[i];
        if (r.id < systems::kFirstBodyId || !(r.ecc >= 0 && r.ecc < 1) || r.radius < 0 || r.semiAxis < 0 ||
            !finiteMatrix(r.orbitFrame) || !finiteMatrix(r.axisFrame) || !finiteMatrix(r.bodyFrame) ||
            !std::isfinite(r.period) || std::memchr(r.name, 0, sizeof r.name) == nullptr)
            __builtin_trap();
    }

    // The clock step: the last eight bytes as a double when there are enough.
    double dt = 1.0;
    if (size >= 9) std::memcpy(&dt, data + size - 8, 8);
    CameraRecord& c = camera::editActive();
    c = camera::defaultRecord();
    c.central = camera::kNone;
    for (int32_t star = 0; star < 2; ++star) {
        if (!systems::enterSystem(star, *table)) __builtin_trap();
        if (systems::objectCount() > 0) c.central = systems::objectAt(systems::objectCount() - 1)->id;
        systems::advance(0.0);
        systems::advance(dt);
        systems::advance(-dt / 3);
        for (int i = 0; i < systems::objectCount(); ++i) {
            const systems::SystemObject& o = *systems::objectAt(i);
            // A finite step keeps everything finite; only a step that itself overflows may not.
            if (std::isfinite(dt) && std::fabs(dt) < 1e12 && !finite(o.position)) __builtin_trap();
            if (!(o.meanAnomaly >= 0 && o.meanAnomaly < systems::kTwoPi) && o.kind >= systems::kFirstOrbiting &&
                std::isfinite(dt) && std::fabs(dt) < 1e12)
                __builtin_trap();
        }
    }
    return 0;
}
