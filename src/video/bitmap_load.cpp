// Loading a BMP by name through the pack files' streams.
#include <cstdio>
#include <memory>
#include <new>

#include "vfs/vfs.h"
#include "video/draw.h"

namespace draw {

BitmapPtr loadBitmap(const char* name) {
    const int stream = name != nullptr ? vfs::openStream(name) : 0;
    if (stream == 0) {
        setError(kErrFileNotFound, "bitmap file not found in the packs");
        return nullptr;
    }
    long size = -1;
    if (vfs::seekStream(stream, 0, SEEK_END) == 0) size = vfs::tellStream(stream);
    BitmapPtr result;
    if (size < 0 || vfs::seekStream(stream, 0, SEEK_SET) != 0) {
        setError(kErrFileRead, "bitmap file cannot be read");
    } else {
        std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[(size_t)size + 1]);
        if (!bytes) {
            setError(kErrNoMemory, "out of memory for a bitmap file");
        } else if (vfs::readStream(bytes.get(), 1, (size_t)size, stream) != (size_t)size) {
            setError(kErrFileRead, "bitmap file cannot be read");
        } else {
            result = parseBmp(bytes.get(), (size_t)size);
        }
    }
    vfs::closeStream(stream);
    return result;
}

}  // namespace draw
