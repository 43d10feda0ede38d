#pragma once
// The board the simulator plays: the model, the timer that runs it in real
// time, the responder that applies requests to it, and the publisher that
// reports what it did. Lives on the thread of the Qt event loop.

#include <ostream>

#include "board/BoardModel.h"
#include "board/view/BoardRunner.h"
#include "tools/veltra-board/BoardOptions.h"
#include "tools/veltra-board/ModelResponder.h"
#include "tools/veltra-board/StatePublisher.h"

namespace veltra::board_sim {

class VirtualBoard {
  public:
    // `stateOut` null: no JSON lines. Needs a QCoreApplication.
    VirtualBoard(const BoardOptions& options, std::ostream& log, std::ostream* stateOut);

    // As switching the board on: loads the non-volatile copy and starts it,
    // says on the log what was found, and prints the first state line.
    void powerOn();

    BoardModel& model() { return model_; }
    BoardResponder& responder() { return responder_; }

  private:
    std::ostream& log_;
    BoardModel model_;
    StatePublisher publisher_;
    ModelResponder responder_;
    BoardRunner runner_;
};

} // namespace veltra::board_sim
