// Configuration store: values round trip through the file, failed writes change nothing, and
// files that cannot be parsed are kept aside while the store starts empty.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/posix/store_internal.h"
#include "platform/store.h"

namespace {

constexpr store::Hive LM = store::HKEY_LOCAL_MACHINE;
const std::string kRoot = "SOFTWARE\\Oskarn Software\\Vyrex\\2.00";

class Store : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vyrex-store-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        file = folder + "/cfg/vyrex.reg";
        store::setLocation(file);
    }
    void TearDown() override {
        store::detail::setRenameFunction(nullptr);
        store::setLocation("");
        store::takeReport();
        std::filesystem::remove_all(folder);
    }
    std::string read(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void write(const std::string& text) {
        std::filesystem::create_directories(folder + "/cfg");
        std::ofstream(file, std::ios::binary) << text;
    }
    // Names in the store's folder other than the store itself.
    std::vector<std::string> others() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder + "/cfg"))
            if (e.path().filename() != "vyrex.reg") names.push_back(e.path().filename().string());
        return names;
    }

    std::string folder, file;
};

TEST_F(Store, ValuesRoundTripThroughTheFile) {
    const std::string startup = kRoot + "\\startup";
    EXPECT_TRUE(store::createKey(LM, startup));
    EXPECT_TRUE(store::writeDword(LM, startup, "VIDdefault", 0xFFFFFFFFu));
    EXPECT_TRUE(store::writeDword(LM, startup, "VIDwVSync", 1));
    EXPECT_TRUE(store::writeString(LM, kRoot + "\\macros", "M41", "say \"hi\" to C:\\stars"));
    std::vector<uint8_t> camera(456);
    for (size_t i = 0; i < camera.size(); ++i) camera[i] = static_cast<uint8_t>(i * 7);
    EXPECT_TRUE(store::writeValue(LM, kRoot + "\\cameras", "camera0", store::REG_BINARY, camera.data(), camera.size()));
    uint8_t odd[3] = {1, 2, 3};
    EXPECT_TRUE(store::writeValue(store::HKEY_CURRENT_USER, "Software\\x", "", static_cast<store::ValueType>(7), odd, 3));

    std::string text = read(file);
    EXPECT_EQ(text.rfind("REGEDIT4\n", 0), 0u);
    EXPECT_NE(text.find("\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Oskarn Software\\Vyrex\\2.00\\startup]\n"
                        "\"VIDdefault\"=dword:ffffffff\n\"VIDwVSync\"=dword:00000001\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\"M41\"=\"say \\\"hi\\\" to C:\\\\stars\"\n"), std::string::npos) << text;
    EXPECT_NE(text.find("@=hex(7):01,02,03\n"), std::string::npos) << text;
    for (std::istringstream lines(text); !lines.eof();) {
        std::string line;
        std::getline(lines, line);
        EXPECT_LE(line.size(), 80u);  // long binary values wrap like the registry editor's
    }

    store::detail::unload();  // read the file afresh
    uint32_t d = 0;
    EXPECT_TRUE(store::readDword(LM, startup, "VIDdefault", d));
    EXPECT_EQ(d, 0xFFFFFFFFu);
    std::string s;
    EXPECT_TRUE(store::readString(LM, kRoot + "\\MACROS", "m41", s));  // names ignore case
    EXPECT_EQ(s, "say \"hi\" to C:\\stars");
    store::ValueType type = store::REG_NONE;
    std::vector<uint8_t> data;
    EXPECT_TRUE(store::readValue(LM, kRoot + "\\cameras", "camera0", type, data));
    EXPECT_EQ(type, store::REG_BINARY);
    EXPECT_EQ(data, camera);
    EXPECT_TRUE(store::readValue(store::HKEY_CURRENT_USER, "Software\\x", "", type, data));
    EXPECT_EQ(type, 7u);
    EXPECT_EQ(data, std::vector<uint8_t>({1, 2, 3}));
    EXPECT_EQ(store::valueNames(LM, startup), (std::vector<std::string>{"VIDdefault", "VIDwVSync"}));
    EXPECT_TRUE(store::keyExists(LM, kRoot));  // parents are created with their key
    EXPECT_TRUE(store::keyExists(LM, "SOFTWARE"));
}

