// Program folders for whole runs of the program in tests.
#include "support/programfolder.h"

#include "program/lifecycle.h"
#include "platform/headless/headless.h"
#include "platform/store.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace programfolder {

const char* const kCatalogueNames[catalog::kCatalogFileCount] = {
    "stellar.data", "stellar.xdat", "stellar.tree", "stellar.ssys",
    "stellar.note", "galactic.data", "galactic.bmap", "galactic.hmap"};

std::string shipped(const std::string& folder, const std::string& name) {
    std::ifstream in(std::string(VYREX_SOURCE_DIR) + "/data/" + folder + "/" + name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<packwriter::MemoryFile> startupFiles(bool withFont) {
    std::vector<packwriter::MemoryFile> files = {{"pointer.bmp", shipped("vyrex2", "pointer.bmp")},
                                                 {"hpointer.bmp", shipped("vyrex2", "hpointer.bmp")},
                                                 {"close.bmp", shipped("vyrex2", "close.bmp")},
                                                 {"buttons.bmp", shipped("vyrex2", "buttons.bmp")},
                                                 {"menu.bmp", shipped("vyrex2", "menu.bmp")}};
    if (withFont) files.push_back({"default.bft", shipped("vyrex2", "default.bft")});
    return files;
}

std::vector<packwriter::MemoryFile> catalogueFiles(const catalog::CatalogFiles& files) {
    std::vector<packwriter::MemoryFile> out;
    for (int f = 0; f < catalog::kCatalogFileCount; ++f) {
        const std::string bytes = files.size[f]
                                      ? std::string(reinterpret_cast<const char*>(files.data[f]), files.size[f])
                                      : std::string(1, '\0');
        out.push_back({kCatalogueNames[f], bytes});
    }
    return out;
}

std::vector<packwriter::MemoryFile> shippedCatalogue() {
    std::vector<packwriter::MemoryFile> out;
    for (const char* name : kCatalogueNames) out.push_back({name, shipped("catalog", name)});
    return out;
}

void cleanUpRun(const std::string& root) {
    lifecycle::setExitFunction(nullptr);
    lifecycle::fatalWaitMilliseconds = 2000;
    lifecycle::resetProcessState();
    headless::reset();
    store::setLocation("");
    if (!root.empty()) std::filesystem::remove_all(root);
}

}  // namespace programfolder
