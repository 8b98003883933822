// The set-up every drawing benchmark shares: the staged packs and a 1920 × 1080 headless display.
#pragma once

#include <cstdio>

#include "base/app.h"
#include "base/settings.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_display.h"
#include "platform/platform.h"
#include "vfs/vfs.h"
#include "video/video.h"

namespace bench {

inline intptr_t quietProc(const platform::Message&) { return 0; }

// Opens the program folder's packs and a 1920 × 1080 × 24 display on the headless backend with the
// video layer started on it; says on standard error, under `name`, what failed.
inline bool openDisplay(const char* name) {
    std::snprintf(app::programFolder, sizeof app::programFolder, "%s", VYREX_STAGE_DIR);
    if (vfs::openPacks() != 1) {
        std::fprintf(stderr, "%s: the staged packs did not open\n", name);
        return false;
    }
    headless::reset();
    headless::resetDisplay();
    headless::setModes({{1920, 1080, 24, 2}});
    settings::VIDbckBuffSysMem = 0;
    settings::VIDwVSync = 0;
    settings::VIDdefault = -1;
    if (!platform::createMainWindow("Vyrex", quietProc) || video::start() != 1) {
        std::fprintf(stderr, "%s: no 1920 x 1080 display\n", name);
        return false;
    }
    return true;
}

}  // namespace bench
