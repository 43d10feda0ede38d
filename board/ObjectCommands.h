#pragma once
// Execution of the words that act at once on the board's objects: LEDs, ports
// and their bits, relays, port brightness, the variables and the two stores.

#include <cstdint>

#include "board/BoardState.h"

namespace veltra {

enum class ObjectOutcome : std::uint8_t {
    Done,
    // A restore found its store empty, or holding an object of another shape
    // (an LED where a port is asked for); nothing was changed.
    NothingToRestore,
};

// `word` must be one that classifyWord() calls Object.
ObjectOutcome executeObjectWord(BoardState& s, std::uint16_t word);

} // namespace veltra
