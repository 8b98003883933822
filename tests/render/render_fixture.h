// Shared set-up of the sky renderer tests: colour tables, a memory surface, a camera looking
// down +z with the identity orientation, the renderer started, and the pointer (input::pointer)
// far away until a test moves it.
#pragma once

#include <gtest/gtest.h>

#include <cmath>

#include "base/app.h"
#include "base/input_state.h"
#include "navigation/camera_edit.h"
#include "render/lists.h"
#include "render/render.h"
#include "video/draw.h"
#include "video/video.h"

namespace rtest {

class RenderFixture : public ::testing::Test {
protected:
    static constexpr int kWidth = 320, kHeight = 200;
    static constexpr int kCx = kWidth / 2, kCy = kHeight / 2;

    draw::Surface surface;

    void SetUp() override {
        video::buildColourTables(draw::kXrgb8888, video::colours);
        ASSERT_TRUE(draw::createSurface(surface, kWidth, kHeight));
        CameraRecord& c = camera::editActive();
        c = camera::defaultRecord();
        c.Cam = vmath::identity();
        c.mode = camera::kModeInterstellar;
        c.lock = -1;
        c.vLock = -1;
        c.hover = -1;
        c.lockBlink = 0;
        camera::lockChanged = 0;
        // The renderer's own layers (stars and their labels) take part in the builds.
        ASSERT_EQ(render::start(), 1);
        render::resetLists();
        input::resetInputState();
        input::pointer.x = input::pointer.y = -1000;
    }

    void TearDown() override {
        render::stop();
        render::resetLists();
        input::resetInputState();
    }

    CameraRecord& cam() { return camera::editActive(); }

    // A direction on the sky sphere that the identity camera projects exactly onto pixel
    // (px, py) of this surface.
    Vector3 dirAtPixel(int px, int py) const {
        const double z = 0.99 * vmath::kSkyRadius;
        const double s = kCx * camera::defaultRecord().zoom / (z + 20.0);
        auto offset = [&](int d) { return (d + (d >= 0 ? 0.5 : -0.5)) / s; };
        return {offset(px - kCx), offset(py - kCy), z};
    }

    // Puts a point star (or a glow when bright) straight into the lists.
    void addStar(int32_t id, int px, int py, double distance, uint8_t level = 200,
                 uint16_t flags = 0, uint8_t colourClass = 128) {
        render::SkyLists& l = render::lists();
        const int index = l.stars.count;
        render::StarEntry& e = *l.stars.add();
        e.dir = dirAtPixel(px, py);
        e.id = id;
        e.starFlags = flags;
        e.colourClass = colourClass;
        e.level = level;
        render::addSkyItem(render::kSkyStar, index, distance);
    }

    void sort() { render::sortSkyItems(render::lists().sky.items, render::lists().sky.count); }
    void drawFrame() { render::drawScene(surface, kCx, kCy); }
    uint32_t at(int x, int y) const { return draw::getPixel(surface, x, y); }
    uint32_t ramp(int cls, int level) const { return video::colours.star[cls][level]; }
    uint32_t palette(int n) const { return video::colours.palette[n]; }
    int countPixels(uint32_t colour) const {
        int n = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) n += at(x, y) == colour;
        return n;
    }
};

}  // namespace rtest
