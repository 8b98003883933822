// Reader of X11 portable compiled fonts (the misc-fixed bitmap fonts) and the builder of the
// console font "default.bft" from one of them.
#include <cstring>

#include "assetbuild.h"

namespace assets {
namespace {

constexpr uint32_t kAccelerators = 1u << 1;
constexpr uint32_t kMetrics = 1u << 2;
constexpr uint32_t kBitmaps = 1u << 3;
constexpr uint32_t kEncodings = 1u << 5;
constexpr uint32_t kBdfAccelerators = 1u << 8;
constexpr uint32_t kCompressedMetrics = 0x100;

// Bounds-checked reader over one table; every read past the end sets `bad` and yields 0.
struct Cursor {
    const uint8_t* data;
    size_t size;
    size_t pos;
    bool bigEndian = false;
    bool bad = false;

    bool need(size_t n) {
        if (bad || pos > size || size - pos < n) {
            bad = true;
            return false;
        }
        return true;
    }
    uint32_t u8() { return need(1) ? data[pos++] : 0; }
    uint32_t u16() {
        if (!need(2)) return 0;
        uint32_t a = data[pos], b = data[pos + 1];
        pos += 2;
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    }
    uint32_t u32() {
        if (!need(4)) return 0;
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            uint32_t byte = data[pos + (bigEndian ? i : 3 - i)];
            v = v << 8 | byte;
        }
        pos += 4;
        return v;
    }
    int32_t s16() { return static_cast<int16_t>(u16()); }
    int32_t s32() { return static_cast<int32_t>(u32()); }
};

struct Table {
    uint32_t type, format, size, offset;
};

struct Metric {
    int lsb, rsb, width, ascent, descent;
};

// Positions a cursor at a table: reads its format word (always little-endian) and takes the
// table's byte order from it.
bool openTable(const uint8_t* data, size_t size, const Table& t, Cursor& c, uint32_t& format) {
    if (t.offset > size || size - t.offset < 4) return false;
    size_t end = size - t.offset < t.size ? size : t.offset + t.size;
    c = Cursor{data, end, t.offset};
    format = c.u32();
    c.bigEndian = (format & 4) != 0;
    return !c.bad;
}

}  // namespace

