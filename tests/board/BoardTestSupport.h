#pragma once
// Helpers shared by the board model tests.

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "board/BoardModel.h"

namespace veltra::test {

// Runs `words` as a program to its end (they must hold no pause) and returns the board.
inline BoardModel runWords(std::initializer_list<std::uint16_t> words) {
    BoardModel board;
    const std::vector<std::uint16_t> program(words);
    EXPECT_TRUE(board.loadProgram(program));
    board.advance(BoardTime(0));
    EXPECT_FALSE(board.state().running) << "the program did not run to its end";
    return board;
}

inline std::vector<std::uint8_t> wordBytes(const std::vector<std::uint16_t>& words) {
    std::vector<std::uint8_t> bytes;
    for (std::uint16_t w : words) {
        bytes.push_back(static_cast<std::uint8_t>(w & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(w >> 8));
    }
    return bytes;
}

} // namespace veltra::test
