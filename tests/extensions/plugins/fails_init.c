// A plug-in that registers one of everything the table allows and then answers 0: the loader must
// take all of it out before it unloads the library, or the program calls into a library gone.
#include "vyrex_plugin.h"

static int32_t failedMessage(VyrexMessage* m) { return m ? 1 : 0; }

int VyrexPluginMain(void* module, const VyrexServices* services) {
    const VyrexRequest request = {0, "failedMessageExport", 0, module};
    (void)failedMessage;
    const int32_t object = services->registerObject(&request);
    services->subscribe(VYREX_EVENT_FRAME, object);
    services->subscribe(VYREX_EVENT_CAMERA_MOVED, object);
    services->consoleAddCommand(object, "failing");
    services->registerClass("ZFAILING", &request);
    const VyrexNode window = services->createNode(0, "ZFAILING", "Failing", 10, 10, 120, 60, VYREX_NODE_WINDOW);
    services->announceWindow(window, "Failing");
    const VyrexNode other = services->createNode(0, "ZFAILING", "Shown", 40, 40, 120, 60, VYREX_NODE_WINDOW);
    services->showNode(other);
    return 0;
}

// Exported by name for the request above.
int32_t failedMessageExport(VyrexMessage* m);
int32_t failedMessageExport(VyrexMessage* m) { return failedMessage(m); }
