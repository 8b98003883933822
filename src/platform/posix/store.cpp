// The configuration store: a REGEDIT4 text file read once, kept in memory, and rewritten whole and
// atomically on every change.
#include "platform/store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <strings.h>

#include "platform/posix/store_internal.h"

namespace store {
namespace detail {
namespace {

const char* const kHiveNames[] = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"};

bool equalNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool startsWithNoCase(const std::string& s, size_t at, const char* prefix) {
    size_t n = std::strlen(prefix);
    return s.size() - at >= n && strncasecmp(s.c_str() + at, prefix, n) == 0;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string trimRight(const std::string& s) {
    size_t e = s.size();
    while (e > 0 && isBlank(s[e - 1])) --e;
    return s.substr(0, e);
}

// A key path: a known hive, then non-empty names separated by single backslashes.
bool validKeyPath(const std::string& path) {
    size_t hiveEnd = path.find('\\');
    std::string hive = path.substr(0, hiveEnd);
    if (!equalNoCase(hive, kHiveNames[0]) && !equalNoCase(hive, kHiveNames[1])) return false;
    if (hiveEnd == std::string::npos) return true;
    size_t start = hiveEnd + 1;
    for (;;) {
        size_t next = path.find('\\', start);
        size_t len = (next == std::string::npos ? path.size() : next) - start;
        if (len == 0) return false;
        if (next == std::string::npos) return true;
        start = next + 1;
    }
}

// A quoted text starting at s[at] == '"' with \\ and \" escapes; `at` ends after the closing
// quote.
bool parseQuoted(const std::string& s, size_t& at, std::string& out, const char*& reason) {
    if (at >= s.size() || s[at] != '"') {
        reason = "expected a quote";
        return false;
    }
    out.clear();
    for (++at; at < s.size(); ++at) {
        char c = s[at];
        if (c == '"') {
            ++at;
            return true;
        }
        if (c == '\\') {
            if (at + 1 >= s.size() || (s[at + 1] != '\\' && s[at + 1] != '"')) {
                reason = "unknown escape";
                return false;
            }
            out += s[++at];
        } else {
            out += c;
        }
    }
    reason = "unterminated text";
    return false;
}

bool parseHexBytes(const std::string& s, size_t at, std::vector<uint8_t>& out, const char*& reason) {
    out.clear();
    size_t end = trimRight(s).size();
    if (at == end) return true;  // "hex:" with no bytes: an empty value
    for (;;) {
        while (at < end && isBlank(s[at])) ++at;
        if (at + 2 > end) {
            reason = "odd hex";
            return false;
        }
        int hi = hexDigit(s[at]), lo = hexDigit(s[at + 1]);
        if (hi < 0 || lo < 0) {
            reason = "bad hex byte";
            return false;
        }
        out.push_back(static_cast<uint8_t>(hi * 16 + lo));
        at += 2;
        while (at < end && isBlank(s[at])) ++at;
        if (at == end) return true;
        if (s[at] != ',') {
            reason = "bad hex separator";
            return false;
        }
        ++at;
    }
}

// One value line (continuations already joined): "name"=data or @=data.
bool parseValue(const std::string& s, Value& v, const char*& reason) {
    size_t at = 0;
    if (s[0] == '@') {
        v.name.clear();
        at = 1;
    } else if (!parseQuoted(s, at, v.name, reason)) {
        return false;
    }
    if (at >= s.size() || s[at] != '=') {
        reason = "expected '='";
        return false;
    }
    ++at;
    if (at < s.size() && s[at] == '"') {
        std::string text;
        if (!parseQuoted(s, at, text, reason)) return false;
        if (!trimRight(s.substr(at)).empty()) {
            reason = "text after the value";
            return false;
        }
        v.type = REG_SZ;
        v.data.assign(text.begin(), text.end());
        v.data.push_back(0);
        return true;
    }
    if (startsWithNoCase(s, at, "dword:")) {
        at += 6;
        std::string digits = trimRight(s.substr(at));
        if (digits.size() != 8) {
            reason = "dword needs 8 hex digits";
            return false;
        }
        uint32_t value = 0;
        for (char c : digits) {
            int d = hexDigit(c);
            if (d < 0) {
                reason = "bad dword digit";
                return false;
            }
            value = value * 16 + static_cast<uint32_t>(d);
        }
        v.type = REG_DWORD;
        v.data = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
                  static_cast<uint8_t>(value >> 24)};
        return true;
    }
    if (startsWithNoCase(s, at, "hex:")) {
        v.type = REG_BINARY;
        return parseHexBytes(s, at + 4, v.data, reason);
    }
    if (startsWithNoCase(s, at, "hex(")) {
        at += 4;
        uint64_t type = 0;
        size_t digits = 0;
        while (at < s.size() && hexDigit(s[at]) >= 0 && digits < 8) {
            type = type * 16 + static_cast<uint64_t>(hexDigit(s[at++]));
            ++digits;
        }
        if (digits == 0 || at + 1 >= s.size() || s[at] != ')' || s[at + 1] != ':') {
            reason = "bad hex type";
            return false;
        }
        v.type = static_cast<uint32_t>(type);
        return parseHexBytes(s, at + 2, v.data, reason);
    }
    reason = "unknown value type";
    return false;
}

// True when the value part of a value line is hex data ("name"=hex:... or @=hex(2):...).
bool isHexValue(const std::string& line) {
    size_t at = 0;
    if (line[0] == '@') {
        at = 1;
    } else {
        std::string name;
        const char* reason = "";
        if (!parseQuoted(line, at, name, reason)) return false;
    }
    return at < line.size() && line[at] == '=' && startsWithNoCase(line, at + 1, "hex");
}

// Names and key paths that the writer can put on one line and read back unchanged.
bool writableName(const std::string& name, size_t max) {
    if (name.size() > max) return false;
    for (char c : name)
        if (static_cast<unsigned char>(c) < 0x20) return false;
    return true;
}

Key* findKey(Model& m, const std::string& path) {
    for (Key& k : m.keys)
        if (equalNoCase(k.path, path)) return &k;
    return nullptr;
}

Value* findValue(Key& k, const std::string& name) {
    for (Value& v : k.values)
        if (equalNoCase(v.name, name)) return &v;
    return nullptr;
}

void setValue(Key& k, Value v) {
    if (Value* old = findValue(k, v.name)) {
        old->type = v.type;
        old->data = std::move(v.data);
    } else {
        k.values.push_back(std::move(v));
    }
}

void appendQuoted(std::string& out, const std::string& text) {
    out += '"';
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
}

// A REG_SZ is written as text when it reads back identically: one terminating zero, no other
// zero, no line breaks or other control characters, and short enough for one line.
size_t escapedSize(const char* p, size_t n) {
    size_t size = n;
    for (size_t i = 0; i < n; ++i)
        if (p[i] == '\\' || p[i] == '"') ++size;
    return size;
}

// A REG_SZ is written as text when it reads back identically: one terminating zero, no other
// zero, no line breaks or other control characters, and a line that fits.
bool writableAsText(const Value& v) {
    if (v.type != REG_SZ || v.data.empty() || v.data.back() != 0) return false;
    const char* text = reinterpret_cast<const char*>(v.data.data());
    size_t textSize = v.data.size() - 1;
    size_t line = (v.name.empty() ? 1 : 2 + escapedSize(v.name.data(), v.name.size())) + 1 + 2 +
                  escapedSize(text, textSize);
    if (line > kMaxLine) return false;
    for (size_t i = 0; i < textSize; ++i) {
        uint8_t c = v.data[i];
        if (c < 0x20 && c != '\t') return false;
    }
    return true;
}

}  // namespace

bool parse(const uint8_t* data, size_t size, Model& out, ParseError& error) {
    out = Model{};
    error = ParseError{};
    // Physical lines, without CR/LF.
    std::vector<std::string> lines;
    {
        std::string line;
        for (size_t i = 0; i < size; ++i) {
            char c = static_cast<char>(data[i]);
            if (c == '\n') {
                lines.push_back(std::move(line));
                line.clear();
            } else if (c != '\r') {
                if (line.size() >= kMaxLine) {
                    error = ParseError{static_cast<int>(lines.size() + 1), "line too long"};
                    return false;
                }
                line += c;
            }
        }
        if (!line.empty()) lines.push_back(std::move(line));
    }

    size_t i = 0;
    auto fail = [&](size_t lineIndex, const char* reason) {
        error = ParseError{static_cast<int>(lineIndex + 1), reason};
        return false;
    };
    while (i < lines.size() && trimRight(lines[i]).empty()) ++i;
    if (i == lines.size()) return true;  // blank file: empty store
    if (trimRight(lines[i]) != "REGEDIT4") return fail(i, "not a REGEDIT4 file");
    ++i;

    Key* current = nullptr;
    for (; i < lines.size(); ++i) {
        std::string line = trimRight(lines[i]);
        size_t first = i;
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            if (line.back() != ']') return fail(i, "bad key line");
            std::string path = line.substr(1, line.size() - 2);
            if (!validKeyPath(path)) return fail(i, "bad key path");
            current = findKey(out, path);
            if (!current) {
                out.keys.push_back(Key{path, {}});
                current = &out.keys.back();
            }
            continue;
        }
        if (!current) return fail(i, "value outside a key");
        // A hex value whose line ends in a backslash continues on the next one, as the
        // registry editor wraps long values.
        while (line.back() == '\\' && isHexValue(line)) {
            if (i + 1 >= lines.size()) return fail(i, "continuation at end of file");
            line.pop_back();
            std::string next = trimRight(lines[++i]);
            size_t lead = 0;
            while (lead < next.size() && isBlank(next[lead])) ++lead;
            line += next.substr(lead);
        }
        Value v;
        const char* reason = "";
        if (!parseValue(line, v, reason)) return fail(first, reason);
        setValue(*current, std::move(v));
    }
    return true;
}

std::string serialize(const Model& model) {
    std::string out = "REGEDIT4\n";
    char buf[16];
    for (const Key& k : model.keys) {
        out += "\n[" + k.path + "]\n";
        for (const Value& v : k.values) {
            size_t lineStart = out.size();
            if (v.name.empty()) out += '@';
            else appendQuoted(out, v.name);
            out += '=';
            if (writableAsText(v)) {
                appendQuoted(out, std::string(v.data.begin(), v.data.end() - 1));
            } else if (v.type == REG_DWORD && v.data.size() == 4) {
                uint32_t d = static_cast<uint32_t>(v.data[0]) | static_cast<uint32_t>(v.data[1]) << 8 |
                             static_cast<uint32_t>(v.data[2]) << 16 | static_cast<uint32_t>(v.data[3]) << 24;
                std::snprintf(buf, sizeof buf, "dword:%08x", d);
                out += buf;
            } else {
                if (v.type == REG_BINARY) {
                    out += "hex:";
                } else {
                    std::snprintf(buf, sizeof buf, "hex(%x):", v.type);
                    out += buf;
                }
                for (size_t b = 0; b < v.data.size(); ++b) {
                    // Wrap before a line grows past the column the registry editor keeps to;
                    // a long name may push even the first byte onto the next line.
                    if (out.size() - lineStart + 3 > kWrapColumn) {
                        out += "\\\n  ";
                        lineStart = out.size() - 2;
                    }
                    std::snprintf(buf, sizeof buf, "%02x", v.data[b]);
                    out += buf;
                    if (b + 1 < v.data.size()) out += ',';
                }
            }
            out += '\n';
        }
    }
    return out;
}

}  // namespace detail

