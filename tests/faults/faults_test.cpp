// Whole runs of the program on a damaged installation: packs required and optional, the
// catalogue, marker files, star-system files, the configuration store and its stored camera and
// macros, an unwritable program folder and a full disk. A required pack ends the run with its log
// line and the fatal box; everything else is skipped without a word and the restless user of the
// soak goes on using the program. Either way nothing crashes or hangs, and every setting that
// was stored before the fault can be read after it.
#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/app.h"
#include "navigation/camera.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_display.h"
#include "platform/posix/store_internal.h"
#include "platform/store.h"
#include "program/lifecycle.h"
#include "soak/harness/random.h"
#include "soak/harness/soak.h"
#include "support/packwriter.h"
#include "support/programfolder.h"

namespace {

namespace fs = std::filesystem;

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Every text the start-up ends with when one of its steps fails.
const char* const kFatalTexts[] = {"Can't init or load VFS packs.", "Can't init video system.",
                                   "Can't find default catalogs.", "Can't init console.",
                                   "Can't init Z windows system."};

// The sanitizer build runs every frame several times slower; its fault runs are shorter, so that
// the two builds together stay within a few minutes. Each still starts, reads the damage and
// goes on for hundreds of frames.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_UNDEFINED__)
constexpr double kFrameShare = 0.4;
#else
constexpr double kFrameShare = 1.0;
#endif

int exits = 0;
void recordExit(int) { ++exits; }
int peeks = 0;

class Faults : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vyrex-faults-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        program = root + "/program";
        fs::create_directories(program + "/plugin");
        // Copies, not links: the runs damage them.
        for (const char* folder : {"data", "systems", "marker"})
            fs::copy(fs::path(VYREX_STAGE_DIR) / folder, program + "/" + folder, fs::copy_options::recursive);
        storePath = root + "/config/vyrex.reg";
        store::setLocation(storePath);
        lifecycle::setExitFunction(recordExit);
        exits = 0;
        // A user's store: a first session that saved its cameras, macros and settings.
        const soak::Report first = soak(400, true);
        ASSERT_TRUE(first.ok) << first.failure;
        storedBefore = storedValues();
        ASSERT_FALSE(storedBefore.empty());
    }

    void TearDown() override {
        fs::permissions(program, fs::perms::owner_all, fs::perm_options::add);
        programfolder::cleanUpRun(root);
    }

    // The soak's restless user on this folder; `reset` starts with the cameras reset.
    soak::Report soak(long frames, bool reset = false, uint64_t seed = 19) {
        soak::Options options;
        options.stage = VYREX_STAGE_DIR;
        options.programFolder = program;
        options.frames = std::max(100L, static_cast<long>(static_cast<double>(frames) * kFrameShare));
        options.seed = seed;
        options.quitting = false;
        options.resetCameras = reset;
        options.restoreEvery = 150;
        options.warmUpFrames = options.frames;  // too short a run to measure memory in
        store::detail::unload();
        return soak::run(options);
    }

    // One start of the program that ends by itself or after a few passes of its loop.
    struct Outcome {
        int code = 0;
        std::vector<headless::Box> boxes;
        int passes = 0;
        std::string log;
    };
    Outcome startOnce() {
        headless::reset();
        headless::setDesktop(640, 480);
        peeks = 0;
        headless::setPeekHook([](int) {
            if (++peeks >= 30) app::quit = 1;
        });
        lifecycle::fatalWaitMilliseconds = 0;
        store::detail::unload();
        const size_t logBefore = readBytes(program + "/vyrex.log").size();
        Outcome o;
        o.code = lifecycle::entry(("-c -d -vw0 -l" + program).c_str());
        o.boxes = headless::messageBoxes();
        o.passes = peeks;
        o.log = readBytes(program + "/vyrex.log").substr(logBefore);
        headless::setPeekHook(nullptr);
        lifecycle::resetProcessState();
        headless::reset();
        return o;
    }

    // The store as its file holds it, one "key\name type" a value. The file must parse.
    std::set<std::string> storedValues() {
        const std::string text = readBytes(storePath);
        store::detail::Model model;
        store::detail::ParseError error;
        EXPECT_TRUE(store::detail::parse(reinterpret_cast<const uint8_t*>(text.data()), text.size(), model, error))
            << "the store cannot be read: line " << error.line << ": " << error.reason;
        std::set<std::string> values;
        for (const store::detail::Key& k : model.keys)
            for (const store::detail::Value& v : k.values) values.insert(k.path + "\\" + v.name + " " + std::to_string(v.type));
        return values;
    }

    // Every value stored before the fault is still there, of the same type, and no temporary
    // file of a write is left beside the store.
    void expectStoreKept() {
        const std::set<std::string> after = storedValues();
        for (const std::string& v : storedBefore) EXPECT_TRUE(after.count(v)) << "lost from the store: " << v;
        for (const fs::directory_entry& e : fs::directory_iterator(root + "/config"))
            EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos) << e.path();
    }

    // The fatal path of a required pack: its log line, then the box, and code 1.
    void expectFatal(const Outcome& o, const std::string& text) {
        EXPECT_EQ(o.code, 1);
        ASSERT_EQ(o.boxes.size(), 1u);
        EXPECT_EQ(o.boxes[0].caption, "Vyrex Fatal Error");
        EXPECT_EQ(o.boxes[0].text, text);
        EXPECT_NE(o.log.find("\r\n*** Exit in error (2:'" + text + "') ***"), std::string::npos) << o.log;
        EXPECT_EQ(o.passes, 0) << "the loop never ran";
    }

    // A run that either went on as usual or ended through the fatal path of a start-up step.
    void expectRunOrFatal(const Outcome& o) {
        if (o.boxes.empty()) {
            EXPECT_EQ(o.code, 0);
            EXPECT_GE(o.passes, 30);
            return;
        }
        bool known = false;
        for (const char* text : kFatalTexts) known = known || o.boxes[0].text == text;
        EXPECT_TRUE(known) << "box \"" << o.boxes[0].text << "\"";
        expectFatal(o, o.boxes[0].text);
    }

    std::string root, program, storePath;
    std::set<std::string> storedBefore;
};

