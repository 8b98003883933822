// A library with the wrong export: no VyrexPluginMain, so the loader must not start it.
int vyrexPluginMain(void* module, const void* services);
int vyrexPluginMain(void* module, const void* services) { return module && services; }