namespace {

using detail::Key;
using detail::Model;
using detail::Value;

struct State {
    std::string path;     // the store file; empty until first needed
    bool loaded = false;
    bool readOnly = false;  // the file exists but could not be read or moved aside: never overwrite it
    Model model;
    std::string report;   // what went wrong reading the file, until taken
};

State& state() {
    static State s;
    return s;
}

detail::RenameFunction renameFile = ::rename;

std::string defaultLocation() {
    std::string base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !home[0]) {
            const passwd* pw = ::getpwuid(::getuid());
            home = pw ? pw->pw_dir : "/tmp";
        }
        base = std::string(home) + "/.config";
    }
    return base + "/vyrex/vyrex.reg";
}

std::string folderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool readFile(const std::string& path, std::vector<uint8_t>& data, bool& missing) {
    missing = false;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        missing = errno == ENOENT;
        return false;
    }
    uint8_t buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        data.insert(data.end(), buf, buf + n);
    }
    ::close(fd);
    return true;
}

// Keeps an unreadable store for the user to inspect: "<file>.bad-<UTC time>". Returns whether
// it was moved.
bool moveAside(const std::string& path, const detail::ParseError& error) {
    std::time_t now = std::time(nullptr);
    std::tm ut{};
    gmtime_r(&now, &ut);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &ut);
    std::string aside = path + ".bad-" + stamp;
    for (int n = 1; ::access(aside.c_str(), F_OK) == 0 && n < 1000; ++n)
        aside = path + ".bad-" + stamp + "-" + std::to_string(n);
    bool moved = renameFile(path.c_str(), aside.c_str()) == 0;
    state().report = "\r\n\tStore: line " + std::to_string(error.line) + " of " + path + ": " + error.reason +
                     "\r\n\t\tmoved aside to " + (moved ? aside : std::string("(failed)")) + ", starting empty";
    return moved;
}

