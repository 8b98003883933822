// The start-up splash: the logo "intro.bmp" above a 200 × 8 progress bar, drawn on the drawing
// surface and presented after every start-up step.
#include "video/splash.h"

#include "base/app.h"
#include "video/video.h"

namespace splash {

namespace {

constexpr int kBarWidth = 200;  // pixels
constexpr int kBarTop = 50;     // below the centre, pixels
constexpr int kBarBottom = 58;

draw::BitmapPtr intro;
uint32_t doneColour = 0, restColour = 0;
int progress = 0;   // pixels of the bar done
int stepWidth = 0;  // pixels per step

void drawSplash() {
    if (!video::state.open) return;
    draw::Surface& s = *video::state.drawing;
    const int cx = video::state.centreX, cy = video::state.centreY;
    draw::beginDraw(s);
    // Without its logo the splash still shows the progress.
    if (intro) draw::drawBitmap(s, *intro, cx - 80, cy - 39);
    draw::setColour(s, doneColour);
    draw::fillRect(s, cx - 100, cy + kBarTop, cx - 100 + progress, cy + kBarBottom);
    draw::setColour(s, restColour);
    draw::fillRect(s, cx - 100 + progress, cy + kBarTop, cx + 100, cy + kBarBottom);
    draw::endDraw(s);
}

}  // namespace

void splashBegin(int steps) {
    intro = video::loadDisplayBitmap("intro.bmp");
    doneColour = draw::packColour(video::state.format, 0, 0, 192);
    restColour = draw::packColour(video::state.format, 0, 0, 64);
    progress = 0;
    stepWidth = steps > 0 ? kBarWidth / steps : kBarWidth;
    app::pointerDrawn = 0;
    // The logo and the empty bar show at once, not only after the first step has finished.
    drawSplash();
    video::present();
}

void splashStep() {
    drawSplash();
    // More steps than announced keep the bar full rather than drawing past its end.
    progress = progress + stepWidth < kBarWidth ? progress + stepWidth : kBarWidth;
    video::present();
}

void splashEnd() {
    intro.reset();
    app::pointerDrawn = 1;
}

void splashRelease() { intro.reset(); }

}  // namespace splash
