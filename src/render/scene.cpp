// The scene's layer table and the composition of each frame from it.
#include <cstdio>

#include "navigation/camera.h"
#include "render/lists.h"
#include "render/render.h"
#include "render/sky_internal.h"
#include "video/video.h"

namespace render {

namespace {

const SceneLayer* layers[kMaxLayers];  // ascending order; equal orders in the order added
int layerTotal = 0;

bool skyMode(int32_t mode) { return mode == camera::kModeInterstellar || mode == camera::kModeSystem; }
uint32_t modeBit(int32_t mode) { return 1u << mode; }
bool knownMode(int32_t mode) { return mode >= camera::kModeInterstellar && mode <= camera::kModeSystem; }

}  // namespace

int addLayer(const SceneLayer* layer) {
    if (!layer || layerTotal >= kMaxLayers) return 0;
    for (int i = 0; i < layerTotal; ++i)
        if (layers[i] == layer) return 0;
    int at = layerTotal;
    while (at > 0 && layers[at - 1]->order > layer->order) {
        layers[at] = layers[at - 1];
        --at;
    }
    layers[at] = layer;
    ++layerTotal;
    return 1;
}

void removeLayer(const SceneLayer* layer) {
    for (int i = 0; i < layerTotal; ++i) {
        if (layers[i] != layer) continue;
        for (int k = i + 1; k < layerTotal; ++k) layers[k - 1] = layers[k];
        layers[--layerTotal] = nullptr;
        return;
    }
}

int layerCount() { return layerTotal; }

const SceneLayer* layerAt(int index) { return index >= 0 && index < layerTotal ? layers[index] : nullptr; }

bool addSkyLine(const Vector3& p1, const Vector3& p2, uint32_t colour, double distance) {
    SkyLists& l = lists();
    if (l.lines.full() || l.sky.full()) return false;
    const int index = l.lines.count;
    LineEntry& e = *l.lines.add();
    e = LineEntry{};
    e.p1 = p1;
    e.p2 = p2;
    e.colour = colour;
    e.ownColour = 1;
    return addSkyItem(kSkyLine, index, distance);
}

bool addSkyText(const Vector3& point, uint32_t colour, const char* text, double distance) {
    SkyLists& l = lists();
    if (l.texts.full() || l.sky.full()) return false;
    const int index = l.texts.count;
    TextEntry& t = *l.texts.add();
    t.point = point;
    t.colour = colour;
    // %.75s: never reads past a text that lacks its terminator within the entry's length.
    std::snprintf(t.text, sizeof t.text, "%.*s", kTextChars - 1, text ? text : "");
    return addSkyItem(kSkyText, index, distance);
}

void buildScene(const CameraRecord& camera, int reload) {
    if (!knownMode(camera.mode)) return;
    const bool sky = skyMode(camera.mode);
    // Every build starts from empty lists: local space fills the same lists with its own things.
    resetLists();
    const SceneBuild b{camera, reload};
    for (int i = 0; i < layerTotal; ++i) {
        const SceneLayer& layer = *layers[i];
        if ((layer.modes & modeBit(camera.mode)) && layer.build) layer.build(b);
    }
    // Far-to-near order is the reverse of this ascending sort.
    if (sky) sortSkyItems(lists().sky.items, lists().sky.count);
}

void drawScene(draw::Surface& s, int cx, int cy) {
    const CameraRecord& c = *camera::activeCamera();
    if (!knownMode(c.mode)) return;
    draw::beginDraw(s);
    if (skyMode(c.mode)) drawSkyList(s, cx, cy);
    const SceneDraw d{s, c, cx, cy};
    for (int i = 0; i < layerTotal; ++i) {
        const SceneLayer& layer = *layers[i];
        if ((layer.modes & modeBit(c.mode)) && layer.draw) layer.draw(d);
    }
    draw::endDraw(s);
}

void sceneFrame() {
    const CameraRecord& c = *camera::activeCamera();
    // A mode number outside 0..2 (the console sets any) draws nothing.
    if (!knownMode(c.mode)) return;
    if (camera::takeRebuild()) {
        const int reload = c.mode == camera::kModeSystem ? camera::takeSystemReload() : 0;
        buildScene(c, reload);
    }
    if (video::state.drawing) drawScene(*video::state.drawing, video::state.centreX, video::state.centreY);
}

}  // namespace render
