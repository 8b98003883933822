// Reader of Hershey vector fonts in the ".jhf" text layout: per glyph a 5-character number, a
// 3-character vertex count, then pairs of characters (value − 'R') of which the first pair is the
// glyph's left and right side bearing and " R" lifts the pen. Long glyphs may continue over line
// breaks. Kept apart from the font builder so that tests and the fuzz target can compile it alone.
#include "assetbuild.h"

namespace assets {

bool parseJhf(const uint8_t* data, size_t size, std::vector<HersheyGlyph>& glyphs, std::string& error) {
    glyphs.clear();
    size_t pos = 0;
    auto skipLineEnds = [&] {
        while (pos < size && (data[pos] == '\n' || data[pos] == '\r')) ++pos;
    };
    // The next character of glyph data; line breaks inside a glyph are continuation.
    auto next = [&](uint8_t& ch) {
        skipLineEnds();
        if (pos >= size) return false;
        ch = data[pos++];
        return true;
    };
    while (true) {
        skipLineEnds();
        if (pos >= size) break;
        if (size - pos < 8) {
            error = "truncated glyph header";
            return false;
        }
        int count = 0;
        bool digits = false;
        for (int i = 5; i < 8; ++i) {
            uint8_t ch = data[pos + i];
            if (ch == ' ' && !digits) continue;
            if (ch < '0' || ch > '9') {
                error = "bad vertex count";
                return false;
            }
            digits = true;
            count = count * 10 + (ch - '0');
        }
        pos += 8;
        if (count < 1) {
            error = "glyph without side bearings";
            return false;
        }
        HersheyGlyph g;
        std::vector<int> run;
        for (int v = 0; v < count; ++v) {
            uint8_t a, b;
            if (!next(a) || !next(b)) {
                error = "truncated glyph data";
                return false;
            }
            if (a < 32 || a > 126 || b < 32 || b > 126) {
                error = "bad coordinate character";
                return false;
            }
            if (v == 0) {
                g.left = a - 'R';
                g.right = b - 'R';
                continue;
            }
            if (a == ' ' && b == 'R') {  // pen up
                if (run.size() >= 4) g.polylines.push_back(run);
                run.clear();
                continue;
            }
            run.push_back(a - 'R');
            run.push_back(b - 'R');
        }
        if (run.size() >= 4) g.polylines.push_back(run);
        glyphs.push_back(std::move(g));
        if (glyphs.size() > 4096) {
            error = "too many glyphs";
            return false;
        }
    }
    return true;
}

}  // namespace assets