TEST_F(Store, MissingAndMistypedValuesLeaveTheOutputsAlone) {
    store::writeString(LM, "A", "text", "12345678");
    uint32_t d = 77;
    EXPECT_FALSE(store::readDword(LM, "A", "text", d));
    EXPECT_FALSE(store::readDword(LM, "A", "none", d));
    EXPECT_FALSE(store::readDword(LM, "B", "text", d));
    EXPECT_EQ(d, 77u);
    std::string s = "kept";
    store::writeDword(LM, "A", "num", 5);
    EXPECT_FALSE(store::readString(LM, "A", "num", s));
    EXPECT_EQ(s, "kept");
    uint8_t three[3] = {1, 2, 3};
    store::writeValue(LM, "A", "short", store::REG_DWORD, three, 3);
    EXPECT_FALSE(store::readDword(LM, "A", "short", d));  // not exactly four bytes

    EXPECT_TRUE(store::deleteValue(LM, "A", "num"));
    EXPECT_FALSE(store::deleteValue(LM, "A", "num"));
    EXPECT_EQ(store::valueNames(LM, "A"), (std::vector<std::string>{"text", "short"}));
    EXPECT_TRUE(store::valueNames(LM, "nothing").empty());

    // Names that could not be read back are refused rather than written.
    EXPECT_FALSE(store::writeDword(LM, "A", "two\nlines", 1));
    EXPECT_FALSE(store::writeDword(LM, "A\\\\B", "x", 1));
    EXPECT_FALSE(store::createKey(static_cast<store::Hive>(5), "A"));
}

int failingRename(const char*, const char*) { return -1; }

TEST_F(Store, AFailedWriteKeepsTheOldFileAndTheOldValues) {
    ASSERT_TRUE(store::writeDword(LM, "K", "v", 1));
    std::string before = read(file);
    store::detail::setRenameFunction(failingRename);
    EXPECT_FALSE(store::writeDword(LM, "K", "v", 2));
    EXPECT_FALSE(store::writeDword(LM, "K", "w", 3));
    EXPECT_EQ(read(file), before);
    EXPECT_TRUE(others().empty());  // no temporary file left behind
    uint32_t d = 0;
    EXPECT_TRUE(store::readDword(LM, "K", "v", d));
    EXPECT_EQ(d, 1u);  // memory agrees with the file
    EXPECT_FALSE(store::readDword(LM, "K", "w", d));

    store::detail::setRenameFunction(nullptr);
    EXPECT_TRUE(store::writeDword(LM, "K", "v", 2));
    store::detail::unload();
    EXPECT_TRUE(store::readDword(LM, "K", "v", d));
    EXPECT_EQ(d, 2u);
}

TEST_F(Store, UnreadableFilesAreMovedAsideAndTheStoreStartsEmpty) {
    const std::string header = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\K]\n";
    const std::vector<std::string> bad = {
        "not a store\n",
        header + "\"v\"=dword:1234\n",                       // dword needs eight digits
        header + "\"v\"=hex:0,01\n",                         // odd hex
        header + "\"v\"=hex:01,02,\n",                       // trailing separator
        header + "\"v\"=qword:0000000000000001\n",           // unknown type
        header + "\"v\"=\"unterminated\n",
        header + "\"v\"=\"bad \\n escape\"\n",
        header + "\"v\"=\"x\" trailing\n",
        "REGEDIT4\n\"v\"=dword:00000001\n",                  // value outside a key
        "REGEDIT4\n[HKEY_SOMEWHERE\\K]\n",                   // unknown hive
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\\\K]\n",             // empty key name
        header + "\"v\"=hex:01,\\\n",                         // continuation at the end
        header + "\"" + std::string(5000, 'n') + "\"=dword:00000001\n",  // overlong line
    };
    for (const std::string& text : bad) {
        std::filesystem::remove_all(folder + "/cfg");
        write(text);
        store::detail::unload();
        EXPECT_TRUE(store::valueNames(LM, "K").empty()) << text;
        EXPECT_FALSE(store::keyExists(LM, "K")) << text;
        std::vector<std::string> aside = others();
        ASSERT_EQ(aside.size(), 1u) << text;
        EXPECT_EQ(aside[0].rfind("vyrex.reg.bad-", 0), 0u);
        EXPECT_EQ(read(folder + "/cfg/" + aside[0]), text);  // kept as it was
        EXPECT_FALSE(std::filesystem::exists(file));
        // Kept for the program's log, which is not open when the store is first read.
        const std::string report = store::takeReport();
        EXPECT_EQ(report.rfind("\r\n\tStore: line ", 0), 0u) << report;
        EXPECT_NE(report.find("moved aside to " + folder + "/cfg/" + aside[0] + ", starting empty"),
                  std::string::npos) << report;
        EXPECT_EQ(store::takeReport(), "") << "taken once";
        // The next write starts a fresh store.
        EXPECT_TRUE(store::writeDword(LM, "K", "fresh", 1));
        EXPECT_EQ(read(file).rfind("REGEDIT4\n", 0), 0u);
    }
}

