// The command table of the console's interpreter: command words, their sub-words and the kinds of
// argument a sub-word reads, and the registration of words that layers above the console own.
//
// Contract. consoleExecute (console.h) looks a line's first word up among the plug-in commands,
// then the console's own words, then the words added here; a word's second word among its
// sub-words; the rest of the line is read as the sub-word's argument (Kind) and handed to its
// run. A layer that owns a command word adds it at its start and removes it at its stop; the
// table holds kMaxAddedWords. The records are kept by pointer and must outlive their stay.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/vecmath.h"

namespace console {

constexpr size_t kNameBytes = 260;  // file-name arguments, terminator included

// What a sub-word's argument is, and what it holds once read.
enum class Kind {
    kNone,        // nothing is read
    kHex,         // "%x": 0 when missing or unreadable
    kReal,        // "%lf": 0.0 when missing or unreadable
    kPosition,    // p(x,y,z), o(identifier) or n(name); unreadable: nothing is done
    kFileName,    // one word; missing: nothing is done
    kDefinition,  // the text after the sub-word and one blank
    kBinding,     // a key character, then the text from the second character after it
    kKey,         // a key character
    kError,       // the sub-word answers with the error line
};

struct Argument {
    uint32_t hex = 0;
    double real = 0.0;
    Vector3 position{0, 0, 0};  // light years
    const char* text = "";
    char name[kNameBytes] = "";
    int key = 0;
};

struct SubWord {
    const char* word;
    Kind kind;
    void (*run)(const Argument& a);
};

struct CommandWord {
    const char* word;
    const SubWord* subs;  // null: the word takes no sub-word
    size_t subCount;
    void (*run)();        // for words without sub-words
};

template <size_t N>
constexpr CommandWord withSubs(const char* word, const SubWord (&subs)[N]) {
    return {word, subs, N, nullptr};
}

constexpr int kMaxAddedWords = 16;

// 1 added; 0 when the table is full, the word is null or a word of its name exists already.
int addCommandWord(const CommandWord* word);
void removeCommandWord(const CommandWord* word);

// The words in lookup order, the console's own first, then the added ones: for help texts and
// for tests that draw lines from the table. Null outside 0..commandWordCount()−1.
int commandWordCount();
const CommandWord* commandWordAt(int index);

}  // namespace console
