#pragma once
// A program run on the virtual board inside the editor: the board model the
// simulator uses, in process, on the GUI thread, advanced in short slices by
// a timer. Running, it follows the board clock at real time, ten times faster
// or as fast as it can; paused or stopped, its timer stands still and nothing
// ticks. It knows words and lines only through the check's own line map.
//
// The clock seam: the timer hands advance() the wall time that passed since
// its last slice; tests call advance() themselves and never sleep.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>
#include <set>
#include <vector>

#include "board/BoardModel.h"
#include "compiler/ProgramImage.h"

namespace veltra {

class RunSession : public QObject {
    Q_OBJECT

  public:
    enum class Phase : std::uint8_t { Stopped, Running, Paused };
    enum class Speed : std::uint8_t { RealTime, TenTimes, Fastest };

    // A slice at real speed: about 30 a second, as often as a view repaints.
    static constexpr int kSliceMs = 33;
    // As fast as possible: the slice gives the event loop back after this much wall time.
    static constexpr int kFastSliceMs = 8;
    // At most this many words between two looks at the wall clock, as fast as possible.
    static constexpr int kFastChunkWords = 20'000;
    // A slice later than this (a suspended machine) catches up only this much.
    static constexpr std::chrono::milliseconds kMaxStall{10'000};

    explicit RunSession(QObject* parent = nullptr);
    ~RunSession() override;

    // Loads the image's words and starts them from the first at board time 0,
    // running or, with `paused`, stopped before the first word. False when
    // the board refuses the words (then nothing changes).
    bool start(const ProgramImage& image, bool paused = false);
    void stop();
    void pause();
    // Paused: runs on. Stopped before a breakpoint, that word runs first.
    void resume();
    // Paused: executes the next word. A word that starts a pause, or a
    // pause the run was paused in, is finished at once (finishPauseOnStep)
    // or waited out at real speed, and the run stops before the next word.
    void step();
    // Runs on and stops before the first word of `line` or the first line
    // below it with words; false when no line from `line` on has words.
    bool runToLine(int line);

    // Lines (from 1, of the text the run started from) whose first word the run stops before.
    void setBreakpointLines(const std::set<int>& lines);
    void setSpeed(Speed speed);
    Speed speed() const { return speed_; }
    void setFinishPauseOnStep(bool finish) { finishPauseOnStep_ = finish; }
    bool finishPauseOnStep() const { return finishPauseOnStep_; }

    // The clock seam: `elapsed` wall time passed. The timer calls it.
    void advance(std::chrono::milliseconds elapsed);

    Phase phase() const { return phase_; }
    BoardModel& board() { return *board_; }
    const BoardModel& board() const { return *board_; }
    BoardTime boardTime() const { return now_; }
    // The word the run shows: running, the one executed last (the pause being
    // waited out); paused, the next one; -1 before a start.
    int shownWord() const;
    // The source line of shownWord(), 0 for none.
    int shownLine() const;
    int lineOf(int word) const;
    const ProgramImage& image() const { return *image_; }
    // True while the timer runs (only while running or waiting out a pause).
    bool ticking() const { return timer_.isActive(); }
    // The words executed since start(): the view tells by it whether words ran since its last look.
    std::uint64_t wordsExecuted() const { return wordsExecuted_; }

  signals:
    // The board or the phase moved.
    void changed();

  private:
    void tick();
    void runFor(BoardTime target, int words);
    void runFast();
    void settle(const RunResult& r);
    void setPhase(Phase phase);
    void finishOrWaitPause();
    int firstWordOfLine(int line) const;

    std::unique_ptr<BoardModel> board_;
    std::unique_ptr<ProgramImage> image_;
    std::vector<std::uint8_t> breakpoints_; // per word: stop before it
    std::vector<std::uint8_t> stops_;       // the breakpoints and a run-to-line target
    std::set<int> breakpointLines_;
    int runToWord_ = -1;
    bool leaveStop_ = false;  // the next word runs even if it is a stop
    bool waitingOut_ = false; // a step waits out a pause at real speed
    Phase phase_ = Phase::Stopped;
    Speed speed_ = Speed::RealTime;
    bool finishPauseOnStep_ = true;
    BoardTime now_{0};
    std::uint64_t wordsExecuted_ = 0;
    QTimer timer_;
    QElapsedTimer wall_;
};

} // namespace veltra
