// Shared set-up of the camera tests: a running event bus with the camera's event types, an
// object that records every camera event it receives, and a camera table back at its defaults.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "base/zode.h"
#include "navigation/camera_edit.h"

struct SeenEvent {
    uint32_t code;
    intptr_t a1, a2;
};

inline std::vector<SeenEvent>& seenEvents() {
    static std::vector<SeenEvent> events;
    return events;
}

inline int32_t recordCameraEvent(zode::Message* m) {
    if (m->code >= 512 && m->code <= 519) seenEvents().push_back({m->code, m->a1, m->a2});
    return 1;
}

class CameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(zode::start(), 1);
        zode::Request request{0, reinterpret_cast<const void*>(&recordCameraEvent), zode::kDirect, nullptr};
        const int object = zode::registerObject(&request);
        for (uint32_t code = 512; code <= 519; ++code) {
            ASSERT_EQ(zode::createEventType(code), 1);
            ASSERT_EQ(zode::subscribe(code, object), 1);
        }
        for (int n = 0; n < camera::kCameras; ++n) *camera::editCamera(n) = camera::defaultRecord();
        camera::selectCamera(0);
        camera::rebuildSky = camera::lockChanged = camera::systemReload = camera::frameChanged = 0;
        seenEvents().clear();
    }

    void TearDown() override { zode::stop(); }

    static std::vector<uint32_t> codes() {
        std::vector<uint32_t> out;
        for (const SeenEvent& e : seenEvents()) out.push_back(e.code);
        return out;
    }

    static CameraRecord& cam() { return camera::editActive(); }
};
