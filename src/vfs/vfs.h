// Pack files: every data file of the program is read from ".vfs" packs in the program folder's
// "data" folder, merged into one directory of at most 256 bare names; a later pack overrides a
// same-named file of an earlier one. Loaded files stay in memory, unchanged, until the packs are
// closed at shutdown; loading a name twice returns the same block and reads the pack once.
//
// Packs are opened read-only and checked before any entry is trusted: bad packs are refused
// whole, never half-merged.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vfs {

constexpr int kMaxEntries = 256;
constexpr int kMaxStreams = 16;   // slots 1..15 are handed out; 0 means failure
constexpr int kNameMax = 31;

// Opens "vyrex2.vfs" and "catalog.vfs" (required) and every other "*.vfs" of
// <program folder>/data. Returns 1, or 0 if a required pack failed.
int openPacks();
void closePacks();

// The whole file, or nullptr if no pack holds the name; *size gets the size (0 when missing).
const uint8_t* loadFile(const char* name, size_t* size);

// Streams over packed files (the bitmap loader reads through these). openStream gives the lowest
// free handle 1..15, or 0 when the name is missing or all are in use. seekStream (whence 0 start,
// 1 current, 2 end) returns 0, or -1 for a bad handle or whence; a position outside the file
// becomes the end. readStream copies only whole items that lie within the file and returns their
// count. writeStream writes nothing and returns 0: packs are read-only.
int openStream(const char* name);
void closeStream(int handle);
long seekStream(int handle, long offset, int whence);
long tellStream(int handle);
size_t readStream(void* buffer, size_t itemSize, size_t itemCount, int handle);
size_t writeStream(const void* buffer, size_t itemSize, size_t itemCount, int handle);

}  // namespace vfs
