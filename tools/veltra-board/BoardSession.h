#pragma once
// The simulator's main loop: reads requests from the pseudo-terminal, logs
// them, asks the responder and writes its answers, late when told to, with
// noise between them when told to.

#include <chrono>
#include <csignal>
#include <cstdint>
#include <deque>
#include <ostream>
#include <random>
#include <vector>

#include "tools/veltra-board/BoardOptions.h"
#include "tools/veltra-board/BoardProtocol.h"
#include "tools/veltra-board/BoardResponder.h"

namespace veltra::board_sim {

class BoardSession {
  public:
    BoardSession(int masterFd, BoardResponder& responder, const BoardOptions& options, std::ostream& log);

    // Runs until `stop` becomes nonzero (set by a signal handler).
    void run(const volatile std::sig_atomic_t& stop);

  private:
    using Clock = std::chrono::steady_clock;

    void receive(const std::uint8_t* bytes, std::size_t length);
    void queueDueAnswers();
    void writeOut();
    int pollTimeoutMs() const;

    int fd_;
    BoardResponder& responder_;
    BoardOptions options_;
    std::ostream& log_;
    BoardFrameParser parser_;
    std::deque<std::pair<Clock::time_point, std::vector<std::uint8_t>>> scheduled_;
    std::vector<std::uint8_t> out_;
    std::mt19937 random_;
};

// "77 70 61 10 00 00 00 0A"
std::string hexLine(const std::vector<std::uint8_t>& bytes);

} // namespace veltra::board_sim
