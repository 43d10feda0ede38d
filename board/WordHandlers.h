#pragma once
// What the board does with each family of words that acts on its objects or
// tests its state: one handler per family (compiler/InstructionSet.h), found
// by the family. Pauses, jumps, the return and the module prefix steer the
// program and are the model's own.

#include <cstdint>

#include "board/BoardState.h"
#include "compiler/InstructionSet.h"

namespace veltra {

enum class ObjectOutcome : std::uint8_t {
    Done,
    // A restore found its store empty, or holding an object of another shape
    // (an LED where a port is asked for); nothing was changed.
    NothingToRestore,
};

// `w` must be a word of an Object family.
ObjectOutcome executeObjectWord(BoardState& s, const isa::Decoded& w);

// Whether a word of a Condition family holds for the buttons and variables.
bool conditionHolds(const BoardState& s, const isa::Decoded& w);

} // namespace veltra
