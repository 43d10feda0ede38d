#pragma once
// Decides what the simulated board answers to each request. The plain
// responder echoes codes with a status; the board model answers through
// ModelResponder.

#include <cstdint>
#include <optional>
#include <set>
#include <string>

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
    std::set<std::uint8_t> rejected; // answered with status 1 (0x11 for 0x24, 0x30, 0x31)
    bool memoryFail = false;         // 0x24, 0x30, 0x31 answered with status 0x10
};

// A status the options or a damaged frame impose on `request`, whatever the
// board would do with it: 0x10 for a memory request under --memory-fail, 1 for
// a rejected code or a frame whose CRC does not match (0x11 when that is an
// upload or memory request, as a refused upload answers). `why` says which.
struct ForcedStatus {
    std::uint8_t status;
    std::string why;
};
std::optional<ForcedStatus> forcedStatus(const EchoOptions& options, const BoardRequest& request);

// The payload of an answer to `code`: a poll gets a short one, as a real
// board's status report; everything else none.
std::vector<std::uint8_t> answerPayload(std::uint8_t code);

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
