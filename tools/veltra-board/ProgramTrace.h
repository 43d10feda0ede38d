#pragma once
// veltra-board --trace N PROGRAM: the first N words the board executes, each
// with the source line it came from, on a virtual clock with the buttons
// released, without a window or a terminal.

#include <cstdint>
#include <ostream>
#include <string>

namespace veltra::board_sim {

constexpr std::int64_t kMaxTraceWords = 10'000'000;

// One line per executed word, the line map of the check first:
//   LINE  INDEX  WORD  TIME  TEXT
//      5      1  A1F1    0s  свд_1 = к
// (the source line from 1, the word's index and hex word, the board time
// it ran at as scenarios write it, the line's text escaped). A program that
// ends sooner ends the trace. Errors go to `err`; returns 0, or 2 when the
// program cannot be read, does not check or is refused by the board.
int runTrace(const std::string& path, std::int64_t words, std::ostream& out, std::ostream& err);

} // namespace veltra::board_sim