// ---- Packs ------------------------------------------------------------------------------------

// Damage done to a pack's bytes; `cutsDirectory` when no pack can be read from what is left.
struct PackDamage {
    const char* name;
    bool cutsDirectory;
    std::string (*apply)(std::string pack);
};

uint32_t u32(const std::string& b, size_t at) {
    return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
           uint32_t(uint8_t(b[at + 3])) << 24;
}
void put32(std::string& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}
// Entries of the directory, up to the one with the last-entry flag.
size_t entryCount(const std::string& b) {
    size_t n = 0;
    while (4 + 44 * (n + 1) <= b.size()) {
        ++n;
        if (u32(b, 4 + 44 * (n - 1) + 40) & 1) break;
    }
    return n;
}

const PackDamage kPackDamage[] = {
    {"empty", true, [](std::string) { return std::string(); }},
    {"another magic", true, [](std::string b) { b[3] = '1'; return b; }},
    {"the magic alone", true, [](std::string b) { return b.substr(0, 4); }},
    {"cut in its directory", true, [](std::string b) { return b.substr(0, 4 + 44 * (entryCount(b) / 2) + 17); }},
    {"no last entry", true,
     [](std::string b) {
         // The directory runs into the file data, read as entries until the end of the file.
         for (size_t i = 0, n = entryCount(b); i < n; ++i) put32(b, 4 + 44 * i + 40, u32(b, 4 + 44 * i + 40) & ~1u);
         return b;
     }},
    {"cut in its data", false, [](std::string b) { return b.substr(0, b.size() / 2); }},
    {"an entry past the end", false,
     [](std::string b) {
         put32(b, 4 + 32, 0xFFFFFF00u);
         put32(b, 4 + 36, 0x1000u);
         return b;
     }},
    {"an entry of 4 GB", false, [](std::string b) { put32(b, 4 + 44 + 36, 0xFFFFFFFFu); return b; }},
    {"garbage in its directory", false,
     [](std::string b) {
         soak::Random random(5);
         const size_t end = 4 + 44 * entryCount(b);
         for (int i = 0; i < 64; ++i) b[4 + random.next() % (end - 4)] = static_cast<char>(random.next());
         return b;
     }},
    {"garbage in its data", false,
     [](std::string b) {
         soak::Random random(6);
         const size_t start = 4 + 44 * entryCount(b);
         for (int i = 0; i < 4096; ++i) b[start + random.next() % (b.size() - start)] = static_cast<char>(random.next());
         return b;
     }},
};

