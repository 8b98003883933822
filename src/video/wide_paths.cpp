// The switch of the drawers' wide paths: on where the processor has them.
#include "platform/platform.h"
#include "video/draw.h"

namespace draw {

namespace detail {
bool widePaths = platform::processorHasAvx2();
}

bool setWidePaths(bool on) {
    const bool has = platform::processorHasAvx2();
    detail::widePaths = on && has;
    return has;
}

}  // namespace draw
