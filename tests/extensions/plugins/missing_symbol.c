// A library that needs a function nothing provides: the dynamic loader refuses it.
#include "vyrex_plugin.h"

int vyrexNoSuchFunction(int);

int VyrexPluginMain(void* module, const VyrexServices* services) {
    return vyrexNoSuchFunction(module != 0 && services != 0);
}
