// A plug-in built against the table of an older program that ended after consolePrint: it reads
// only the slots it knows and keeps working with the longer table.
#include <stddef.h>
#include <stdint.h>

#include "vyrex_plugin.h"

typedef struct OlderServices {
    uintptr_t size, constant1, constant2, reserved[5];
    void* unused[37];  // registerObject .. activeCamera, as this plug-in does not call them
    int32_t (*consoleAddCommand)(int32_t object, const char* name);
    void (*consolePrint)(const char* format, ...);
} OlderServices;

static const OlderServices* older;

static int32_t oldMessage(VyrexMessage* m) {
    if (m->code == VYREX_MSG_COMMAND) older->consolePrint("\nAn older plug-in, a table of %u bytes.", (unsigned)older->size);
    return 1;
}

int VyrexPluginMain(void* module, const VyrexServices* services) {
    const OlderServices* s = (const OlderServices*)services;
    if (!s || s->constant1 != VYREX_CONSTANT_1 || s->size < sizeof(OlderServices)) return 0;
    older = s;
    // Its objects come from the current table's first slot, which never moves.
    const VyrexRequest request = {0, "oldMessageExport", 0, module};
    (void)oldMessage;
    const int32_t object = services->registerObject(&request);
    return object > 0 && older->consoleAddCommand(object, "oldtable") >= 0;
}

int32_t oldMessageExport(VyrexMessage* m);
int32_t oldMessageExport(VyrexMessage* m) { return oldMessage(m); }