TEST_F(Store, AFileThatCannotBeMovedAsideIsNeverOverwritten) {
    const std::string text = "garbage that is not a store\n";
    write(text);
    store::detail::unload();
    store::detail::setRenameFunction(failingRename);
    EXPECT_TRUE(store::valueNames(LM, "K").empty());
    EXPECT_FALSE(store::writeDword(LM, "K", "v", 1));
    store::detail::setRenameFunction(nullptr);
    EXPECT_FALSE(store::writeDword(LM, "K", "v", 1));  // until the store is read again
    EXPECT_EQ(read(file), text);
}

TEST_F(Store, HandEditedFilesAreRead) {
    write("\r\n   \r\nREGEDIT4\r\n; comment\r\n[HKEY_LOCAL_MACHINE\\K]   \r\n"
          "\"bin\"=hex:01,02,\\\r\n  03,04\r\n"
          "\"sz\"=hex(1):41,42,00\r\n"
          "\"num\"=DWORD:0000000A  \r\n"
          "@=\"default\"\r\n"
          "\"empty\"=hex:\r\n"
          "[hkey_local_machine\\k]\r\n"
          "\"num\"=dword:0000000b\r\n");
    store::detail::unload();
    store::ValueType type;
    std::vector<uint8_t> data;
    ASSERT_TRUE(store::readValue(LM, "K", "bin", type, data));
    EXPECT_EQ(data, std::vector<uint8_t>({1, 2, 3, 4}));
    std::string s;
    EXPECT_TRUE(store::readString(LM, "K", "sz", s));
    EXPECT_EQ(s, "AB");
    uint32_t d = 0;
    EXPECT_TRUE(store::readDword(LM, "K", "num", d));
    EXPECT_EQ(d, 11u);  // a key given twice is one key; the later value wins
    EXPECT_TRUE(store::readString(LM, "K", "", s));
    EXPECT_EQ(s, "default");
    EXPECT_TRUE(store::readValue(LM, "K", "empty", type, data));
    EXPECT_TRUE(data.empty());
    EXPECT_EQ(store::valueNames(LM, "K"), (std::vector<std::string>{"bin", "sz", "num", "", "empty"}));
    EXPECT_TRUE(others().empty());
}

TEST_F(Store, WrittenTextParsesBackToTheSameStore) {
    store::detail::Model m;
    store::detail::Key k{"HKEY_CURRENT_USER\\A b\\c", {}};
    k.values.push_back({"tab\tname", 1, {'a', '\t', 'b', 0}});
    k.values.push_back({"ctl", 1, {'a', 1, 0}});                      // not text: written as hex(1)
    k.values.push_back({"zero", 1, {'a', 0, 'b', 0}});
    k.values.push_back({std::string(3000, 'q'), 3, std::vector<uint8_t>(400, 0xAB)});
    k.values.push_back({"long", 1, {}});
    k.values.back().data.assign(3000, 'z');
    k.values.back().data.push_back(0);
    m.keys.push_back(k);
    std::string text = store::detail::serialize(m);
    store::detail::Model back;
    store::detail::ParseError error;
    ASSERT_TRUE(store::detail::parse(reinterpret_cast<const uint8_t*>(text.data()), text.size(), back, error))
        << error.line << ": " << error.reason;
    ASSERT_EQ(back.keys.size(), 1u);
    ASSERT_EQ(back.keys[0].values.size(), k.values.size());
    for (size_t i = 0; i < k.values.size(); ++i) {
        EXPECT_EQ(back.keys[0].values[i].name, k.values[i].name);
        EXPECT_EQ(back.keys[0].values[i].type, k.values[i].type);
        EXPECT_EQ(back.keys[0].values[i].data, k.values[i].data);
    }
}

TEST_F(Store, TheDefaultLocationFollowsTheEnvironment) {
    const char* savedXdg = getenv("XDG_CONFIG_HOME");
    std::string saved = savedXdg ? savedXdg : "";
    std::string savedHome = getenv("HOME") ? getenv("HOME") : "";
    setenv("XDG_CONFIG_HOME", "/some/config", 1);
    store::setLocation("");
    EXPECT_EQ(store::location(), "/some/config/vyrex/vyrex.reg");
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    setenv("HOME", "/home/someone", 1);
    store::setLocation("");
    EXPECT_EQ(store::location(), "/home/someone/.config/vyrex/vyrex.reg");
    setenv("HOME", savedHome.c_str(), 1);
    if (savedXdg) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