Model& model() {
    State& s = state();
    if (s.loaded) return s.model;
    if (s.path.empty()) s.path = defaultLocation();
    s.loaded = true;
    s.readOnly = false;
    s.model = Model{};
    std::vector<uint8_t> data;
    bool missing = false;
    if (!readFile(s.path, data, missing)) {
        // A store that exists but cannot be read (permissions) is left alone: writing would
        // replace everything in it with only this run's values.
        if (!missing) {
            s.readOnly = true;
            s.report = "\r\n\tStore: cannot read " + s.path + "; settings will not be saved";
        }
        return s.model;
    }
    detail::ParseError error;
    Model parsed;
    if (detail::parse(data.data(), data.size(), parsed, error)) s.model = std::move(parsed);
    else if (!moveAside(s.path, error)) s.readOnly = true;
    return s.model;
}

bool syncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool writeAll(int fd, const std::string& text) {
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

// Temporary file in the same folder, fsync, rename over the store, fsync the folder: at every
// moment the store file is either the old text or the new one.
bool writeStore(const Model& m) {
    const std::string& path = state().path;
    std::string folder = folderOf(path);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    std::string temp = path + ".tmp-" + std::to_string(::getpid());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    std::string text = detail::serialize(m);
    bool ok = writeAll(fd, text) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok) ok = renameFile(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    syncFolder(folder);
    return true;
}

std::string fullPath(Hive hive, const std::string& key) {
    std::string h = detail::kHiveNames[hive == HKEY_LOCAL_MACHINE ? 1 : 0];
    return key.empty() ? h : h + "\\" + key;
}

bool validHive(Hive hive) { return hive == HKEY_CURRENT_USER || hive == HKEY_LOCAL_MACHINE; }

// The key and every missing parent, as the registry creates them; false if the path is invalid.
bool ensureKey(Model& m, const std::string& path) {
    if (!detail::validKeyPath(path) || !detail::writableName(path, detail::kMaxLine / 2)) return false;
    for (size_t at = path.find('\\'); ; at = path.find('\\', at + 1)) {
        std::string prefix = at == std::string::npos ? path : path.substr(0, at);
        if (!detail::findKey(m, prefix)) m.keys.push_back(Key{prefix, {}});
        if (at == std::string::npos) return true;
    }
}

// Applies a change to a copy and keeps it only when the file was written, so memory and file
// never disagree after a failed write.
template <typename Change>
bool commit(Change change) {
    Model next = model();
    if (state().readOnly) return false;
    if (!change(next)) return false;
    if (!writeStore(next)) return false;
    state().model = std::move(next);
    return true;
}

}  // namespace

