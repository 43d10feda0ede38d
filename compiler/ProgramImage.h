#pragma once
// The compiled program as the board receives it.

#include <array>
#include <cstdint>

namespace veltra {

constexpr std::uint16_t kMaxProgramWords = 1000;
constexpr std::uint16_t kLabelUndefined = 0x1000;

struct ProgramImage {
    std::array<std::uint16_t, 4096> words{};      // entries 0 .. count-1 are the program
    std::array<std::uint16_t, 32> labelAddr{};    // entry n (1..15): index of label n's target
    std::uint16_t count = 0;                      // 0 = no program ready
};

}  // namespace veltra
