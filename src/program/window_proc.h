// The main window's procedure: the program's answer to each window message taken by the main
// loop. Messages it does not answer go to the platform's default handling, which turns a close
// request into WM_DESTROY; WM_DESTROY posts the quit message with code 0.
#pragma once

#include "platform/platform.h"

namespace app {

intptr_t mainWindowProc(const platform::Message& msg);

}  // namespace app