TEST_F(Faults, ADamagedRequiredPackEndsTheRunThroughTheFatalPath) {
    for (const char* pack : {"vyrex2.vfs", "catalog.vfs"}) {
        const std::string path = program + "/data/" + pack;
        const std::string good = readBytes(path);
        fs::remove(path);
        {
            SCOPED_TRACE(std::string(pack) + " missing");
            const Outcome o = startOnce();
            expectFatal(o, "Can't init or load VFS packs.");
            EXPECT_NE(o.log.find(pack), std::string::npos) << "the log names the pack: " << o.log;
        }
        for (const PackDamage& d : kPackDamage) {
            SCOPED_TRACE(std::string(pack) + " " + d.name);
            writeFile(path, d.apply(good));
            const Outcome o = startOnce();
            if (d.cutsDirectory) expectFatal(o, "Can't init or load VFS packs.");
            else expectRunOrFatal(o);
        }
        writeFile(path, good);
    }
    expectStoreKept();
    // Once mended, the program runs as before on what it stored.
    const soak::Report after = soak(200);
    EXPECT_TRUE(after.ok) << after.failure;
}

// An optional pack is skipped silently whatever is wrong with it, and the soak runs on; one that
// can be read but serves cut or garbled copies of the program's own files is a harder case: the
// files it overrides are the ones the program then reads.
TEST_F(Faults, ADamagedOptionalPackIsSkippedOrServedWithoutAWord) {
    const std::string good = readBytes(program + "/data/vyrex2.vfs");
    for (const PackDamage& d : kPackDamage) {
        SCOPED_TRACE(d.name);
        writeFile(program + "/data/zextra.vfs", d.apply(good));
        if (!d.cutsDirectory) {
            // Its directory can be read, so it serves what it holds: the program's own bitmaps
            // garbled fail the step that draws with them, through the fatal path.
            const Outcome o = startOnce();
            expectRunOrFatal(o);
            if (!o.boxes.empty()) continue;
        }
        const soak::Report r = soak(300, false, 23);
        EXPECT_TRUE(r.ok) << r.failure;
    }
    // A pack of nothing but garbage, and one whose every name is 31 characters of junk.
    soak::Random random(7);
    std::string junk(70000, '\0');
    for (char& c : junk) c = static_cast<char>(random.next());
    junk.replace(0, 4, "VFS2");
    writeFile(program + "/data/zextra.vfs", junk);
    const soak::Report r = soak(300, false, 29);
    EXPECT_TRUE(r.ok) << r.failure;
    expectStoreKept();
}

// The catalogue's files cut short, each alone: a record cut in two, a tree that names stars the
// file no longer holds, names and notes cut mid-text.
TEST_F(Faults, ACatalogueCutShortEndsTheRunOrIsReadAsFarAsItGoes) {
    const std::vector<packwriter::MemoryFile> files = programfolder::shippedCatalogue();
    const std::string path = program + "/data/catalog.vfs";
    for (size_t f = 0; f < files.size(); ++f) {
        for (const double part : {0.0, 0.5}) {
            SCOPED_TRACE(files[f].name + " cut to " + std::to_string(part));
            std::vector<packwriter::MemoryFile> cut = files;
            // An empty file can't be packed: one byte is the least it can hold.
            const size_t keep = std::max<size_t>(1, static_cast<size_t>(static_cast<double>(cut[f].data.size()) * part));
            cut[f].data.resize(keep);
            ASSERT_EQ(packwriter::writeBytes(path, packwriter::buildOrDie(cut)), "");
            const Outcome o = startOnce();
            expectRunOrFatal(o);
            if (o.boxes.empty()) {
                const soak::Report r = soak(200, false, 31 + f);
                EXPECT_TRUE(r.ok) << r.failure;
            }
        }
    }
    // One file short of the eight is a missing catalogue.
    std::vector<packwriter::MemoryFile> seven(files.begin(), files.end() - 1);
    ASSERT_EQ(packwriter::writeBytes(path, packwriter::buildOrDie(seven)), "");
    expectFatal(startOnce(), "Can't find default catalogs.");
    expectStoreKept();
}

// ---- Marker and star-system files ---------------------------------------------------------------

// Files of text gone wrong: binary junk, a line longer than any buffer, definitions cut short or
// nested, numbers out of range, no end of line at the end.
std::vector<std::string> damagedTexts(const std::string& good) {
    soak::Random random(11);
    std::string binary(20000, '\0');
    for (char& c : binary) c = static_cast<char>(random.next());
    std::string garbled = good;
    for (int i = 0; i < 200 && !garbled.empty(); ++i) garbled[random.next() % garbled.size()] = static_cast<char>(random.next());
    std::string cut = good.substr(0, good.size() / 3);
    std::string overlong = good.substr(0, good.size() / 2) + std::string(100000, 'x') + "\n" + good;
    std::string noNewlines = good;
    for (char& c : noNewlines)
        if (c == '\n' || c == '\r') c = ' ';
    return {binary, garbled, cut, overlong, noNewlines, std::string(5000, '{'), std::string(5000, '['),
            "\n\n\n", std::string("\0\0\0", 3)};
}

