// zwindows_demo: the real program (SDL backend) with two windows made once it has started, for a
// person to try the in-scene windows: a window of every widget, wired to the camera as a panel
// would be (its Back and Forward buttons move the Help window's history), and a Help window with
// help pages of its own that link to one another and to a star of the shipped catalogue.
//
//   tests/zwindows_demo [program options]   (from the build folder; the staged packs are used)
//
// The demo's pages go into a pack of their own in a temporary program folder beside links to the
// staged packs, so the staged folder is left as it is.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "base/app.h"
#include "base/settings.h"
#include "base/timer.h"
#include "navigation/camera.h"
#include "platform/platform.h"
#include "platform/sdl/sdl.h"
#include "program/lifecycle.h"
#include "support/packwriter.h"
#include "video/video.h"
#include "zwindows/viewer.h"
#include "zwindows/widgets.h"
#include "zwindows/zwindows.h"

namespace {

using namespace zwindows;

const char* const kHelp =
    "<help #7200>Welcome to the window demo.<p>Drag this window by its title bar, close it with "
    "the box at the right of the bar. Pages:<ul><li><a \"?7201\">Flying</a><li><a \"?7202\">The "
    "console</a><li><a \"@cd84\">Betelgeuse</a> (locks and looks at it)</ul><hr>The other window holds "
    "one widget of each kind.\n"
    "<help #7201>Flying<p>Point at a star and click to lock it, then press Space to travel there. "
    "The arrow keys turn the camera; Page Up and Page Down roll it. The wheel moves you forward "
    "and back.<p><a \"?7202\">Next: the console</a><br><a \"?7200\">Back to the start</a>\n"
    "<help #7202>The console<p>F12 opens the console. Type camera lookAt cd84 to turn to "
    "Betelgeuse, or labels on to name the stars.<p><a \"?7200\">Back to the start</a>\n";

Node form = kNoNode, viewer = kNoNode, helpPage = kNoNode, back = kNoNode, forward = kNoNode, labels = kNoNode, mag = kNoNode,
     list = kNoNode;

int32_t formProc(zode::Message* m) {
    if (m->code != kNotify) return 1;
    const Node from = static_cast<Node>(m->a1);
    if (from == back) zode::send(nodeHandler(helpPage), kHtmlBack);
    if (from == forward) zode::send(nodeHandler(helpPage), kHtmlForward);
    if (from == labels) camera::setFlag(camera::kFlagLabels, m->a2 != 0);
    if (from == mag) {
        double limit = 0;
        if (std::sscanf(reinterpret_cast<const char*>(m->a2), "%lf", &limit) == 1)
            camera::set(camera::Setting::kLabelMagLimit, limit);
    }
    return 1;
}

void makeWindows() {
    const zode::Request r{0, reinterpret_cast<const void*>(&formProc), zode::kDirect, nullptr};
    registerClass("ZDEMO", r);
    auto add = [](Node parent, const char* cls, const char* caption, int x, int y, int w, int h) {
        return createNode(parent, cls, caption, x, y, w, h, kVisible | kFilled);
    };
    form = createNode(kNoNode, "ZDEMO", "Every widget", 40, 60, 300, 250, kTitleBar | kFramed | kFilled | kVisible);
    back = add(form, "BUTTON", "Back", 4, 4, 48, 16);
    forward = add(form, "BUTTON", "Forward", 56, 4, 56, 16);
    labels = add(form, "CHECK", "Star labels", 120, 6, 100, 12);
    zode::send(nodeHandler(labels), kCheckSet, (camera::activeCamera()->flags & camera::kFlagLabels) != 0);
    const Node group = createNode(form, "GROUP", "Labels", 4, 26, 200, 36, kVisible);
    const Node content = createNode(group, "ZDEMO", "", 4, 10, 190, 20, kVisible);
    mag = add(content, "EDIT", "brighter than", 0, 4, 180, 12);
    zode::send(nodeHandler(mag), kEditSetText, reinterpret_cast<intptr_t>("4.00"));
    list = add(form, "LIST", "", 4, 68, 180, 80);
    for (const char* name : {"bayer-family.map", "galaxy.map", "heavenly-waters.map", "hercules-family-1.map",
                             "hercules-family-2.map", "la-caille-family.map", "nearest.map", "orion-family.map",
                             "perseus-family.map", "ursa-major-family.map", "zodiac-1.map", "zodiac-2.map"})
        zode::send(nodeHandler(list), kListAdd, -1, reinterpret_cast<intptr_t>(name), 0);
    zode::send(nodeHandler(list), kListSetMarks, 1);
    zode::send(nodeHandler(list), kListSetValue, 7, 1);
    add(form, "SCROLL", "", 190, 68, 16, 150);
    viewer = add(form, "HTML", "", 4, 152, 180, 75);
    zode::send(nodeHandler(viewer), kHtmlOpen, reinterpret_cast<intptr_t>("@f8fc"));

    const Node help = createNode(kNoNode, "ZDEMO", "Help", 400, 60, 252, 256, kTitleBar | kFramed | kFilled | kVisible);
    helpPage = add(help, "HTML", "", 4, 4, 244, 230);
    setFaceColour(helpPage, draw::packColour(video::state.format, 168, 255, 211));
    zode::send(nodeHandler(helpPage), kHtmlOpen, reinterpret_cast<intptr_t>("?7200"));
    setHelpHandler(help);
}

}  // namespace

int main(int argc, char** argv) {
    // A program folder of the staged packs and the demo's own.
    const std::string folder = std::filesystem::temp_directory_path() / ("vyrex-demo-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder + "/data");
    for (const char* pack : {"vyrex2.vfs", "catalog.vfs"})
        std::filesystem::create_symlink(std::string(VYREX_STAGE_DIR) + "/data/" + pack, folder + "/data/" + pack);
    for (const char* sub : {"marker", "systems", "plugin"})
        if (std::filesystem::exists(std::string(VYREX_STAGE_DIR) + "/" + sub))
            std::filesystem::create_directory_symlink(std::string(VYREX_STAGE_DIR) + "/" + sub, folder + "/" + sub);
    const std::string error =
        packwriter::writeBytes(folder + "/data/demo.vfs", packwriter::buildOrDie({{"help.html", kHelp}}));
    if (!error.empty()) {
        std::fprintf(stderr, "zwindows_demo: %s\n", error.c_str());
        return 1;
    }

    // The program's entry, with the windows made between the start-up and the main loop.
    platform::useBackend(platform::sdl::backend());
    std::string commandLine = "-l" + folder;
    for (int i = 1; i < argc; ++i) commandLine += std::string(" ") + argv[i];
    timer::markProgramStart();
    lifecycle::resetProcessState();
    std::snprintf(app::commandLine, sizeof app::commandLine, "%s", commandLine.c_str());
    lifecycle::parseCommandLine(app::commandLine);
    app::systemInfo = platform::gatherSystemInfo();
    settings::readStartupValues();
    if (app::firstRun) app::mode.RST = 1;
    lifecycle::parseVideoOptions(app::commandLine);
    int result = 1;
    if (lifecycle::startup()) {
        makeWindows();
        result = lifecycle::mainLoop();
        lifecycle::shutdown();
    }
    std::filesystem::remove_all(folder);
    return result;
}
