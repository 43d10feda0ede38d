#pragma once
// The board's instruction set: which 16-bit words it can execute and what kind
// of step each one is. The operation is the high byte, its operand the low byte.

#include <cstdint>
#include <span>

#include "board/BoardState.h"

namespace veltra {

enum class WordKind : std::uint8_t {
    Invalid,   // not a word this board executes
    Object,    // sets an output, a variable or a store; executes at once
    Pause,     // 0x41 k x 100 ms, 0x42 x s, 0x43 k x 20 ms
    Condition, // a false condition skips the next step
    Return,    // 0xB100
    Prefix,    // 0xD100: the next word goes to the external module
    Jump,      // 0xE000 + index of the target word
};

constexpr std::uint16_t kReturnWord = 0xB100;
constexpr std::uint16_t kModulePrefixWord = 0xD100;
constexpr std::uint16_t kJumpTargetMask = 0x07FF;

// Checks the whole word, operand included: an LED number outside 1..13, a
// colour above 8, a bit mask that is neither one bit set nor one bit cleared
// and so on make a word Invalid.
WordKind classifyWord(std::uint16_t word);

BoardTime pauseLength(std::uint16_t word);

// Whether a Condition word holds for the given buttons and variables.
bool conditionHolds(const BoardState& s, std::uint16_t word);

// Index of the first word of a program the board could not run, or -1 when it
// can run all of them: an Invalid word, a module prefix with nothing after it,
// a jump past the end of the program or into the word a prefix forwards. The
// word after a prefix belongs to the external module and is not judged here.
int firstUnrunnableWord(std::span<const std::uint16_t> words);

} // namespace veltra
