// Notes source → "stellar.note": tags with upper-case hexadecimal identifiers and resolved links.
#include "notes.h"

#include <cstdio>
#include <vector>

#include "common.h"

namespace sky {

std::string buildNotes(const std::string& sourcePath, const ObjectResolver& resolve, int& count) {
    std::vector<std::string> lines = readLines(sourcePath);
    std::string out, text;
    uint32_t current = 0;
    size_t startLine = 0;
    bool open = false;
    count = 0;
    auto tag = [](uint32_t id) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%08X", id);
        return std::string(buf);
    };
    auto close = [&]() {
        if (!open) return;
        std::string body = trim(text);
        if (body.empty()) fail(where(sourcePath, startLine), "note without text");
        if (body[0] == '<') fail(where(sourcePath, startLine), "a note must begin with plain words, not a tag");
        // Links: <a "@HIP 123"> → <a "@0000ABCD">.
        std::string done;
        size_t p = 0;
        for (;;) {
            size_t a = body.find("<a \"@", p);
            if (a == std::string::npos) break;
            size_t q = body.find('"', a + 4);
            if (q == std::string::npos) fail(where(sourcePath, startLine), "unterminated link");
            std::string ref = body.substr(a + 5, q - a - 5);
            uint32_t id;
            if (!resolve(ref, id)) fail(where(sourcePath, startLine), "link to unknown object '" + ref + "'");
            done += body.substr(p, a - p) + "<a \"@" + tag(id) + "\"";
            p = q + 1;
        }
        done += body.substr(p);
        if (done.find("<n") != std::string::npos) fail(where(sourcePath, startLine), "'<n' would start another note");
        out += "<n#" + tag(current) + ">" + done + "\n";
        ++count;
        open = false;
        text.clear();
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        if (!l.empty() && l[0] == '#') continue;
        if (!l.empty() && l[0] == '@') {
            close();
            std::string ref = trim(l.substr(1));
            if (!resolve(ref, current)) fail(where(sourcePath, i), "unknown object '" + ref + "'");
            open = true;
            startLine = i;
            continue;
        }
        if (!open) {
            if (!trim(l).empty()) fail(where(sourcePath, i), "text before the first '@' object line");
            continue;
        }
        text += l + "\n";
    }
    close();
    return out;
}

}  // namespace sky
