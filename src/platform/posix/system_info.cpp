// System information for the log header: processors, memory, kernel, mouse and the presentation
// library's version.
#include <sched.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/platform.h"
#include "platform/posix/posix_internal.h"

namespace platform {
namespace posix {
namespace {

bool readText(const char* path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// "key<TAB>: value" of a /proc/cpuinfo line, or false.
bool splitField(const std::string& line, std::string& key, std::string& value) {
    size_t colon = line.find(':');
    if (colon == std::string::npos) return false;
    key = trim(line.substr(0, colon));
    value = trim(line.substr(colon + 1));
    return true;
}

bool hasWord(const std::string& list, const char* word) {
    std::istringstream s(list);
    std::string w;
    while (s >> w)
        if (w == word) return true;
    return false;
}

// Bit `bit` of a /proc/bus/input/devices bitmap: hex words, most significant first, each word
// as wide as the kernel's long.
bool bitmapBit(const std::string& words, int bit, int wordBits) {
    std::istringstream s(words);
    std::vector<std::string> list;
    std::string w;
    while (s >> w) list.push_back(w);
    size_t index = static_cast<size_t>(bit / wordBits);
    if (index >= list.size()) return false;
    unsigned long long v = std::strtoull(list[list.size() - 1 - index].c_str(), nullptr, 16);
    return (v >> (bit % wordBits)) & 1ull;
}

}  // namespace

void parseCpuInfo(const std::string& text, SystemInfo& info) {
    std::istringstream in(text);
    std::string line, key, value, vendor;
    int family = -1, model = -1;
    double mhz = 0;
    bool firstDone = false;  // only the first processor's block describes the model
    while (std::getline(in, line)) {
        if (!splitField(line, key, value)) {
            if (trim(line).empty() && !vendor.empty()) firstDone = true;
            continue;
        }
        if (firstDone) continue;
        if (key == "vendor_id") vendor = value;
        else if (key == "cpu family") family = std::atoi(value.c_str());
        else if (key == "model") model = std::atoi(value.c_str());
        else if (key == "cpu MHz") mhz = std::atof(value.c_str());
        else if (key == "flags") info.mmx = hasWord(value, "mmx");
    }
    info.nonIntel = vendor != "GenuineIntel";
    info.clockMHz = static_cast<int>(mhz + 0.5);
    // Model numbers name the processor classes of the log header. A clone is named by the class
    // it is compatible with up to the Pentium; anything newer from another maker is unknown.
    int m = 0;
    if (family == 3) m = 1;
    else if (family == 4) m = 2;
    else if (family == 5) m = 3;
    else if (!info.nonIntel && family == 6 && model == 1) m = 4;
    else if (!info.nonIntel && family == 6 && (model == 3 || model == 5 || model == 6)) m = 5;
    else if (!info.nonIntel && family >= 6) m = 6;
    info.cpuModel = m;
}

MouseInfo parseInputDevices(const std::string& text) {
    // No devices at all (not even a keyboard) means they are hidden from us, as in containers
    // and virtual machines, not that the desktop has no pointer.
    if (text.find("H: Handlers=") == std::string::npos) return MouseInfo{};
    MouseInfo result;
    result.present = false;
    result.buttons = 0;
    result.wheel = false;
    const int wordBits = static_cast<int>(sizeof(long) * 8);
    std::istringstream in(text + "\n\n");
    std::string line, handlers, keys, rels;
    while (std::getline(in, line)) {
        if (!trim(line).empty()) {
            if (line.rfind("H: Handlers=", 0) == 0) handlers = line.substr(12);
            else if (line.rfind("B: KEY=", 0) == 0) keys = line.substr(7);
            else if (line.rfind("B: REL=", 0) == 0) rels = line.substr(7);
            continue;
        }
        // End of one device's block.
        bool isMouse = false;
        std::istringstream hs(handlers);
        std::string h;
        while (hs >> h)
            if (h.rfind("mouse", 0) == 0) isMouse = true;
        if (isMouse) {
            result.present = true;
            int buttons = 0;
            for (int bit = 0x110; bit <= 0x117; ++bit)
                if (bitmapBit(keys, bit, wordBits)) ++buttons;
            if (buttons > result.buttons) result.buttons = buttons;
            if (bitmapBit(rels, 8, wordBits)) result.wheel = true;  // REL_WHEEL
        }
        handlers.clear();
        keys.clear();
        rels.clear();
    }
    return result;
}

MouseInfo probeMouse() {
    std::string text;
    if (!readText("/proc/bus/input/devices", text)) return MouseInfo{};
    return parseInputDevices(text);
}

}  // namespace posix

SystemInfo gatherSystemInfo() {
    SystemInfo info;

    long online = ::sysconf(_SC_NPROCESSORS_ONLN);
    info.processorCount = online > 0 ? static_cast<int>(online) : 1;
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0) {
        uint64_t mask = 0;
        for (int i = 0; i < 64; ++i)
            if (CPU_ISSET(i, &set)) mask |= 1ull << i;
        info.activeProcessorMask = mask;
    }

    std::string cpuinfo;
    if (posix::readText("/proc/cpuinfo", cpuinfo)) posix::parseCpuInfo(cpuinfo, info);
    if (info.clockMHz == 0) {
        // Processors whose cpuinfo has no clock line report it through cpufreq, in kHz.
        std::string khz;
        if (posix::readText("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq", khz))
            info.clockMHz = static_cast<int>(std::atol(khz.c_str()) / 1000);
    }

    struct sysinfo si {};
    if (::sysinfo(&si) == 0) {
        uint64_t unit = si.mem_unit ? si.mem_unit : 1;
        info.availPageFile = static_cast<uint64_t>(si.freeswap) * unit;
        info.availPhysical = static_cast<uint64_t>(si.freeram) * unit;
        if (si.totalram > 0)
            info.memoryLoad = static_cast<int>((si.totalram - si.freeram) * 100 / si.totalram);
    }

    struct utsname u {};
    if (::uname(&u) == 0) {
        info.osName = u.sysname;
        // "6.1.0-18-amd64" → 6, 1, 0: the kernel release's three numbers.
        std::sscanf(u.release, "%d.%d.%d", &info.osMajor, &info.osMinor, &info.osBuild);
    }

    displayLibraryVersion(info.displayVersion);
    info.mouse = mouseInfo();
    return info;
}

bool processorHasAvx2() {
#if defined(__x86_64__)
    __builtin_cpu_init();  // may run among the constructors, before the library's own
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

}  // namespace platform
