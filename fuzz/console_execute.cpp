// Fuzz target for the command interpreter: arbitrary lines (plug-in commands, every command word,
// numbers, positions, marker definitions and macro bindings included) run through consoleExecute
// and, split at ';', through a macro, with the screen, the cursor and the camera left sound.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "console/console.h"
#include "console/macros.h"
#include "base/app.h"
#include "base/zode.h"
#include "extensions/markers.h"
#include "navigation/camera_edit.h"
#include "platform/store.h"
#include "vfs/vfs.h"

namespace {

int32_t ignore(zode::Message*) { return 1; }

// Once per process: the event bus with the camera's events, a console whose font comes from a
// one-file pack in a scratch folder, a plug-in command and a store in the scratch folder (so that
// "camera save" and "macros save" write somewhere harmless).
bool setUp() {
    char folder[] = "/tmp/vyrex-fuzz-console-XXXXXX";
    if (!mkdtemp(folder)) return false;
    std::snprintf(app::programFolder, sizeof app::programFolder, "%s", folder);
    store::setLocation(std::string(folder) + "/vyrex.reg");
    zode::start();
    for (uint32_t code = 512; code <= 519; ++code) zode::createEventType(code);
    zode::Request request{0, reinterpret_cast<const void*>(&ignore), zode::kDirect, nullptr};
    const int object = zode::registerObject(&request);
    camera::cameraStart(1);
    markers::markerStart();  // the "marker" words
    // The console needs its font from the packs; the fuzzer runs without them, so the console is
    // started with the font missing and its screen and interpreter are used as they are.
    console::consoleStart();
    console::consoleAddCommand(object, "plug");
    return true;
}

bool sane(const CameraRecord& c) {
    return std::isfinite(c.zoom) && std::isfinite(c.speed) && std::isfinite(c.zclip) && c.vradius >= 1.0 &&
           std::isfinite(c.IPos.x) && std::isfinite(c.SPos.x);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = setUp();
    if (!ready) return 0;
    std::string line(reinterpret_cast<const char*>(data), size);
    line = line.c_str();  // a line ends at its first zero, as typed lines do
    // Saving to the store on every run would only make the fuzzer slow: those words are skipped.
    if (line.find("save") != std::string::npos || line.find("load") != std::string::npos) return 0;
    app::quit = 0;
    console::consoleExecute(line.c_str());
    console::defineMacro('F', line.c_str());
    console::runMacro('F');
    for (int i = 0; i < console::kInputMax + 10 && i < static_cast<int>(line.size()); ++i)
        console::consoleKey(static_cast<unsigned char>(line[i]));
    console::consoleKey(13);
    if (console::cursorColumn() < 0 || console::cursorColumn() >= console::kColumns) std::abort();
    if (console::cursorRow() < 0 || console::cursorRow() >= console::kRows) std::abort();
    if (console::inputLength() != 0) std::abort();
    if (!sane(camera::editActive())) std::abort();
    if (markers::markerCount() > markers::kMaxMarkers) std::abort();
    return 0;
}
