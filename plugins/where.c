// Example plug-in 1: the console command "where", which tells where the camera is and how far the
// locked object (or the object named after the command) lies from it.
//
// Build it on its own with the public header only:
//     cc -std=c99 -O2 -fPIC -shared -I<source>/src/extensions -o where.so where.c -lm
#include <math.h>
#include <stdio.h>
#include <string.h>

#include "vyrex_plugin.h"

static const VyrexServices* vx;

// The name of an object as the catalogue gives it, or its identifier.
static void objectName(int32_t id, char out[VYREX_NAME_SIZE]) {
    out[0] = 0;
    const int kind = vx->objectKind((VyrexObjectId)id);
    if (kind == VYREX_KIND_STAR) vx->starName((uint32_t)id, out);
    else if (kind == VYREX_KIND_DEEP_SKY) vx->deepSkyName((VyrexObjectId)id, out);
    if (!out[0]) snprintf(out, VYREX_NAME_SIZE, "%08X", (unsigned)id);
}

static void report(int32_t id) {
    const VyrexCamera* c = vx->activeCamera();
    VyrexVector3 p;
    char name[VYREX_NAME_SIZE];
    objectName(id, name);
    if (!vx->objectPosition((VyrexObjectId)id, &p)) {
        vx->consolePrint("\n%s has no position.", name);
        return;
    }
    const int kind = vx->objectKind((VyrexObjectId)id);
    // Bodies and components lie in kilometres around the camera's star-system position.
    if (kind == VYREX_KIND_BODY || kind == VYREX_KIND_COMPONENT) {
        const double dx = p.x - c->SPos.x, dy = p.y - c->SPos.y, dz = p.z - c->SPos.z;
        vx->consolePrint("\n%s is %.0f km away.", name, sqrt(dx * dx + dy * dy + dz * dz));
        return;
    }
    const double dx = p.x - c->IPos.x, dy = p.y - c->IPos.y, dz = p.z - c->IPos.z;
    vx->consolePrint("\n%s is %.3f ly away.", name, sqrt(dx * dx + dy * dy + dz * dz));
}

// Exported by name: the program finds it in this library through the registration request.
int32_t whereMessage(VyrexMessage* m) {
    if (m->code != VYREX_MSG_COMMAND) return 0;
    const char* rest = (const char*)m->a2;
    while (rest && *rest == ' ') ++rest;
    const VyrexCamera* c = vx->activeCamera();
    char cell[64];
    vx->cameraTreePath(cell, sizeof cell);
    vx->consolePrint("\nCamera at (%.3f, %.3f, %.3f) ly, tree cell %s", c->IPos.x, c->IPos.y, c->IPos.z,
                     cell);
    if (rest && *rest) {
        const VyrexObjectId id = vx->findByName(rest);
        if (id == (VyrexObjectId)VYREX_NO_OBJECT) vx->consolePrint("\nNo object is named '%s'.", rest);
        else report((int32_t)id);
    } else if (c->lock != VYREX_NO_OBJECT) {
        report(c->lock);
    } else {
        vx->consolePrint("\nNothing is locked.");
    }
    return 1;
}

int VyrexPluginMain(void* module, const VyrexServices* services) {
    if (!vyrexServicesUsable(services)) return 0;
    vx = services;
    const VyrexRequest request = {0, "whereMessage", 0, module};
    const int32_t object = vx->registerObject(&request);
    if (object <= 0) return 0;
    return vx->consoleAddCommand(object, "where") >= 0;
}