bool parsePcf(const uint8_t* data, size_t size, BitmapFont& font, std::string& error) {
    font = BitmapFont{};
    Cursor head{data, size, 0};
    if (size < 8 || std::memcmp(data, "\1fcp", 4) != 0) {
        error = "not a PCF font";
        return false;
    }
    head.pos = 4;
    uint32_t count = head.u32();
    if (count > 64) {
        error = "implausible table count";
        return false;
    }
    std::vector<Table> tables;
    for (uint32_t i = 0; i < count; ++i) {
        Table t{head.u32(), head.u32(), head.u32(), head.u32()};
        if (head.bad) {
            error = "truncated table of contents";
            return false;
        }
        tables.push_back(t);
    }
    const Table* metricsT = nullptr;
    const Table* bitmapsT = nullptr;
    const Table* encT = nullptr;
    const Table* accelT = nullptr;
    for (const Table& t : tables) {
        if (t.type == kMetrics) metricsT = &t;
        if (t.type == kBitmaps) bitmapsT = &t;
        if (t.type == kEncodings) encT = &t;
        if (t.type == kBdfAccelerators || (t.type == kAccelerators && !accelT)) accelT = &t;
    }
    if (!metricsT || !bitmapsT || !encT || !accelT) {
        error = "missing metrics, bitmaps, encodings or accelerators";
        return false;
    }

    // Font ascent and descent.
    Cursor c{data, 0, 0};
    uint32_t format;
    if (!openTable(data, size, *accelT, c, format)) {
        error = "bad accelerator table";
        return false;
    }
    c.pos += 8;  // flag bytes
    int fontAscent = c.s32(), fontDescent = c.s32();
    if (c.bad || fontAscent < 0 || fontDescent < 0 || fontAscent > 64 || fontDescent > 64) {
        error = "bad font ascent or descent";
        return false;
    }
    font.ascent = fontAscent;
    font.cellHeight = fontAscent + fontDescent;

    // Metrics.
    if (!openTable(data, size, *metricsT, c, format)) {
        error = "bad metrics table";
        return false;
    }
    std::vector<Metric> metrics;
    bool compressed = (format & 0xFFFFFF00u) == kCompressedMetrics;
    uint32_t nMetrics = compressed ? c.u16() : c.u32();
    if (nMetrics > 70000) {
        error = "implausible glyph count";
        return false;
    }
    for (uint32_t i = 0; i < nMetrics && !c.bad; ++i) {
        Metric m;
        if (compressed) {
            m.lsb = static_cast<int>(c.u8()) - 0x80;
            m.rsb = static_cast<int>(c.u8()) - 0x80;
            m.width = static_cast<int>(c.u8()) - 0x80;
            m.ascent = static_cast<int>(c.u8()) - 0x80;
            m.descent = static_cast<int>(c.u8()) - 0x80;
        } else {
            m.lsb = c.s16();
            m.rsb = c.s16();
            m.width = c.s16();
            m.ascent = c.s16();
            m.descent = c.s16();
            c.u16();
        }
        metrics.push_back(m);
    }
    if (c.bad) {
        error = "truncated metrics";
        return false;
    }

    // Bitmaps.
    if (!openTable(data, size, *bitmapsT, c, format)) {
        error = "bad bitmap table";
        return false;
    }
    uint32_t nBitmaps = c.u32();
    if (nBitmaps != nMetrics) {
        error = "bitmap and metric counts differ";
        return false;
    }
    std::vector<uint32_t> offsets(nBitmaps);
    for (uint32_t& o : offsets) o = c.u32();
    uint32_t sizes[4];
    for (uint32_t& s : sizes) s = c.u32();
    if (c.bad) {
        error = "truncated bitmap table";
        return false;
    }
    const size_t bitsStart = c.pos;
    const size_t bitsSize = sizes[format & 3];
    if (bitsStart > c.size || c.size - bitsStart < bitsSize) {
        error = "bitmap data runs past the table";
        return false;
    }
    const int pad = 1 << (format & 3);
    const bool byteMsb = (format & 4) != 0;
    const bool bitMsb = (format & 8) != 0;
    const int scanUnit = 1 << ((format >> 4) & 3);

    // Encodings.
    Cursor e{data, 0, 0};
    uint32_t encFormat;
    if (!openTable(data, size, *encT, e, encFormat)) {
        error = "bad encoding table";
        return false;
    }
    int minChar = e.s16(), maxChar = e.s16(), minByte1 = e.s16(), maxByte1 = e.s16();
    e.s16();  // default character
    if (e.bad || minChar < 0 || maxChar > 255 || minChar > maxChar || minByte1 < 0 || maxByte1 > 255 ||
        minByte1 > maxByte1) {
        error = "bad encoding table";
        return false;
    }
    // Codes 0..255 are row byte1 = 0 of the encoding; a font whose rows start higher has none.
    if (minByte1 != 0) {
        error = "the font has no glyphs for codes 0..255";
        return false;
    }
    const size_t encodingStart = e.pos;

    font.glyphs.assign(256, BitmapGlyph{});
    for (int code = minChar; code <= maxChar; ++code) {
        e.pos = encodingStart + 2 * static_cast<size_t>(code - minChar);
        uint32_t index = e.u16();
        if (e.bad) {
            error = "truncated encoding table";
            return false;
        }
        if (index == 0xFFFF) continue;
        if (index >= nMetrics) {
            error = "glyph index out of range";
            return false;
        }
        const Metric& m = metrics[index];
        const int bitsWide = m.rsb - m.lsb;
        const int rows = m.ascent + m.descent;
        if (m.width < 0 || m.width > 64 || bitsWide < 0 || bitsWide > 64 || rows < 0 || rows > 64) {
            error = "implausible glyph metrics";
            return false;
        }
        const size_t stride = static_cast<size_t>((bitsWide + 8 * pad - 1) / (8 * pad)) * pad;
        if (offsets[index] > bitsSize || bitsSize - offsets[index] < stride * rows) {
            error = "glyph bitmap outside the bitmap data";
            return false;
        }
        const uint8_t* bits = data + bitsStart + offsets[index];
        BitmapGlyph g;
        g.present = true;
        g.width = m.width;
        g.ink.assign(static_cast<size_t>(font.cellHeight) * m.width, 0);
        for (int y = 0; y < rows; ++y) {
            int cy = fontAscent - m.ascent + y;
            for (int x = 0; x < bitsWide; ++x) {
                size_t byteIndex = static_cast<size_t>(x >> 3);
                if (byteMsb != bitMsb && scanUnit > 1) {
                    // Bytes of a scan unit are stored in the opposite order to the bits.
                    size_t unit = byteIndex / scanUnit, inUnit = byteIndex % scanUnit;
                    byteIndex = unit * scanUnit + (scanUnit - 1 - inUnit);
                }
                if (byteIndex >= stride) continue;
                uint8_t byte = bits[static_cast<size_t>(y) * stride + byteIndex];
                int bit = bitMsb ? 7 - (x & 7) : (x & 7);
                int cx = m.lsb + x;
                if ((byte >> bit & 1) && cy >= 0 && cy < font.cellHeight && cx >= 0 && cx < m.width)
                    g.ink[static_cast<size_t>(cy) * m.width + cx] = 1;
            }
        }
        font.glyphs[code] = std::move(g);
    }
    return true;
}

bool buildConsoleFont(const BitmapFont& font, Bytes& out, std::string& error) {
    if (font.cellHeight > 8 || font.glyphs.size() < 128) {
        error = "the console font needs a font at most 8 pixels high";
        return false;
    }
    out.assign(96 * 48, 0);
    for (int code = 32; code < 128; ++code) {
        const BitmapGlyph& g = font.glyphs[code];
        if (code == 127 || !g.present) continue;  // DEL has no picture: left blank
        if (g.width > 5) {
            error = "glyph wider than the 5 drawn columns";
            return false;
        }
        uint8_t* cell = &out[static_cast<size_t>(code - 32) * 48];
        for (int y = 0; y < font.cellHeight; ++y)
            for (int x = 0; x < g.width; ++x)
                if (g.ink[static_cast<size_t>(y) * g.width + x]) cell[y * 6 + x] = 0xFF;
    }
    return true;
}

}  // namespace assets
