#pragma once
// Tells the outside what the board did: its events (words handed to the
// external module, a program halted at a word it cannot run) on the log, and,
// when asked for, its state as one JSON line each time it changed.

#include <cstdint>
#include <optional>
#include <ostream>

namespace veltra {
class BoardModel;
}

namespace veltra::board_sim {

class StatePublisher {
  public:
    // `stateOut` null: events only.
    StatePublisher(BoardModel& board, std::ostream& log, std::ostream* stateOut);

    // Logs the events taken from the board and prints the state if it changed
    // since the last line (the first call always prints). Each line is flushed,
    // so a reader on a pipe sees it at once.
    void publish();

    std::uint64_t linesPrinted() const { return lines_; }

  private:
    BoardModel& board_;
    std::ostream& log_;
    std::ostream* stateOut_;
    std::optional<std::uint64_t> printedRevision_;
    std::uint64_t lines_ = 0;
};

} // namespace veltra::board_sim
