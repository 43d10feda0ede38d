#pragma once
// The board's view of the instruction set (compiler/InstructionSet.h): which
// 16-bit words it can execute and what kind of step each one is.

#include <cstdint>
#include <optional>
#include <span>

#include "board/BoardState.h"
#include "compiler/InstructionSet.h"

namespace veltra {

constexpr std::uint16_t kModulePrefixWord = isa::word(isa::Family::ModulePrefix);

// How the board takes a word: its family's step, or nothing when the board
// does not execute it. The whole word counts, operand included: an LED number
// outside 1..13, a colour above 8, a bit mask that is neither one bit set nor
// one bit cleared and so on give nothing, as does a word that never reaches a
// board (isa::Step::Service, the console's memory requests).
std::optional<isa::Step> stepOf(const isa::Decoded& w);
inline std::optional<isa::Step> classifyWord(std::uint16_t word) {
    return stepOf(isa::decode(word));
}

// The length of a Pause word.
BoardTime pauseLength(const isa::Decoded& w);

// Index of the first word of a program the board could not run, or -1 when it
// can run all of them: a word it does not execute, a module prefix with nothing after it,
// a jump past the end of the program or into the word a prefix forwards. The
// word after a prefix belongs to the external module and is not judged here.
int firstUnrunnableWord(std::span<const std::uint16_t> words);

} // namespace veltra
