#pragma once
// The compiled program as the board receives it, and where each word came from.

#include <array>
#include <cstdint>

namespace veltra {

constexpr std::uint16_t kMaxProgramWords = 1000;
constexpr std::uint16_t kLabelUndefined = 0x1000;

struct ProgramImage {
    std::array<std::uint16_t, 4096> words{};   // entries 0 .. count-1 are the program
    std::array<std::uint16_t, 32> labelAddr{}; // entry n (1..15): index of label n's target
    std::uint16_t count = 0;                   // 0 = no program ready
    // Entry i: the 1-based source line that word i was compiled from (both
    // words of a conditional or a module line name the same line). Never sent
    // to the board; the listing, the trace and the run view all read it.
    std::array<std::int32_t, 4096> wordLine{};
};

} // namespace veltra
