// Shared helpers of the sky import tool: errors, text fields and file access.
#include "common.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace sky {

void fail(const std::string& where, const std::string& what) { throw ImportError(where + ": " + what); }

std::string trim(std::string_view s) {
    size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t' || s[a] == '\r' || s[a] == '\n')) ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\r' || s[b - 1] == '\n')) --b;
    return std::string(s.substr(a, b - a));
}

std::string column(const std::string& line, size_t first, size_t last) {
    if (first == 0 || first > line.size()) return {};
    size_t end = std::min(last, line.size());
    return trim(std::string_view(line).substr(first - 1, end - first + 1));
}

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        out.push_back(trim(std::string_view(line).substr(start, tab == std::string::npos ? std::string::npos : tab - start)));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return out;
}

std::vector<std::string> splitBlanks(const std::string& line) {
    std::vector<std::string> out;
    std::istringstream in(line);
    std::string word;
    while (in >> word) out.push_back(word);
    return out;
}

bool parseDouble(const std::string& text, double& out) {
    std::string t = trim(text);
    if (t.empty()) return false;
    if (t[0] == '+') t.erase(0, 1);
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(t.c_str(), &end);
    if (errno != 0 || end == t.c_str() || *end != 0 || !std::isfinite(v)) return false;
    out = v;
    return true;
}

bool parseInt(const std::string& text, long& out) {
    std::string t = trim(text);
    if (t.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(t.c_str(), &end, 10);
    if (errno != 0 || end == t.c_str() || *end != 0) return false;
    out = v;
    return true;
}

std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) fail(path, "cannot be read");
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<uint8_t> readBinary(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) fail(path, "cannot be read");
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeBinary(const std::string& path, const void* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) fail(path, "cannot be written");
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) fail(path, "write failed");
}

void writeText(const std::string& path, const std::string& text) { writeBinary(path, text.data(), text.size()); }

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') return folder + name;
    return folder + "/" + name;
}

std::string where(const std::string& path, size_t lineIndex) { return path + ":" + std::to_string(lineIndex + 1); }

int16_t fixed88(double value) {
    double v = std::round(value * 256.0);
    if (v > 32767) v = 32767;
    if (v < -32768) v = -32768;
    return static_cast<int16_t>(v);
}

}  // namespace sky
