// Log channels: eight numbered outputs, each closed, a file opened for appending, a serial port
// or a null sink. Channel 1 is the program's log ("$vyrex.log" with -d, else null); channel 0 is
// the null sink that the diagnostic operations write to unless a developer rebinds it.
//
// Every formatted message is cut to 127 characters. A file channel flushes after every message so
// the log is complete up to the last line even if the process dies.
#pragma once

#include <cstddef>

namespace logc {

constexpr int kChannels = 8;
constexpr int kMessageMax = 127;

void resetChannels();
// sink: "com<N>" serial port, "$<file>" append to a file, "nul..." null sink.
void openChannel(int channel, const char* sink);
void closeChannels();

void print(int channel, const char* format, ...) __attribute__((format(printf, 2, 3)));
void printAt(int channel, const char* source, int line, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

// The bug-report header with the machine description and how the program was started.
void writeHeader();

// Developer diagnostics on channel 0.
void ping(const char* source, int line, const char* text);
void watch(const char* source, int line, const char* name, const void* address, long length,
           const char* comment);
[[noreturn]] void fatalAssert(const char* source, int line, const char* expression, const char* comment);
[[noreturn]] void fatalBreak(const char* source, int line, const char* expression, const char* comment);

// Kind of a channel: 0 closed, 1 serial, 2 file, 3 null.
int channelKind(int channel);

}  // namespace logc
