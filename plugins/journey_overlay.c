// Example plug-in 2: an overlay on the frame. While a journey runs, a progress bar at the bottom
// with the distance left; always, a compass of the viewing direction in the top-right corner.
#include <math.h>
#include <stdio.h>

#include "vyrex_plugin.h"

static const VyrexServices* vx;
static double journeyLength;  // light years (km in a star system) from the start to the target

// Distance from the camera to the object in the frame the camera travels in.
static double distanceTo(int32_t id, int* kilometres) {
    const VyrexCamera* c = vx->activeCamera();
    VyrexVector3 p;
    *kilometres = c->mode == VYREX_MODE_SYSTEM;
    if (!vx->objectPosition((VyrexObjectId)id, &p)) return 0.0;
    const VyrexVector3* from = *kilometres ? &c->SPos : &c->IPos;
    const double dx = p.x - from->x, dy = p.y - from->y, dz = p.z - from->z;
    return sqrt(dx * dx + dy * dy + dz * dz);
}

static void drawProgress(const VyrexRect* frame) {
    const VyrexCamera* c = vx->activeCamera();
    int kilometres = 0;
    const double left = distanceTo(c->lock, &kilometres);
    double done = journeyLength > 0.0 ? 1.0 - left / journeyLength : 0.0;
    if (done < 0.0) done = 0.0;
    if (done > 1.0) done = 1.0;
    const int width = frame->width / 2, x = frame->x + frame->width / 4;
    const int y = frame->y + frame->height - 64;
    vx->setColour(0, 160, 255);
    vx->line(x, y, x + width, y);
    vx->line(x, y + 10, x + width, y + 10);
    vx->line(x, y, x, y + 10);
    vx->line(x + width, y, x + width, y + 10);
    const int filled = (int)(done * (width - 4));
    for (int row = y + 2; row <= y + 8; ++row) vx->line(x + 2, row, x + 2 + filled, row);
    char text[64];
    if (kilometres) snprintf(text, sizeof text, "%3d%%  %.0f km left", (int)(done * 100.0), left);
    else snprintf(text, sizeof text, "%3d%%  %.3f ly left", (int)(done * 100.0), left);
    vx->setColour(255, 255, 255);
    vx->text(x, y + 14, text);
}

// The viewing direction as an azimuth around the catalogue's y axis and an elevation above the
// x-z plane; screen-down is world +y, so up is −y.
static void drawCompass(const VyrexRect* frame) {
    const VyrexCamera* c = vx->activeCamera();
    const double fx = c->Cam.m[2][0], fy = c->Cam.m[2][1], fz = c->Cam.m[2][2];
    const double azimuth = atan2(fx, fz);
    const double elevation = asin(fy < -1.0 ? 1.0 : fy > 1.0 ? -1.0 : -fy);
    const int r = 24, cx = frame->x + frame->width - 40, cy = frame->y + 48;
    vx->setColour(0, 160, 255);
    vx->ellipse(cx, cy, r, r);
    vx->line(cx - r, cy, cx - r + 4, cy);
    vx->line(cx + r - 4, cy, cx + r, cy);
    vx->line(cx, cy + r - 4, cx, cy + r);
    vx->setColour(255, 200, 0);
    vx->line(cx, cy, cx + (int)lround(sin(azimuth) * (r - 3)), cy - (int)lround(cos(azimuth) * (r - 3)));
    vx->fillEllipse(cx, cy, 2, 2);
    vx->setColour(255, 255, 255);
    vx->text(cx - 3, cy - r - 10, "Z");
    char text[32];
    double degrees = azimuth * 180.0 / 3.14159265358979;
    if (degrees < 0) degrees += 360.0;
    snprintf(text, sizeof text, "%03.0f %+03.0f", degrees, elevation * 180.0 / 3.14159265358979);
    vx->text(cx - 21, cy + r + 4, text);
}

int32_t overlayMessage(VyrexMessage* m) {
    if (m->code == VYREX_EVENT_JOURNEY_START) {
        int kilometres;
        journeyLength = distanceTo(vx->activeCamera()->lock, &kilometres);
    } else if (m->code == VYREX_EVENT_JOURNEY_END) {
        journeyLength = 0.0;
    } else if (m->code == VYREX_EVENT_FRAME) {
        VyrexRect frame;
        if (!vx->clientRect(0, &frame)) return 0;
        if (vx->activeCamera()->travelling) drawProgress(&frame);
        drawCompass(&frame);
    }
    return 0;
}

int VyrexPluginMain(void* module, const VyrexServices* services) {
    if (!vyrexServicesUsable(services)) return 0;
    vx = services;
    const VyrexRequest request = {0, "overlayMessage", 0, module};
    const int32_t object = vx->registerObject(&request);
    return object > 0 && vx->subscribe(VYREX_EVENT_JOURNEY_START, object) &&
           vx->subscribe(VYREX_EVENT_JOURNEY_END, object) && vx->subscribe(VYREX_EVENT_FRAME, object);
}
