// The main window's procedure.
#include "program/window_proc.h"

#include "program/input.h"
#include "video/video.h"

namespace app {

intptr_t mainWindowProc(const platform::Message& msg) {
    switch (msg.message) {
        case platform::WM_DESTROY:
            platform::postQuitMessage(0);
            return 0;
        case platform::WM_ACTIVATEAPP:
            // Buttons released while another program has the focus never reach us.
            if (msg.wParam == 0) input::releaseButtons();
            video::applicationSwitch(msg.wParam != 0);
            return 0;
        case platform::WM_PAINT:   // the display belongs to the video layer; nothing to paint
        case platform::WM_CREATE:
            return 0;
        // Keys, characters, buttons, the wheel and the GUI routing of everything else.
        default:
            return input::windowMessage(msg);
    }
}

}  // namespace app