void detail::setRenameFunction(RenameFunction f) { renameFile = f ? f : ::rename; }

void detail::unload() {
    state().loaded = false;
    state().model = Model{};
}

void setLocation(const std::string& filePath) {
    state().path = filePath;
    detail::unload();
}

std::string takeReport() {
    std::string report;
    report.swap(state().report);
    return report;
}

const std::string& location() {
    if (state().path.empty()) state().path = defaultLocation();
    return state().path;
}

bool createKey(Hive hive, const std::string& key) {
    if (!validHive(hive)) return false;
    std::string path = fullPath(hive, key);
    if (detail::findKey(model(), path)) return true;
    return commit([&](Model& m) { return ensureKey(m, path); });
}

bool keyExists(Hive hive, const std::string& key) {
    return validHive(hive) && detail::findKey(model(), fullPath(hive, key)) != nullptr;
}

bool readValue(Hive hive, const std::string& key, const std::string& name, ValueType& type,
               std::vector<uint8_t>& data) {
    if (!validHive(hive)) return false;
    Key* k = detail::findKey(model(), fullPath(hive, key));
    if (!k) return false;
    Value* v = detail::findValue(*k, name);
    if (!v) return false;
    type = static_cast<ValueType>(v->type);
    data = v->data;
    return true;
}

