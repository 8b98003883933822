// Example plug-in 3: a window, announced in the Plugins panel, listing the ten stars nearest to
// the camera. The list is worked out again once the camera has moved (event 514) and stands
// still; each line is a link: a click locks that star.
#include <math.h>
#include <stdio.h>

#include "vyrex_plugin.h"

#define NEAREST 10
#define LINE_HEIGHT 10  // pixels per line of the list
#define TEXT_LEFT 4

static const VyrexServices* vx;
static VyrexNode window;
static int dirty = 1;  // the camera moved since the list was made

static struct {
    int32_t id;
    double distance;  // light years
    char name[VYREX_NAME_SIZE];
} nearest[NEAREST];
static int found;

// Every star of the catalogue, kept in a sorted list of ten: the catalogue is read in place, so
// a whole pass is a walk over its positions.
static void findNearest(void) {
    const VyrexVector3 at = vx->activeCamera()->IPos;
    found = 0;
    VyrexVector3 p;
    for (uint32_t id = 0; id < 0x01000000u && vx->objectPosition(id, &p); ++id) {
        const double dx = p.x - at.x, dy = p.y - at.y, dz = p.z - at.z;
        const double d = sqrt(dx * dx + dy * dy + dz * dz);
        // The star the camera stands at is not a neighbour.
        if (d < 1e-3) continue;
        if (found == NEAREST && d >= nearest[NEAREST - 1].distance) continue;
        int i = found < NEAREST ? found++ : NEAREST - 1;
        for (; i > 0 && nearest[i - 1].distance > d; --i) nearest[i] = nearest[i - 1];
        nearest[i].id = (int32_t)id;
        nearest[i].distance = d;
    }
    for (int i = 0; i < found; ++i) vx->starName((uint32_t)nearest[i].id, nearest[i].name);
    dirty = 0;
}

static void paint(void) {
    VyrexRect client;
    if (!vx->clientRect(window, &client)) return;
    const int32_t lock = vx->activeCamera()->lock;
    for (int i = 0; i < found; ++i) {
        char line[48];
        snprintf(line, sizeof line, "%-18.18s %7.2f ly", nearest[i].name, nearest[i].distance);
        // Object links are red, as in the program's pages; the locked star's line is blue.
        if (nearest[i].id == lock) vx->setColour(0, 0, 159);
        else vx->setColour(159, 0, 0);
        vx->text(client.x + TEXT_LEFT, client.y + 3 + i * LINE_HEIGHT, line);
    }
}

int32_t nearestWindowMessage(VyrexMessage* m) {
    if (m->code == VYREX_WM_PAINT) {
        paint();
        return 1;
    }
    if (m->code == VYREX_WM_LEFT_CLICK) {
        const int row = ((int)m->a3 - 3) / LINE_HEIGHT;
        if (m->a3 >= 3 && row < found) {
            char command[32];
            snprintf(command, sizeof command, "camera lock %x", (unsigned)nearest[row].id);
            vx->consoleExecute(command);
        }
        return 1;
    }
    return 0;
}

int32_t nearestEvents(VyrexMessage* m) {
    if (m->code == VYREX_EVENT_CAMERA_MOVED) dirty = 1;
    // After the frame's scene: a journey's steps only mark the list, it is made once at rest.
    else if (m->code == VYREX_EVENT_FRAME && dirty && !vx->activeCamera()->travelling) findNearest();
    return 0;
}

int VyrexPluginMain(void* module, const VyrexServices* services) {
    if (!vyrexServicesUsable(services)) return 0;
    vx = services;
    const VyrexRequest windowClass = {0, "nearestWindowMessage", 0, module};
    if (!vx->registerClass("ZNEAREST", &windowClass)) return 0;
    window = vx->createNode(0, "ZNEAREST", "Nearest stars", 300, 140, 8 + 31 * 6,
                            16 + 2 + 6 + NEAREST * LINE_HEIGHT, VYREX_NODE_WINDOW);
    if (!window || !vx->announceWindow(window, "Nearest stars")) return 0;
    const VyrexRequest events = {0, "nearestEvents", 0, module};
    const int32_t object = vx->registerObject(&events);
    dirty = 1;
    found = 0;
    return object > 0 && vx->subscribe(VYREX_EVENT_CAMERA_MOVED, object) &&
           vx->subscribe(VYREX_EVENT_FRAME, object);
}
