#pragma once
// Drives a BoardModel in real time from a Qt timer: the program advances while
// the event loop stays free, so a long pause never blocks the window or the link.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdint>

#include "board/BoardState.h"

namespace veltra {

class BoardModel;

class BoardRunner : public QObject {
    Q_OBJECT
  public:
    // Short enough that 20 ms pauses keep their time to a few milliseconds.
    static constexpr int kDefaultIntervalMs = 5;

    explicit BoardRunner(BoardModel& model, QObject* parent = nullptr);

    // The board time handed to the model: milliseconds since the runner was made.
    BoardTime now() const { return BoardTime(clock_.elapsed()); }
    void setInterval(int ms) { timer_.setInterval(ms); }

  public slots:
    // Advances the model to now() and reports a change; the timer calls it.
    void tick();

  signals:
    void changed();

  private:
    BoardModel& model_;
    QElapsedTimer clock_;
    QTimer timer_;
    std::uint64_t lastRevision_ = 0;
};

} // namespace veltra
