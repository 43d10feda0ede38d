#include "board/BoardModel.h"

#include <algorithm>

#include "board/CommandWords.h"
#include "board/WordHandlers.h"

namespace veltra {

BoardModel::BoardModel(std::filesystem::path nonVolatilePath) : nvPath_(std::move(nonVolatilePath)) {}

bool BoardModel::loadProgram(std::span<const std::uint16_t> words) {
    if (words.size() > kProgramCapacity || firstUnrunnableWord(words) >= 0) return false;
    program_.assign(words.begin(), words.end());
    state_.programSize = static_cast<std::uint16_t>(program_.size());
    reset();
    return true;
}

void BoardModel::clearRunState() {
    const auto buttons = state_.buttons;
    const auto forwardedCount = state_.forwardedCount;
    const auto lastForwarded = state_.lastForwarded;
    state_ = BoardState{};
    state_.buttons = buttons; // the buttons are the user's hands, not the board's memory
    state_.forwardedCount = forwardedCount;
    state_.lastForwarded = lastForwarded;
    state_.programSize = static_cast<std::uint16_t>(program_.size());
    returnPoint_ = -1;
    lastExecuted_ = -1;
}

void BoardModel::startProgram() {
    state_.pc = 0;
    state_.running = !program_.empty();
}

void BoardModel::reset() {
    clearRunState();
    startProgram();
    commit();
}

void BoardModel::halt() {
    state_.running = false;
    state_.paused = false;
}

std::size_t BoardModel::stepLength(std::size_t index) const {
    return index < program_.size() && program_[index] == kModulePrefixWord ? 2 : 1;
}

BoardTime BoardModel::step() {
    const std::size_t pc = state_.pc;
    const isa::Decoded word = isa::decode(program_[pc]);
    lastExecuted_ = static_cast<int>(pc);
    std::size_t next = pc + 1;
    BoardTime pause{0};
    const std::optional<isa::Step> how = stepOf(word);
    if (!how) {
        pushEvent({BoardEvent::Kind::Halted, word.word, static_cast<int>(pc)});
        halt();
        return pause;
    }
    switch (*how) {
    case isa::Step::Object:
        // A restore from an empty store leaves its object as it is; the program goes on.
        executeObjectWord(state_, word);
        break;
    case isa::Step::Pause:
        pause = pauseLength(word);
        break;
    case isa::Step::Condition:
        if (!conditionHolds(state_, word)) next += stepLength(next);
        break;
    case isa::Step::Return:
        // Without a jump executed before, there is nowhere to return to: go on.
        if (returnPoint_ >= 0) next = static_cast<std::size_t>(returnPoint_);
        break;
    case isa::Step::Prefix:
        if (pc + 1 < program_.size()) logForwarded(program_[pc + 1], static_cast<int>(pc + 1));
        next = pc + 2;
        break;
    case isa::Step::Jump:
        returnPoint_ = static_cast<int>(pc + 1);
        next = word.target();
        break;
    case isa::Step::Service: // never a step of the board (stepOf gives nothing)
        break;
    }
    state_.pc = static_cast<std::uint16_t>(std::min(next, program_.size()));
    return pause;
}

void BoardModel::advance(BoardTime now) {
    run(now, {wordsPerStep_, {}});
}

RunResult BoardModel::run(BoardTime now, const RunLimits& limits) {
    if (!state_.running) return {RunStop::NotRunning, now, 0};
    BoardTime t = now;
    if (state_.paused) {
        if (now < pauseUntil_) return {RunStop::CaughtUp, now, 0};
        state_.paused = false;
        // Pauses in a row add up exactly even when advance() is called late.
        if (now - pauseUntil_ <= kMaxCatchUp) t = pauseUntil_;
    }
    RunResult result;
    for (;;) {
        if (!state_.running) {
            result.stop = RunStop::NotRunning; // halted at a word it cannot execute
            break;
        }
        if (result.words >= limits.words) {
            result.stop = RunStop::WordLimit;
            break;
        }
        if (state_.pc >= program_.size()) {
            halt(); // the program ran off its end: it stops, the outputs stay as they are
            result.stop = RunStop::NotRunning;
            break;
        }
        if (state_.pc < limits.stopBefore.size() && limits.stopBefore[state_.pc] != 0) {
            result.stop = RunStop::Breakpoint;
            break;
        }
        const BoardTime pause = step();
        ++result.words;
        if (pause.count() == 0) continue;
        pauseUntil_ = t + pause;
        if (pauseUntil_ > now) {
            state_.paused = true;
            t = now;
            result.stop = RunStop::CaughtUp;
            break;
        }
        t = pauseUntil_;
    }
    result.at = t;
    commit();
    return result;
}

bool BoardModel::executeNow(std::uint16_t word) {
    const isa::Decoded w = isa::decode(word);
    if (stepOf(w) != isa::Step::Object) return false;
    const bool done = executeObjectWord(state_, w) == ObjectOutcome::Done;
    commit();
    return done;
}

void BoardModel::forwardToModule(std::uint16_t word, int index) {
    logForwarded(word, index);
    commit();
}

void BoardModel::logForwarded(std::uint16_t word, int index) {
    ++state_.forwardedCount;
    state_.lastForwarded = word;
    pushEvent({BoardEvent::Kind::Forwarded, word, index});
}

void BoardModel::setButton(int button, bool pressed) {
    if (button < 1 || button > kButtonCount) return;
    state_.buttons[button - 1] = pressed;
    commit();
}

std::vector<BoardEvent> BoardModel::takeEvents() {
    std::vector<BoardEvent> out(events_.begin(), events_.end());
    events_.clear();
    return out;
}

void BoardModel::pushEvent(BoardEvent e) {
    if (events_.size() >= kMaxPendingEvents) events_.pop_front();
    events_.push_back(e);
}

void BoardModel::commit() {
    if (state_ == published_) return;
    published_ = state_;
    ++revision_;
}

bool BoardModel::writeNonVolatile(std::string* error) {
    if (!nvPath_.empty()) {
        const std::string why = writeNonVolatileFile(nvPath_, program_);
        if (!why.empty()) {
            if (error) *error = why;
            return false;
        }
    }
    nvWords_ = program_;
    return true;
}

bool BoardModel::eraseNonVolatile(std::string* error) {
    if (!nvPath_.empty()) {
        const std::string why = writeNonVolatileFile(nvPath_, {});
        if (!why.empty()) {
            if (error) *error = why;
            return false;
        }
    }
    nvWords_.clear();
    return true;
}

NonVolatileRead BoardModel::powerOn() {
    NonVolatileRead copy;
    if (nvPath_.empty()) {
        copy.status = nvWords_.empty() ? NonVolatileStatus::Missing : NonVolatileStatus::Loaded;
        copy.words = nvWords_;
    } else {
        copy = readNonVolatileFile(nvPath_);
    }
    if (copy.status == NonVolatileStatus::Loaded) {
        const int bad = copy.words.size() > kProgramCapacity ? 0 : firstUnrunnableWord(copy.words);
        if (bad >= 0) {
            copy.status = NonVolatileStatus::Corrupt;
            copy.message = nvPath_.string() + ": word " + std::to_string(bad) + " cannot be executed";
        }
    }
    if (copy.status != NonVolatileStatus::Loaded) copy.words.clear();
    nvWords_ = copy.words;
    program_ = copy.words;
    reset();
    return copy;
}

} // namespace veltra
