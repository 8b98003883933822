// Whole-pixel scaling of a finished frame into the display's frame target.
//
// Contract. showScaled copies the frame into target.view and sets every target pixel outside the
// view to `background`. A view that is a whole multiple k of the frame's size shows each frame
// pixel as a k × k square. Any other view (a frame larger than the window, shrunk to fit) shows
// at its pixel (i, j) the frame pixel nearest to that pixel's centre:
// (⌊(2i + 1)·w / (2·viewWidth)⌋, ⌊(2j + 1)·h / (2·viewHeight)⌋) for a frame of w × h. A view that
// is empty or does not lie inside the target leaves only the background. Nothing is allocated.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "video/draw.h"

namespace video {

void showScaled(const draw::Surface& frame, const platform::FrameTarget& target, uint32_t background);

}  // namespace video
