#pragma once
// The port's worker runs one cycle every 50 ms, active or idle. Whatever the
// link counts in cycles is a duration in disguise, so it is written as one and
// turned into cycles here: a change of the cycle length then keeps every
// duration instead of silently stretching it.

#include <chrono>

namespace veltra {

constexpr std::chrono::milliseconds kLinkCycle{50};

// Whole cycles in `span`.
constexpr int cyclesIn(std::chrono::milliseconds span) {
    return static_cast<int>(span / kLinkCycle);
}

} // namespace veltra
