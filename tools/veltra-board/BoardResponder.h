#pragma once
// Decides what the simulated board answers to each request. The plain
// responder echoes codes with a status; a board model that executes the
// command words plugs in here as another responder.

#include <cstdint>
#include <optional>
#include <set>

#include "tools/veltra-board/BoardProtocol.h"

namespace veltra::board_sim {

class BoardResponder {
  public:
    virtual ~BoardResponder() = default;
    // The answer to `request`, or nothing to stay silent.
    virtual std::optional<BoardAnswer> Answer(const BoardRequest& request) = 0;
};

struct EchoOptions {
    bool silent = false;
    std::set<std::uint8_t> rejected; // answered with status 1
    bool memoryFail = false;         // 0x24, 0x30, 0x31 answered with status 0x10
};

// Answers every request with status 0 and no payload; a poll gets a short
// payload, as a real board's status report.
class EchoResponder : public BoardResponder {
  public:
    explicit EchoResponder(EchoOptions options) : options_(std::move(options)) {}
    std::optional<BoardAnswer> Answer(const BoardRequest& request) override;

  private:
    EchoOptions options_;
};

} // namespace veltra::board_sim
