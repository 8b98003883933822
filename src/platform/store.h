// The configuration store: named keys holding typed values, kept in one REGEDIT4-format text
// file in the user's configuration folder ($XDG_CONFIG_HOME/vyrex/vyrex.reg, by default
// ~/.config/vyrex/vyrex.reg) so that a person can read and edit it.
//
// Keys are addressed by full path under a hive, "SOFTWARE\\Oskarn Software\\Vyrex\\2.00\\startup"
// under HKEY_LOCAL_MACHINE, exactly as the program's stored layout names them. Every write
// replaces the file atomically (temporary file, fsync, rename), so a crash never leaves a
// half-written store. A file that cannot be parsed is moved aside (kept, never deleted) and the
// store starts empty, so the program starts from defaults; a file that exists but cannot be read
// is never written. Either is kept as a report for the program's log (takeReport).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace store {

enum Hive { HKEY_CURRENT_USER = 0, HKEY_LOCAL_MACHINE = 1 };
enum ValueType : uint32_t { REG_NONE = 0, REG_SZ = 1, REG_BINARY = 3, REG_DWORD = 4 };

// Where the store lives; by default from the environment as above. Tests point it elsewhere.
void setLocation(const std::string& filePath);
const std::string& location();

// What went wrong reading the file ("" if nothing did), as log lines that each start with
// "\r\n"; taking it clears it. The store is first read before the log is open, so the program
// writes the report once the log is there.
std::string takeReport();

// Opens or creates a key (create-if-missing, as every key of the program is opened).
bool createKey(Hive hive, const std::string& key);
bool keyExists(Hive hive, const std::string& key);

// Reads a value. Returns false when the key or value is missing; `type` and `data` then are
// left unchanged.
bool readValue(Hive hive, const std::string& key, const std::string& name, ValueType& type,
               std::vector<uint8_t>& data);
// A 4-byte REG_DWORD; false when missing or not exactly a 4-byte DWORD.
bool readDword(Hive hive, const std::string& key, const std::string& name, uint32_t& value);
// A REG_SZ without its terminating zero; false when missing or of another type.
bool readString(Hive hive, const std::string& key, const std::string& name, std::string& value);

bool writeValue(Hive hive, const std::string& key, const std::string& name, ValueType type,
                const void* data, size_t size);
bool writeDword(Hive hive, const std::string& key, const std::string& name, uint32_t value);
bool writeString(Hive hive, const std::string& key, const std::string& name, const std::string& value);

bool deleteValue(Hive hive, const std::string& key, const std::string& name);
// Value names of a key in stored order (empty when the key is missing).
std::vector<std::string> valueNames(Hive hive, const std::string& key);

}  // namespace store
