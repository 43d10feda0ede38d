#pragma once
// The virtual board: program memory, the interpreter that runs it against an
// injected clock, the console's immediate commands, the buttons, and the
// non-volatile copy of the program. Not thread-safe: one owner drives it.

#include <cstdint>
#include <deque>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "board/BoardState.h"
#include "board/NonVolatileFile.h"

namespace veltra {

struct BoardEvent {
    enum class Kind : std::uint8_t {
        Forwarded, // `word` was handed to the external module
        Halted,    // the program stopped at a word it cannot execute
    };
    Kind kind;
    std::uint16_t word;
    int index; // program index of the word, -1 for a console command
};

// Why run() gave the clock back.
enum class RunStop : std::uint8_t {
    CaughtUp,   // the program reached `now`, or waits in a pause that ends later
    WordLimit,  // it executed as many words as it was allowed
    Breakpoint, // the next word is one it was told to stop before
    NotRunning, // the program has ended or halted, or none was started
};

struct RunLimits {
    int words = 1000; // at most this many words
    // Entry i set: stop before executing word i (also when it is the next
    // word right away). Shorter than the program, or empty: no stops past it.
    std::span<const std::uint8_t> stopBefore = {};
};

struct RunResult {
    RunStop stop = RunStop::CaughtUp;
    // The board time the program has reached: `now`, or the moment of the
    // word it stopped before (a limit) or of the last word it executed.
    BoardTime at{0};
    int words = 0; // executed in this call
};

class BoardModel {
  public:
    // A program that loops without a pause would otherwise never give the
    // clock back; each advance() executes at most this many words.
    static constexpr int kDefaultWordsPerStep = 1000;
    // A pause that ended this long before advance() was called (the owner
    // stalled) restarts the timing from now instead of replaying the backlog.
    static constexpr BoardTime kMaxCatchUp{1000};
    static constexpr std::size_t kMaxPendingEvents = 256;

    explicit BoardModel(std::filesystem::path nonVolatilePath = {});

    // Program memory. A program the board cannot run (over 1000 words or with
    // a word firstUnrunnableWord() rejects) is refused and the old one stays.
    // An accepted program replaces the old one and starts as after reset().
    bool loadProgram(std::span<const std::uint16_t> words);
    std::span<const std::uint16_t> program() const { return program_; }

    // Stops the program, switches every output off, clears the variables, the
    // stores and the return point, and starts the stored program from index 0.
    void reset();

    // Runs the program up to `now`. Never blocks: a pause only records when it ends.
    void advance(BoardTime now);
    // The same within limits: a step of one word, a run to a breakpoint, a
    // pause waited out with no word after it (words = 0). Words take no board
    // time; a pause that ends by `now` goes on from the moment it ends.
    RunResult run(BoardTime now, const RunLimits& limits);

    // A console command: executes an object word at once. Returns false, and
    // changes nothing, for words that steer a program (pause, condition, jump,
    // return, prefix), for invalid words and for a restore with nothing to restore.
    bool executeNow(std::uint16_t word);
    // A word for the external module: only logged (events and state).
    void forwardToModule(std::uint16_t word, int index = -1);

    void setButton(int button, bool pressed); // button 1..3

    const BoardState& state() const { return state_; }
    // Grows by one whenever state() changed since the previous call that
    // changed anything; equal revisions mean equal states.
    std::uint64_t revision() const { return revision_; }
    // Index of the word executed last, -1 before the first (the pause being
    // waited out, while paused).
    int lastExecuted() const { return lastExecuted_; }
    // Where "возврат" goes: the index after the last executed jump, -1 before any.
    int returnPoint() const { return returnPoint_; }
    // When the pause being waited out ends (state().paused), in board time.
    BoardTime pauseEnds() const { return pauseUntil_; }
    std::vector<BoardEvent> takeEvents();

    void setWordsPerStep(int words) { wordsPerStep_ = words > 0 ? words : 1; }

    // The non-volatile copy of the program. Without a path it lives in memory
    // only (it then survives reset() and powerOn(), not the process).
    const std::filesystem::path& nonVolatilePath() const { return nvPath_; }
    // Copies program memory into it; false (with the reason) when the file could not be written.
    bool writeNonVolatile(std::string* error = nullptr);
    bool eraseNonVolatile(std::string* error = nullptr);
    // As after switching the board on: all outputs off, and the non-volatile
    // copy loaded and started. A missing copy leaves program memory empty; a
    // corrupt one too, and the file is left as it is for the user to inspect.
    NonVolatileRead powerOn();

  private:
    void clearRunState();
    void startProgram();
    void halt();
    // Executes the word at pc; returns the pause it asks for (0 for none).
    BoardTime step();
    std::size_t stepLength(std::size_t index) const;
    void logForwarded(std::uint16_t word, int index);
    void pushEvent(BoardEvent e);
    void commit();

    BoardState state_;
    BoardState published_;
    std::uint64_t revision_ = 0;
    std::vector<std::uint16_t> program_;
    int returnPoint_ = -1; // index after the last executed jump
    BoardTime pauseUntil_{0};
    int lastExecuted_ = -1;
    int wordsPerStep_ = kDefaultWordsPerStep;
    std::deque<BoardEvent> events_;
    std::filesystem::path nvPath_;
    std::vector<std::uint16_t> nvWords_;
};

} // namespace veltra
