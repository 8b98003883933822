// The object notes ("stellar.note") from the notes source text, with the object identifiers of
// this build substituted.
//
// Source format (tools/skyimport/notes.txt): lines starting with '#' are comments; a line
// "@HIP n", "@SUN", "@OC 0x…", "@GC 0x…", "@PSR 0x…" or "@NEB 0x…" (a deep-sky type and name
// code) starts the note of that object; the lines after it, up to the next such line, are its
// text. Inside a text, link targets written as <a "@HIP n">, <a "@NEB 0x…"> etc. become the
// identifier links "@XXXXXXXX" that the hypertext viewer follows. A note's text must begin with
// plain words: the information text shows a note up to its first tag.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace sky {

// Resolves "HIP 32349", "SUN", "NEB 0x0D000005" … to an object identifier; false if unknown.
using ObjectResolver = std::function<bool(const std::string& reference, uint32_t& id)>;

// Returns the note file; `count` receives the number of notes. Fails on unknown objects.
std::string buildNotes(const std::string& sourcePath, const ObjectResolver& resolve, int& count);

}  // namespace sky
