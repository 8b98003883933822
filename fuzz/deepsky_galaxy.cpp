// Fuzz target for the sky's readers of the deep-sky table and the galaxy maps: any bytes as
// "galactic.data", "galactic.bmap" and "galactic.hmap", then the deep-sky objects, their labels
// and the galaxy collected from several places with every switch on, in the sky and in the local
// chart, and drawn. Positions, sizes and magnitudes may be anything a float holds.
//
// Input: two little-endian 16-bit lengths (the table's, the first map's), then the three files
// one after another (lengths cut to what is left; the second map takes the rest). Each is copied
// into a buffer of exactly its size, so that a read past its end is caught.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "catalog/catalog.h"
#include "navigation/camera_edit.h"
#include "render/lists.h"
#include "render/render.h"
#include "video/video.h"

namespace {

struct World {
    draw::Surface surface;
    World() {
        video::buildColourTables(draw::kXrgb8888, video::colours);
        draw::createSurface(surface, 160, 100);
        render::start();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static World world;
    if (size < 4) return 0;
    size_t lengths[2] = {static_cast<size_t>(data[0] | data[1] << 8), static_cast<size_t>(data[2] | data[3] << 8)};
    size_t offset = 4;
    std::vector<uint8_t> files[3];
    for (int f = 0; f < 3; ++f) {
        const size_t left = size - offset;
        const size_t length = f == 2 || lengths[f] > left ? left : lengths[f];
        files[f].assign(data + offset, data + offset + length);
        offset += length;
    }
    catalog::CatalogFiles catalogue;
    const catalog::CatalogFile which[3] = {catalog::kGalacticData, catalog::kGalacticBmap, catalog::kGalacticHmap};
    for (int f = 0; f < 3; ++f) {
        catalogue.data[which[f]] = files[f].empty() ? nullptr : files[f].data();
        catalogue.size[which[f]] = files[f].size();
    }
    catalog::catalogAttach(catalogue);

    CameraRecord& c = camera::editActive();
    c = camera::defaultRecord();
    c.Cam = vmath::identity();
    c.flags = camera::kFlagDeepSky | camera::kFlagDeepSkyTexture | camera::kFlagLabels | camera::kFlagGalaxy |
              camera::kFlagGalaxyTexture;
    c.lock = c.vLock = -1;
    const Vector3 places[] = {{0, 0, 0}, {120, -40, 3}, {52000, -10000, -40000}};
    for (const Vector3& p : places) {
        for (uint32_t textures : {0u, camera::kFlagDeepSkyTexture | camera::kFlagGalaxyTexture}) {
            c.IPos = p;
            c.flags = (c.flags & ~(camera::kFlagDeepSkyTexture | camera::kFlagGalaxyTexture)) | textures;
            c.mode = camera::kModeInterstellar;
            render::buildScene(c);
            render::drawScene(world.surface, 80, 50);
            const render::ListCounts n = render::listCounts();
            if (n.deepSky > render::kDsmListCapacity || n.spots > 63 * 63) __builtin_trap();
        }
    }
    c.mode = camera::kModeLocalSpace;
    c.IPos = {0, 0, 0};
    c.vradius = 1e6;
    render::buildScene(c);
    render::drawScene(world.surface, 80, 50);
    catalog::catalogClose();
    return 0;
}
