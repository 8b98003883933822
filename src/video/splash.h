// The splash screen with its progress bar, shown by the start-up sequence while the subsystems
// after the video layer start. Drawn by the video layer on its back buffer and presented after
// each step; used only by the start-up sequence.
#pragma once

namespace splash {

// Loads "intro.bmp", sets the progress to 0 and the step width to 200 / steps pixels, hides the
// mouse pointer and presents.
void splashBegin(int steps);
// Draws the bitmap and the bar at the current progress, advances it by one step, presents.
void splashStep();
// Releases the bitmap and lets the mouse pointer be drawn again.
void splashEnd();
// Releases the bitmap if the splash still holds it (a start-up that ended before its end).
void splashRelease();

}  // namespace splash
