#pragma once
// The simulator's side of the line: reads requests from the pseudo-terminal
// as they arrive (from the Qt event loop, which the board's clock and window
// share), logs them, asks the responder and writes its answers, late when
// told to, with noise between them when told to.

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <deque>
#include <ostream>
#include <random>
#include <vector>

#include "tools/veltra-board/BoardOptions.h"
#include "tools/veltra-board/BoardProtocol.h"
#include "tools/veltra-board/BoardResponder.h"

namespace veltra::board_sim {

class BoardSession : public QObject {
    Q_OBJECT
  public:
    // Starts watching `masterFd` (non-blocking) at once.
    BoardSession(int masterFd, BoardResponder& responder, const BoardOptions& options, std::ostream& log,
                 QObject* parent = nullptr);

  private:
    using Clock = std::chrono::steady_clock;

    void readAvailable();
    void restWhileNobodyThere();
    void receive(const std::uint8_t* bytes, std::size_t length);
    void sendDueAnswers();
    void writeOut();

    int fd_;
    BoardResponder& responder_;
    BoardOptions options_;
    std::ostream& log_;
    BoardFrameParser parser_;
    std::deque<std::pair<Clock::time_point, std::vector<std::uint8_t>>> scheduled_;
    std::vector<std::uint8_t> out_;
    std::mt19937 random_;
    QSocketNotifier reader_;
    QSocketNotifier writer_;
    QTimer dueTimer_;  // the next delayed answer
    QTimer restTimer_; // looks at the terminal again after a hang-up
};

// "77 70 61 10 00 00 00 0A"
std::string hexLine(const std::vector<std::uint8_t>& bytes);

} // namespace veltra::board_sim
