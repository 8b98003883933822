// Shared set-up of the sky renderer tests: colour tables, a memory surface, a camera looking
// down +z with the identity orientation, and a pointer the tests move.
#pragma once

#include <gtest/gtest.h>

#include <cmath>

#include "core/app.h"
#include "extensions/markers.h"
#include "navigation/camera.h"
#include "render/lists.h"
#include "render/render.h"
#include "video/draw.h"
#include "video/video.h"

namespace rtest {

inline int pointerX = -1000, pointerY = -1000;
inline int clickPending = 0;
inline void readPointer(int& x, int& y) {
    x = pointerX;
    y = pointerY;
}
inline int takeClick() {
    const int c = clickPending;
    clickPending = 0;
    return c;
}

class RenderFixture : public ::testing::Test {
protected:
    static constexpr int kWidth = 320, kHeight = 200;
    static constexpr int kCx = kWidth / 2, kCy = kHeight / 2;

    draw::Surface surface;

    void SetUp() override {
        video::buildColourTables(draw::kXrgb8888, video::colours);
        ASSERT_TRUE(draw::createSurface(surface, kWidth, kHeight));
        CameraRecord& c = *camera::activeCamera();
        c = camera::defaultRecord();
        c.Cam = vmath::identity();
        c.mode = camera::kModeInterstellar;
        c.lock = -1;
        c.vLock = -1;
        c.hover = -1;
        c.lockBlink = 0;
        camera::lockChanged = 0;
        render::resetLists();
        markers::markerClear();
        markers::markersShown = 0;
        app::pointerOverWindow = 0;
        app::pointerOverToolbar = 0;
        pointerX = pointerY = -1000;
        clickPending = 0;
        render::setPickInput(readPointer, takeClick);
    }

    void TearDown() override {
        render::setPickInput(nullptr, nullptr);
        render::resetLists();
        markers::markerClear();
        markers::markersShown = 0;
    }

    CameraRecord& cam() { return *camera::activeCamera(); }

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
    void drawFrame() { render::drawSkyOn(surface, kCx, kCy); }
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