TEST_F(Faults, DamagedMarkerFilesAreLoadedAsFarAsTheyGoWithoutAWord) {
    const std::string good = readBytes(program + "/marker/orion-family.map");
    const std::vector<std::string> texts = damagedTexts(good);
    for (size_t i = 0; i < texts.size(); ++i) writeFile(program + "/marker/damaged-" + std::to_string(i) + ".map", texts[i]);
    writeFile(program + "/marker/texts.map",
              "t{p(1,2,3);rgb(ff);\"" + std::string(3000, 'T') + "\"}\nl{p(1e308,1e308,1e308);p(-1e308,0,0);rgb(ff)}\n"
              "m{p(nan,inf,-inf);rgb(ff);f}\nl{o(ffffffff);o(80000000);rgb(ff)}\nt{n(" + std::string(500, 'n') + ");rgb(1);\"x\"}\n");
    // The soak's marker lines load the folder's files by name among the rest of what it does.
    const soak::Report r = soak(3000, false, 37);
    EXPECT_TRUE(r.ok) << r.failure;
    EXPECT_GT(r.actions.at("console line submitted"), 0);
    expectStoreKept();
}

TEST_F(Faults, DamagedStarSystemFilesAreReadAsFarAsTheyGoWithoutAWord) {
    const std::string good = readBytes(program + "/systems/solar.ssd");
    std::vector<std::string> texts = damagedTexts(good);
    texts.push_back("[S]\n" + std::string(200, '9') + " 0 nan inf -inf 1e308 -1e308\n");
    for (size_t i = 0; i < texts.size(); ++i) writeFile(program + "/systems/damaged-" + std::to_string(i) + ".ssd", texts[i]);
    // The Sun's own file damaged too: its system is the one the soak enters most.
    soak::Random random(13);
    std::string sun = good;
    for (int i = 0; i < 300; ++i) sun[random.next() % sun.size()] = static_cast<char>(random.range(32, 126));
    writeFile(program + "/systems/solar.ssd", sun);
    const Outcome o = startOnce();
    EXPECT_TRUE(o.boxes.empty());
    EXPECT_EQ(o.code, 0);
    const soak::Report r = soak(3000, false, 41);
    EXPECT_TRUE(r.ok) << r.failure;
    EXPECT_GT(r.actions.at("journey"), 0);
    expectStoreKept();
}

// ---- The configuration store --------------------------------------------------------------------

