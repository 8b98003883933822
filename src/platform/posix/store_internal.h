// Private parts of the configuration store, open to its tests and its fuzz target: the parsed
// model, the parser over bytes, the writer, and the file operations that tests replace to
// simulate failures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace store::detail {

constexpr size_t kMaxLine = 4096;  // characters of one physical line; longer is a parse failure
constexpr size_t kWrapColumn = 77; // written hex values wrap before a line passes this column

struct Value {
    std::string name;  // "" is the key's default value ("@")
    uint32_t type = 0;
    std::vector<uint8_t> data;
};

struct Key {
    std::string path;  // full path with hive: "HKEY_LOCAL_MACHINE\\SOFTWARE\\..."
    std::vector<Value> values;
};

struct Model {
    std::vector<Key> keys;  // in stored order
};

struct ParseError {
    int line = 0;           // 1-based physical line
    const char* reason = "";
};

// Parses the text of a REGEDIT4 file. An empty (or blank) text is an empty store. On failure
// returns false with the line and a short reason; `out` is then unspecified.
bool parse(const uint8_t* data, size_t size, Model& out, ParseError& error);
// The file text for a model; parse(serialize(m)) gives m back.
std::string serialize(const Model& model);

// File operations used by the atomic write, replaceable by tests (null restores the real one).
using RenameFunction = int (*)(const char* from, const char* to);
void setRenameFunction(RenameFunction f);

// Forgets the loaded store so that the next access reads the file again.
void unload();

}  // namespace store::detail
