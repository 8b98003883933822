// Fuzz target for the 3D nebula models: any bytes as a ".neb3d" model and its ".nebcol" colours,
// then the model's points collected near and far in the sky and in the local chart, and drawn.
//
// Input: a first byte that chooses the form of the rest. Even: the rest is the file, the model's
// bytes and then, beyond a model's worth, the last 1024 bytes as the colours, each copied into a
// buffer of exactly its size so that a read past its end is caught. Odd: the rest is a model in
// short, for inputs far smaller than a model: its 80-byte header and then cells repeated to fill
// the grid, with colours from the same bytes, so that the collection and drawing of every kind of
// cell are reached by short inputs too.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "catalog/catalog.h"
#include "navigation/camera_edit.h"
#include "render/lists.h"
#include "render/nebulae.h"
#include "render/render.h"
#include "video/video.h"

namespace {

struct World {
    draw::Surface surface;
    std::vector<catalog::DeepSkyRecord> nebula = std::vector<catalog::DeepSkyRecord>(1);

    World() {
        video::buildColourTables(draw::kXrgb8888, video::colours);
        draw::createSurface(surface, 160, 100);
        render::start();
        catalog::DeepSkyRecord& r = nebula[0];
        r.type = catalog::kNebula;
        r.z = 1000.0f;
        r.v.f.a = 30.0f;
        r.name = 0x0D000005;  // M 42: slot 0
        catalog::CatalogFiles files;
        files.data[catalog::kGalacticData] = reinterpret_cast<const uint8_t*>(nebula.data());
        files.size[catalog::kGalacticData] = sizeof(catalog::DeepSkyRecord);
        catalog::catalogAttach(files);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static World world;
    if (size < 1) return 0;
    const bool expand = data[0] & 1;
    ++data;
    --size;
    std::vector<uint8_t> model, colours;
    if (!expand) {
        const size_t modelSize = size > render::kNebulaModelBytes ? size - render::kNebulaColourBytes : size;
        model.assign(data, data + modelSize);
        colours.assign(data + modelSize, data + size);
    } else {
        if (size <= sizeof(render::NebulaFileHeader)) return 0;
        model.assign(data, data + sizeof(render::NebulaFileHeader));
        const size_t cellBytes = size - sizeof(render::NebulaFileHeader);
        for (size_t i = 0; model.size() < render::kNebulaModelBytes; ++i)
            model.push_back(data[sizeof(render::NebulaFileHeader) + i % cellBytes]);
        for (size_t i = 0; colours.size() < render::kNebulaColourBytes; ++i) colours.push_back(data[i % size]);
    }
    render::attachNebula(0, model.empty() ? nullptr : model.data(), model.size(),
                         colours.empty() ? nullptr : colours.data(), colours.size(), draw::kXrgb8888);
    render::NebulaModel parsed;
    if (render::parseNebulaModel(model.data(), model.size(), parsed) && !(parsed.extent > 0)) __builtin_trap();

    CameraRecord& c = camera::editActive();
    c = camera::defaultRecord();
    c.Cam = vmath::identity();
    c.flags = camera::kFlagDeepSky | camera::kFlagDeepSkyTexture;
    c.lock = c.vLock = -1;
    // Far (a sheet), near (in depth), inside the model, and the local chart round it.
    const Vector3 places[] = {{0, 0, 0}, {0, 0, 500}, {3, -2, 1001}};
    for (const Vector3& p : places) {
        c.IPos = p;
        c.mode = camera::kModeInterstellar;
        render::buildScene(c);
        render::drawScene(world.surface, 80, 50);
        if (render::listCounts().nebulaPoints > render::kNeb3dListCapacity) __builtin_trap();
    }
    c.mode = camera::kModeLocalSpace;
    c.vradius = 40;
    render::buildScene(c);
    render::drawScene(world.surface, 80, 50);
    render::attachNebula(0, nullptr, 0, nullptr, 0, draw::kXrgb8888);
    return 0;
}
