#pragma once
// The board's view of the instruction set (compiler/InstructionSet.h): which
// 16-bit words it can execute and what kind of step each one is.

#include <cstdint>
#include <span>

#include "board/BoardState.h"
#include "compiler/InstructionSet.h"

namespace veltra {

enum class WordKind : std::uint8_t {
    Invalid,   // not a word this board executes
    Object,    // sets an output, a variable or a store; executes at once
    Pause,     // waits operand × its family's unit
    Condition, // a false condition skips the next step
    Return,    // back to the word after the last jump
    Prefix,    // the next word goes to the external module
    Jump,      // goes on at the target index (the low 11 bits)
};

constexpr std::uint16_t kModulePrefixWord = isa::word(isa::Family::ModulePrefix);

// The whole word counts, operand included: an LED number outside 1..13, a
// colour above 8, a bit mask that is neither one bit set nor one bit cleared
// and so on make a word Invalid, as does a word that never reaches a board
// (the console's memory requests).
WordKind kindOf(const isa::Decoded& w);
inline WordKind classifyWord(std::uint16_t word) {
    return kindOf(isa::decode(word));
}

// The length of a Pause word.
BoardTime pauseLength(const isa::Decoded& w);

// Index of the first word of a program the board could not run, or -1 when it
// can run all of them: an Invalid word, a module prefix with nothing after it,
// a jump past the end of the program or into the word a prefix forwards. The
// word after a prefix belongs to the external module and is not judged here.
int firstUnrunnableWord(std::span<const std::uint16_t> words);

} // namespace veltra