TEST_F(Faults, AStoreOfBinaryJunkIsKeptAsideAndTheProgramStartsFromDefaults) {
    soak::Random random(17);
    std::string junk(30000, '\0');
    for (char& c : junk) c = static_cast<char>(random.next());
    for (const std::string& bytes : {junk, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\n" + junk, readBytes(storePath).substr(0, 700)}) {
        writeFile(storePath, bytes);
        const Outcome o = startOnce();
        EXPECT_TRUE(o.boxes.empty());
        EXPECT_EQ(o.code, 0);
        const bool readable = bytes.size() == 700;  // cut at a line, it may still parse
        if (!readable) {
            EXPECT_NE(o.log.find("\tStore: line "), std::string::npos) << o.log;
        }
        // The junk is kept for the user, byte for byte, and the new store is readable.
        bool kept = readable;
        for (const fs::directory_entry& e : fs::directory_iterator(root + "/config"))
            if (e.path().filename().string().find(".bad-") != std::string::npos && readBytes(e.path()) == bytes) kept = true;
        EXPECT_TRUE(kept);
        storedValues();
        const soak::Report r = soak(300);
        EXPECT_TRUE(r.ok) << r.failure;
    }
}

// A stored camera or macro of the wrong size or type, or of bytes that are no camera at all.
TEST_F(Faults, WrongSizedStoredCamerasAndMacrosLeaveTheCamerasSound) {
    const std::string cameras = std::string(app::registryRoot) + "\\cameras";
    const std::string macros = std::string(app::registryRoot) + "\\macros";
    std::vector<uint8_t> nan(sizeof(CameraRecord), 0xFF), big(1000, 0x11), shortRecord(10, 0xFF), odd(455, 0x7F);
    store::detail::unload();
    ASSERT_TRUE(store::writeValue(store::HKEY_LOCAL_MACHINE, cameras, "camera0", store::REG_BINARY, nan.data(), nan.size()));
    ASSERT_TRUE(store::writeValue(store::HKEY_LOCAL_MACHINE, cameras, "camera1", store::REG_BINARY, big.data(), big.size()));
    ASSERT_TRUE(store::writeValue(store::HKEY_LOCAL_MACHINE, cameras, "camera2", store::REG_BINARY, shortRecord.data(),
                                  shortRecord.size()));
    ASSERT_TRUE(store::writeValue(store::HKEY_LOCAL_MACHINE, cameras, "camera3", store::REG_BINARY, odd.data(), odd.size()));
    ASSERT_TRUE(store::writeValue(store::HKEY_LOCAL_MACHINE, cameras, "camera4", store::REG_BINARY, nullptr, 0));
    ASSERT_TRUE(store::writeDword(store::HKEY_LOCAL_MACHINE, cameras, "camera5", 7));
    ASSERT_TRUE(store::writeString(store::HKEY_LOCAL_MACHINE, cameras, "camera6", "not a camera"));
    ASSERT_TRUE(store::writeValue(store::HKEY_LOCAL_MACHINE, macros, "M41", store::REG_BINARY, big.data(), big.size()));
    ASSERT_TRUE(store::writeString(store::HKEY_LOCAL_MACHINE, macros, "M42", std::string(100000, 'x') + ";" + "camera 9"));
    ASSERT_TRUE(store::writeString(store::HKEY_LOCAL_MACHINE, macros, "M43", std::string("show pos\0exit", 13)));
    ASSERT_TRUE(store::writeDword(store::HKEY_LOCAL_MACHINE, macros, "M44", 1));
    ASSERT_TRUE(store::writeString(store::HKEY_LOCAL_MACHINE, macros, "MZZ", "exit"));
    // Refused cameras are written back as the default; the values of the first session (taken
    // before these) are what must still be readable.
    // The soak checks every camera every frame, the loaded ones among them (F1 to F8, Shift+F1 to
    // F8), and runs the macros with Ctrl and their keys.
    const soak::Report r = soak(3000, false, 43);
    EXPECT_TRUE(r.ok) << r.failure;
    expectStoreKept();
}

// ---- Writing --------------------------------------------------------------------------------

// Root writes where it likes: the runs below take the file-system identity of nobody, which
// drops the right to override permissions, on this thread only (the program's one thread).
struct AsNobody {
    AsNobody() : previous(setfsuid(65534)) {}
    ~AsNobody() { setfsuid(static_cast<uid_t>(previous)); }
    int previous;
};

TEST_F(Faults, AnUnwritableProgramFolderLosesTheLogAndScreenshotsAndNothingElse) {
    // The store stays writable: it lives in the user's folder, not the program's.
    fs::permissions(root, fs::perms::all);
    fs::permissions(root + "/config", fs::perms::all);
    fs::permissions(storePath, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read |
                                   fs::perms::others_write | fs::perms::group_read | fs::perms::group_write);
    fs::remove(program + "/vyrex.log");
    // Screenshots of the first session that its soak ended before reading.
    for (const fs::directory_entry& e : fs::directory_iterator(program))
        if (e.path().extension() == ".bmp") fs::remove(e.path());
    fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                 fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    soak::Report r;
    {
        AsNobody nobody;
        const std::string probe = program + "/probe";
        ASSERT_FALSE(std::ofstream(probe).is_open()) << "the folder is still writable";
        r = soak(3000, false, 47);
    }
    EXPECT_TRUE(r.ok) << r.failure;
    EXPECT_GT(r.actions.at("key with Shift or Ctrl"), 0);
    EXPECT_FALSE(fs::exists(program + "/vyrex.log"));
    for (const fs::directory_entry& e : fs::directory_iterator(program))
        EXPECT_NE(e.path().extension(), ".bmp") << e.path();
    expectStoreKept();
}

// A disk that fills up while the settings are saved: every write of the store fails, and the
// store stays the text it was, byte for byte.
TEST_F(Faults, AFullDiskWhileSavingSettingsLeavesTheStoreAsItWas) {
    const std::string before = readBytes(storePath);
    ASSERT_GT(before.size(), 1000u);
    // A file may grow no further than a little under the store's size: the store's write fails
    // as on a full disk (and so do the log's and the screenshots').
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
    const struct rlimit small {before.size() - 100, old.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const soak::Report r = soak(2000, false, 53);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousSignal);
    EXPECT_TRUE(r.ok) << r.failure;
    EXPECT_EQ(readBytes(storePath), before);
    expectStoreKept();
    // With room again the next session saves as usual.
    const soak::Report again = soak(300);
    EXPECT_TRUE(again.ok) << again.failure;
    expectStoreKept();
}

}  // namespace
