#include "app/run/RunSession.h"

#include <algorithm>
#include <span>

namespace veltra {

RunSession::RunSession(QObject* parent)
    : QObject(parent), board_(std::make_unique<BoardModel>()), image_(std::make_unique<ProgramImage>()) {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &RunSession::tick);
}

RunSession::~RunSession() = default;

bool RunSession::start(const ProgramImage& image, bool paused) {
    if (image.count == 0 || !board_->loadProgram(std::span(image.words.data(), image.count))) return false;
    *image_ = image;
    now_ = BoardTime{0};
    wordsExecuted_ = 0;
    runToWord_ = -1;
    leaveStop_ = false;
    waitingOut_ = false;
    setBreakpointLines(breakpointLines_);
    // Stopped before the first word: a breakpoint there is where the run stands, not a word to skip.
    if (paused) {
        setPhase(Phase::Paused);
    } else {
        setPhase(Phase::Running);
        // The words before the first pause run now, not a slice later.
        advance(std::chrono::milliseconds{0});
    }
    emit changed();
    return true;
}

void RunSession::stop() {
    waitingOut_ = false;
    runToWord_ = -1;
    setPhase(Phase::Stopped);
    emit changed();
}

void RunSession::pause() {
    if (phase_ != Phase::Running) return;
    waitingOut_ = false; // the pause goes on waiting when the run does
    runToWord_ = -1;
    setBreakpointLines(breakpointLines_);
    setPhase(Phase::Paused);
    emit changed();
}

void RunSession::resume() {
    if (phase_ != Phase::Paused) return;
    leaveStop_ = true;
    setPhase(Phase::Running);
    emit changed();
}

void RunSession::step() {
    if (phase_ != Phase::Paused) return;
    if (!board_->state().paused) {
        const RunResult r = board_->run(now_, {1, {}});
        wordsExecuted_ += r.words;
        if (r.stop == RunStop::NotRunning && r.words == 0) setPhase(Phase::Stopped);
    }
    if (board_->state().running && board_->state().paused) finishOrWaitPause();
    emit changed();
}

void RunSession::finishOrWaitPause() {
    if (finishPauseOnStep_) {
        now_ = board_->pauseEnds();
        board_->run(now_, {0, {}}); // the pause ends; the next word waits for the next step
        return;
    }
    waitingOut_ = true;
    setPhase(Phase::Running);
}

bool RunSession::runToLine(int line) {
    const int word = firstWordOfLine(line);
    if (word < 0 || phase_ == Phase::Stopped) return false;
    runToWord_ = word;
    setBreakpointLines(breakpointLines_);
    resume();
    return true;
}

int RunSession::firstWordOfLine(int line) const {
    int best = -1;
    for (int i = 0; i < image_->count; ++i) {
        const int at = image_->wordLine[i];
        if (at >= line && (best < 0 || at < image_->wordLine[best])) best = i;
    }
    return best;
}

void RunSession::setBreakpointLines(const std::set<int>& lines) {
    breakpointLines_ = lines;
    const int count = image_->count;
    stops_.assign(count, 0);
    for (int i = 0; i < count; ++i) {
        const int line = image_->wordLine[i];
        // A line's first word only: both words of a condition are one stop.
        const bool first = i == 0 || image_->wordLine[i - 1] != line;
        if (first && lines.count(line)) stops_[i] = 1;
    }
    if (runToWord_ >= 0 && runToWord_ < count) stops_[runToWord_] = 1;
}

void RunSession::setSpeed(Speed speed) {
    speed_ = speed;
    if (!waitingOut_) timer_.setInterval(speed == Speed::Fastest ? 0 : kSliceMs);
}

void RunSession::tick() {
    advance(std::chrono::milliseconds(wall_.restart()));
}

void RunSession::advance(std::chrono::milliseconds elapsed) {
    if (phase_ != Phase::Running) return;
    if (waitingOut_) {
        const RunResult r = board_->run(now_ + elapsed, {0, {}});
        now_ = r.at;
        if (!board_->state().paused) {
            waitingOut_ = false;
            setPhase(Phase::Paused);
        }
    } else if (speed_ == Speed::Fastest) {
        runFast();
    } else {
        // A late slice (the window dragged, the machine busy) is run in parts
        // the board catches up exactly, so its pauses keep their lengths;
        // beyond kMaxStall the board's clock skips as the board's own does.
        BoardTime left = std::min(elapsed, kMaxStall) * (speed_ == Speed::TenTimes ? 10 : 1);
        do { // once at least: at the start, the words before the first pause
            const BoardTime part = std::min(left, BoardModel::kMaxCatchUp / 2);
            runFor(now_ + part, BoardModel::kDefaultWordsPerStep);
            left -= part;
        } while (left.count() > 0 && phase_ == Phase::Running);
    }
    emit changed();
}

void RunSession::runFor(BoardTime target, int words) {
    if (leaveStop_) {
        leaveStop_ = false;
        if (!board_->state().paused) {
            // Stopped between words at now_: the words up to the next pause
            // run then, so that the pause starts when it would have.
            RunResult r = board_->run(now_, {1, {}});
            wordsExecuted_ += r.words;
            if (r.stop == RunStop::NotRunning) return settle(r);
            r = board_->run(now_, {words, stops_});
            wordsExecuted_ += r.words;
            if (r.stop == RunStop::NotRunning || r.stop == RunStop::Breakpoint) return settle(r);
        }
    }
    const RunResult r = board_->run(target, {words, stops_});
    wordsExecuted_ += r.words;
    // A loop without a pause used up its words: the clock goes on, as on the board.
    if (r.stop == RunStop::WordLimit) {
        now_ = target;
        return;
    }
    settle(r);
}

void RunSession::runFast() {
    QElapsedTimer slice;
    slice.start();
    do {
        // No wall clock to follow: a pause ends the moment it is reached.
        if (board_->state().paused) now_ = board_->pauseEnds();
        runFor(now_, kFastChunkWords);
    } while (phase_ == Phase::Running && slice.elapsed() < kFastSliceMs);
}

void RunSession::settle(const RunResult& r) {
    now_ = r.at;
    if (r.stop == RunStop::Breakpoint) {
        runToWord_ = -1;
        setBreakpointLines(breakpointLines_);
        setPhase(Phase::Paused);
    } else if (r.stop == RunStop::NotRunning) {
        setPhase(Phase::Stopped);
    }
}

void RunSession::setPhase(Phase phase) {
    phase_ = phase;
    if (phase != Phase::Running) {
        timer_.stop();
        return;
    }
    timer_.setInterval(speed_ == Speed::Fastest && !waitingOut_ ? 0 : kSliceMs);
    wall_.restart();
    timer_.start();
}

int RunSession::shownWord() const {
    const BoardState& s = board_->state();
    if (phase_ == Phase::Paused) return s.running && s.pc < image_->count ? s.pc : board_->lastExecuted();
    if (phase_ == Phase::Running && board_->lastExecuted() < 0) return s.pc;
    return board_->lastExecuted();
}

int RunSession::shownLine() const {
    return lineOf(shownWord());
}

int RunSession::lineOf(int word) const {
    return word >= 0 && word < image_->count ? image_->wordLine[word] : 0;
}

} // namespace veltra
