// The scene's layer table and the frame composed from it: which layers build and draw in which
// view mode, in which order, and when the lists are rebuilt.
#include <string>

#include "render/lists.h"
#include "render/render_fixture.h"
#include "render/scene.h"

namespace {

std::string trace;  // what the layers did, in order
int reloadSeen = -1;

void buildA(const render::SceneBuild&) { trace += "A"; }
void buildB(const render::SceneBuild& b) {
    trace += "B";
    reloadSeen = b.systemReload;
}
void drawB(const render::SceneDraw&) { trace += "b"; }
void buildLocal(const render::SceneBuild&) { trace += "L"; }
void drawLocal(const render::SceneDraw&) { trace += "l"; }

// Added in the opposite of their order: the table sorts them.
const render::SceneLayer kB = {"B", 450, render::kInSky, buildB, drawB};
const render::SceneLayer kA = {"A", 150, render::kInInterstellar, buildA, nullptr};
const render::SceneLayer kLocal = {"local", render::kOrderLocalSpace, render::kInLocalSpace, buildLocal, drawLocal};

class SceneTest : public rtest::RenderFixture {
protected:
    void SetUp() override {
        RenderFixture::SetUp();
        ASSERT_EQ(render::addLayer(&kB), 1);
        ASSERT_EQ(render::addLayer(&kA), 1);
        ASSERT_EQ(render::addLayer(&kLocal), 1);
        trace.clear();
        reloadSeen = -1;
        savedDrawing = video::state.drawing;
        video::state.drawing = &surface;
        video::state.centreX = kCx;
        video::state.centreY = kCy;
        cam().flags = 0;  // no stars: the test layers alone
    }
    void TearDown() override {
        render::removeLayer(&kLocal);
        render::removeLayer(&kA);
        render::removeLayer(&kB);
        video::state.drawing = savedDrawing;
        RenderFixture::TearDown();
    }
    draw::Surface* savedDrawing = nullptr;
};

TEST_F(SceneTest, LayersKeepTheirOrderAndTheTableRefusesDoublesAndOverflow) {
    std::string names;
    for (int i = 0; i < render::layerCount(); ++i) names += std::string(render::layerAt(i)->name) + ",";
    EXPECT_EQ(names, "stars,A,deep sky,star labels,deep-sky labels,B,galaxy,local space,local,")
        << "the renderer's own layers and ours, by order; of equal orders the first added first";
    EXPECT_EQ(render::addLayer(&kA), 0) << "already there";
    EXPECT_EQ(render::addLayer(nullptr), 0);

    const int before = render::layerCount();
    static render::SceneLayer extra[render::kMaxLayers];
    int added = 0;
    while (render::addLayer(&extra[added])) ++added;
    EXPECT_EQ(before + added, render::kMaxLayers);
    EXPECT_EQ(render::layerCount(), render::kMaxLayers);
    for (int i = 0; i < added; ++i) render::removeLayer(&extra[i]);
    EXPECT_EQ(render::layerCount(), before);
    render::removeLayer(&extra[0]);  // not there: nothing happens
    EXPECT_EQ(render::layerCount(), before);
}

TEST_F(SceneTest, TheSkyIsRebuiltOnlyWhenAskedAndDrawnEveryFrame) {
    cam().mode = camera::kModeInterstellar;
    camera::rebuildSky = 1;
    render::sceneFrame();
    render::sceneFrame();
    EXPECT_EQ(trace, "ABbb") << "built once in order, drawn twice; B draws after the SkyList";
    EXPECT_EQ(camera::rebuildSky, 0);
    EXPECT_EQ(reloadSeen, 0) << "no star system to reload between the stars";

    // The star system: the layers of that mode, with the pending reload handed to them once.
    trace.clear();
    cam().mode = camera::kModeSystem;
    camera::rebuildSky = 1;
    camera::systemReload = 1;
    render::sceneFrame();
    EXPECT_EQ(trace, "Bb");
    EXPECT_EQ(reloadSeen, 1);
    EXPECT_EQ(camera::systemReload, 0);
    camera::systemReload = 1;
    render::sceneFrame();  // no rebuild asked: the reload waits for one
    EXPECT_EQ(camera::systemReload, 1);
    camera::rebuildSky = 1;
    render::sceneFrame();
    EXPECT_EQ(reloadSeen, 1);
    EXPECT_EQ(camera::systemReload, 0);
}

TEST_F(SceneTest, LocalSpaceBuildsItsOwnLayersFromEmptyListsAndDrawsNoSkyList) {
    cam().mode = camera::kModeInterstellar;
    addStar(5, 20, 30, 1.0);
    cam().mode = camera::kModeLocalSpace;
    camera::rebuildSky = 1;
    camera::systemReload = 1;
    render::sceneFrame();
    render::sceneFrame();
    EXPECT_EQ(trace, "Lll");
    const render::SkyLists& l = render::lists();
    EXPECT_EQ(l.stars.count, 0) << "the chart starts from empty lists";
    EXPECT_EQ(l.sky.count, l.lines.count) << "with no switches on the chart holds its axes and sphere alone";
    EXPECT_EQ(at(20, 30), 0u) << "the star of the sky is not drawn";
    EXPECT_EQ(camera::systemReload, 1);
}

TEST_F(SceneTest, AModeOutsideTheThreeDrawsNothingAndLeavesTheRebuildPending) {
    cam().mode = 7;
    camera::rebuildSky = 1;
    render::sceneFrame();
    EXPECT_EQ(trace, "");
    EXPECT_EQ(camera::rebuildSky, 1);
}

TEST_F(SceneTest, ALayerPutsLinesAndTextsIntoTheSkyUntilTheListsAreFull) {
    const Vector3 p = dirAtPixel(40, 50), q = dirAtPixel(60, 50);
    EXPECT_TRUE(render::addSkyLine(p, q, palette(255), 2.0));
    EXPECT_TRUE(render::addSkyText(p, 32, std::string(200, 'x').c_str(), 1.0));
    const render::SkyLists& l = render::lists();
    ASSERT_EQ(l.sky.count, 2);
    EXPECT_EQ(l.lines.items[0].ownColour, 1);
    EXPECT_EQ(std::string(l.texts.items[0].text).size(), 75u) << "a text keeps 75 characters";

    render::lists().lines.count = render::kLineListCapacity;
    EXPECT_FALSE(render::addSkyLine(p, q, 0, 1.0));
    EXPECT_EQ(l.sky.count, 2) << "a full list adds nothing to the SkyList either";
}

}  // namespace