bool readDword(Hive hive, const std::string& key, const std::string& name, uint32_t& value) {
    ValueType type;
    std::vector<uint8_t> data;
    if (!readValue(hive, key, name, type, data) || type != REG_DWORD || data.size() != 4) return false;
    value = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
            static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
    return true;
}

bool readString(Hive hive, const std::string& key, const std::string& name, std::string& value) {
    ValueType type;
    std::vector<uint8_t> data;
    if (!readValue(hive, key, name, type, data) || type != REG_SZ) return false;
    size_t len = 0;
    while (len < data.size() && data[len] != 0) ++len;
    value.assign(data.begin(), data.begin() + static_cast<long>(len));
    return true;
}

bool writeValue(Hive hive, const std::string& key, const std::string& name, ValueType type,
                const void* data, size_t size) {
    if (!validHive(hive) || (size > 0 && !data) || !detail::writableName(name, detail::kMaxLine / 4)) return false;
    std::string path = fullPath(hive, key);
    const auto* bytes = static_cast<const uint8_t*>(data);
    return commit([&](Model& m) {
        if (!ensureKey(m, path)) return false;
        Value v;
        v.name = name;
        v.type = type;
        v.data.assign(bytes, bytes + size);
        detail::setValue(*detail::findKey(m, path), std::move(v));
        return true;
    });
}

bool writeDword(Hive hive, const std::string& key, const std::string& name, uint32_t value) {
    uint8_t d[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
                    static_cast<uint8_t>(value >> 24)};
    return writeValue(hive, key, name, REG_DWORD, d, 4);
}

bool writeString(Hive hive, const std::string& key, const std::string& name, const std::string& value) {
    std::string withZero = value;
    withZero.push_back('\0');
    return writeValue(hive, key, name, REG_SZ, withZero.data(), withZero.size());
}

bool deleteValue(Hive hive, const std::string& key, const std::string& name) {
    if (!validHive(hive)) return false;
    std::string path = fullPath(hive, key);
    Key* k = detail::findKey(model(), path);
    if (!k || !detail::findValue(*k, name)) return false;
    return commit([&](Model& m) {
        Key* target = detail::findKey(m, path);
        for (size_t i = 0; i < target->values.size(); ++i) {
            if (detail::equalNoCase(target->values[i].name, name)) {
                target->values.erase(target->values.begin() + static_cast<long>(i));
                return true;
            }
        }
        return false;
    });
}

std::vector<std::string> valueNames(Hive hive, const std::string& key) {
    std::vector<std::string> names;
    if (!validHive(hive)) return names;
    Key* k = detail::findKey(model(), fullPath(hive, key));
    if (k)
        for (const Value& v : k->values) names.push_back(v.name);
    return names;
}

}  // namespace store
