#pragma once
// Answers requests by applying them to the board model: an upload stores and
// starts a program, a console command executes at once, reset, memory write
// and erase act on the model and its non-volatile copy. --silent, --reject,
// --memory-fail and a damaged frame decide the answer first; the board then
// does nothing, so an answer never claims more than the board did.

#include <functional>
#include <ostream>

#include "board/BoardModel.h"
#include "tools/veltra-board/BoardResponder.h"

namespace veltra::board_sim {

class ModelResponder : public BoardResponder {
  public:
    // `applied` runs after each request handed to the board, so that the
    // owner can report a change before the answer goes out.
    ModelResponder(BoardModel& board, EchoOptions options, std::ostream& log,
                   std::function<void()> applied = {});

    std::optional<BoardAnswer> Answer(const BoardRequest& request) override;

  private:
    void logApplied(const BoardRequest& request);

    BoardModel& board_;
    EchoOptions options_;
    std::ostream& log_;
    std::function<void()> applied_;
};

} // namespace veltra::board_sim
