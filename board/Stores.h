#pragma once
// The two stores: saving an object (a port, all ports, А, В, an LED, all LEDs)
// and restoring into one. The object is the operand of the save and restore
// words (isa::kStoreAllPorts ...).

#include <cstdint>

#include "board/BoardState.h"

namespace veltra {

// Every property of the object, so that restoring brings it back as it was.
StoreSlot saveObject(const BoardState& s, std::uint8_t object);

// False, changing nothing, when the slot is empty or holds an object of
// another shape (an LED where a port is asked for).
bool restoreObject(BoardState& s, std::uint8_t object, const StoreSlot& slot);

} // namespace veltra
