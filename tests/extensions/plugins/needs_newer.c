// A plug-in written for a newer program, whose table has one slot more: it finds the table too
// short and refuses to start.
#include "vyrex_plugin.h"

typedef struct NewerServices {
    VyrexServices known;
    void (*aServiceOfTheFuture)(void);
} NewerServices;

int VyrexPluginMain(void* module, const VyrexServices* services) {
    (void)module;
    if (!vyrexServicesUsable(services) || services->size < sizeof(NewerServices)) return 0;
    ((const NewerServices*)services)->aServiceOfTheFuture();
    return 1;
}
