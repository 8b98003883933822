// Log channels, the bug-report header and the developer diagnostics (ping, watch, assert, break).
#include "base/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/app.h"
#include "platform/platform.h"

namespace logc {
namespace {

enum Kind { kClosed = 0, kSerial = 1, kFile = 2, kNull = 3 };

struct Channel {
    int kind = kClosed;
    int port = -1;            // serial descriptor (kind 1); -1 when the port did not open
    int file = -1;            // appending file descriptor (kind 2)
};

Channel channels[kChannels];
bool tableStarted = false;

bool validChannel(int channel) { return channel >= 0 && channel < kChannels; }

void closeOne(Channel& c) {
    if (c.kind == kSerial && c.port >= 0) platform::closeSerialPort(c.port);
    if (c.kind == kFile) platform::closeFile(c.file);
    c = Channel{};
}

void writeBytes(int channel, const char* text, size_t size) {
    Channel& c = channels[channel];
    if (c.kind == kSerial) {
        if (c.port >= 0) platform::writeSerialPort(c.port, text, size);
    } else if (c.kind == kFile) {
        // Unbuffered: every message is in the file once print returns, so the log is complete
        // up to the last line even if the process dies.
        platform::writeFile(c.file, text, size);
    }
}

// Formats into a fixed buffer: vsnprintf cuts the message at kMessageMax characters and never
// writes past the buffer, however long the arguments are.
void vprint(int channel, const char* format, va_list args) {
    char text[kMessageMax + 1];
    int n = std::vsnprintf(text, sizeof text, format, args);
    if (n < 0) return;
    size_t size = static_cast<size_t>(n) < sizeof text ? static_cast<size_t>(n) : kMessageMax;
    writeBytes(channel, text, size);
}

bool writes(int channel) {
    if (!validChannel(channel)) return false;
    int kind = channels[channel].kind;
    return kind == kSerial || kind == kFile;
}

const char* const kModelNames[] = {"unknown CPU", "i386",       "i486",           "Pentium",
                                   "PentiumPro",  "PentiumII",  "unknown Pentium"};

}  // namespace

void resetChannels() {
    // A channel still open from an earlier run of the table is closed rather than forgotten, so
    // its stream is neither leaked nor left pointing at a closed file.
    for (Channel& c : channels) closeOne(c);
    tableStarted = true;
}

void openChannel(int channel, const char* sink) {
    if (!validChannel(channel) || !sink) return;
    Channel& c = channels[channel];
    closeOne(c);
    if (std::strncmp(sink, "com", 3) == 0) {
        // A port that does not open is still a serial channel; its output is lost.
        c.kind = kSerial;
        c.port = platform::openSerialPort(sink);
    } else if (sink[0] == '$') {
        c.file = platform::openFile(sink + 1, platform::FileMode::kAppend);
        c.kind = c.file >= 0 ? kFile : kNull;
    } else if (std::strncmp(sink, "nul", 3) == 0) {
        c.kind = kNull;
    }
}

void closeChannels() {
    for (Channel& c : channels) closeOne(c);
}

int channelKind(int channel) { return validChannel(channel) ? channels[channel].kind : kClosed; }

void print(int channel, const char* format, ...) {
    if (!writes(channel)) return;
    va_list args;
    va_start(args, format);
    vprint(channel, format, args);
    va_end(args);
}

void printAt(int channel, const char* source, int line, const char* format, ...) {
    if (!writes(channel)) return;
    print(channel, "\r\n*** Print (%s:%d)", source, line);
    va_list args;
    va_start(args, format);
    vprint(channel, format, args);
    va_end(args);
}

void writeHeader() {
    const platform::SystemInfo& si = app::systemInfo;
    const app::StartMode& m = app::mode;

    const platform::CalendarTime ut = platform::universalTime();

    print(1, "\r\n*****************************************************");
    print(1, "\r\n* Build: [0018|%s|%s]", __DATE__, __TIME__);
    print(1, "\r\n*");
    print(1, "\r\n* Bug Report (%d/%d/%d , %d:%d:%d UT)", ut.year, ut.month, ut.day, ut.hour, ut.minute,
          ut.second);
    print(1, "\r\n*");
    print(1, "\r\n* Name:  ______________________________________");
    print(1, "\r\n* email: ______________________________________");
    print(1, "\r\n*");
    print(1, "\r\n* My problem is the following:");
    for (int i = 0; i < 7; ++i) print(1, "\r\n*\t__________________________________________________");
    print(1, "\r\n*");
    print(1, "\r\n* My System is:");

    print(1, "\r\n\tCPU: #%d ", si.processorCount);
    print(1, "%s", si.nonIntel ? " Clone " : " Intel ");
    int model = si.cpuModel >= 0 && si.cpuModel <= 6 ? si.cpuModel : 0;
    print(1, "%s", kModelNames[model]);
    if (si.mmx) print(1, " MMX");
    print(1, " @ %dMhz", si.clockMHz);
    if (si.processorCount > 1)
        print(1, "\r\n\t\tActive CPU bitmap mask %08llX", static_cast<unsigned long long>(si.activeProcessorMask));

    print(1, "\r\n\tMemory: %lluKb (physical %lluKb) , load:%d%%",
          static_cast<unsigned long long>(si.availPageFile / 1024),
          static_cast<unsigned long long>(si.availPhysical / 1024), si.memoryLoad);

    print(1, "\r\n\tMouse:");
    if (!si.mouse.present) {
        print(1, " not Present");
    } else {
        print(1, "Present");
        print(1, ", Buttons:%d", si.mouse.buttons);
        if (si.mouse.swapped) print(1, " Swaped");
        if (si.mouse.wheel) print(1, " ZMouse");
    }

    print(1, "\r\n\tOS: ");
    print(1, "%s", si.osName.c_str());
    print(1, " Version %d.%d ", si.osMajor, si.osMinor);
    print(1, "Build %d", si.osBuild);
    print(1, "\r\n\tDirectX: Version %d.%d.%d.%d", si.displayVersion[0], si.displayVersion[1],
          si.displayVersion[2], si.displayVersion[3]);

    print(1, "\r\n* Vyrex startup:");
    print(1, "\r\n\tCmd Line: %s", app::commandLine);
    print(1, "\r\n\tStart mode: DB%d  SRV%d  GUI%d  CNF%d  PLG%d  RST%d", m.DB, m.SRV, m.GUI, m.CNF, m.PLG,
          m.RST);
    print(1, "\r\n\tREG:%s", app::registryRoot);
    print(1, "\r\n\tPATH:%s", app::programFolder);
}

void ping(const char* source, int line, const char* text) {
    print(0, "\r\n*** Ping (%s:%d) ***", source, line);
    print(0, "\r\n'%s'", text);
}

void watch(const char* source, int line, const char* name, const void* address, long length,
           const char* comment) {
    print(0, "\r\n*** Watch (%s:%d) ***", source, line);
    print(0, "\r\n%s=0x%lx (%ld) '%s'", name, static_cast<unsigned long>(reinterpret_cast<uintptr_t>(address)),
          length, comment);
    if (length <= 0 || !address) return;
    // The last row stops at the given length: bytes beyond it may not be readable, so their
    // columns stay blank instead of being read.
    const auto* bytes = static_cast<const unsigned char*>(address);
    long rows = (length + 15) / 16;
    for (long r = 0; r < rows; ++r) {
        char row[kMessageMax + 1];
        int n = std::snprintf(row, sizeof row, "\r\n%lx:\t",
                              static_cast<unsigned long>(reinterpret_cast<uintptr_t>(bytes + r * 16)));
        for (int i = 0; i < 16; ++i) {
            long at = r * 16 + i;
            if (at < length)
                n += std::snprintf(row + n, sizeof row - n, "%02lx ", static_cast<unsigned long>(bytes[at]));
            else
                n += std::snprintf(row + n, sizeof row - n, "   ");
        }
        n += std::snprintf(row + n, sizeof row - n, "\t");
        for (int i = 0; i < 16 && r * 16 + i < length; ++i) {
            unsigned char b = bytes[r * 16 + i];
            row[n++] = b < 32 ? '.' : static_cast<char>(b);
        }
        row[n] = 0;
        print(0, "%s", row);
    }
}

// Both end the process after closing the channels. abort() rather than exit(): a developer who
// put the check there wants the core dump or the debugger stop at the failing line.
void fatalAssert(const char* source, int line, const char* expression, const char* comment) {
    print(0, "\r\n*** Assert (%s:%d) ***", source, line);
    print(0, "\r\n(%s) '%s'", expression, comment);
    print(0, "\r\n(FATAL ASSERT)");
    closeChannels();
    std::abort();
}

void fatalBreak(const char* source, int line, const char* expression, const char* comment) {
    print(0, "\r\n*** Break (%s:%d) ***", source, line);
    print(0, "\r\n(%s) '%s'", expression, comment);
    print(0, "\r\n(FATAL BREAK)");
    closeChannels();
    std::abort();
}

}  // namespace logc
