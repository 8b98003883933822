// Test fixture: a temporary program folder with a "data" folder of packs, and a captured log.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/app.h"
#include "base/log.h"
#include "support/packwriter.h"
#include "vfs/vfs.h"

class PackFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vyrex-vfs-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        data = root + "/data";
        std::filesystem::create_directory(data);
        std::strcpy(savedFolder, app::programFolder);
        std::snprintf(app::programFolder, sizeof app::programFolder, "%s", root.c_str());
        savedDB = app::mode.DB;
    }
    void TearDown() override {
        vfs::closePacks();
        logc::closeChannels();
        app::mode.DB = savedDB;
        std::strcpy(app::programFolder, savedFolder);
        std::filesystem::remove_all(root);
    }

    // Writes data/<name> from files packed in memory.
    void pack(const std::string& name, const std::vector<packwriter::MemoryFile>& files) {
        raw(name, packwriter::buildOrDie(files));
    }
    void raw(const std::string& name, const std::vector<uint8_t>& bytes) {
        ASSERT_EQ(packwriter::writeBytes(data + "/" + name, bytes), "");
    }
    // The two required packs with one file each, so that tests add what they are about.
    void requiredPacks() {
        pack("vyrex2.vfs", {{"shared", "from vyrex2"}, {"base", "B"}});
        pack("catalog.vfs", {{"stars", "S"}});
    }
    std::string text(const char* name) {
        size_t size = 0;
        const uint8_t* p = vfs::loadFile(name, &size);
        return p ? std::string(reinterpret_cast<const char*>(p), size) : std::string("<none>");
    }
    void captureLog() {
        app::mode.DB = 1;
        logc::resetChannels();
        logc::openChannel(1, ("$" + root + "/log.txt").c_str());
    }
    std::string logText() {
        std::ifstream in(root + "/log.txt", std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::string root, data;
    char savedFolder[app::kPathMax + 1];
    int savedDB = 0;
};
