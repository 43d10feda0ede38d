#include "tests/support/ScriptedBoard.h"

#include "wire/LinkCycle.h"

namespace veltra::test {

void ScriptedBoard::Turn(int stepMs) {
    elapsedMs += stepMs;
    if (linkRunning) {
        sinceCycleMs_ += stepMs;
        constexpr int kCycleMs = static_cast<int>(kLinkCycle.count());
        while (sinceCycleMs_ >= kCycleMs) {
            sinceCycleMs_ -= kCycleMs;
            cycle();
        }
    }
    pumped();
}

void ScriptedBoard::answerEverythingAfter(int roundTripMs) {
    constexpr int kCycleMs = static_cast<int>(kLinkCycle.count());
    answerPolls = true;
    replyDelayCycles = roundTripMs / kCycleMs;
    for (int turn = 0; turn < 60; ++turn)
        Turn(kCycleMs);
}

void ScriptedBoard::pumped() {
    if (queued_ && --queued_->dueCycle <= 0) {
        link_->OnFrameReceived(queued_->frame);
        queued_.reset();
    }
}

void ScriptedBoard::queueFrame(std::vector<std::uint8_t> frame, int pumps) {
    queued_ = Pending{pumps, std::move(frame)};
}

void ScriptedBoard::SetRun(bool on) {
    if (on == linkRunning) return;
    linkRunning = on;
    if (on) {
        link_->OnLinkStarted();
    } else {
        link_->OnLinkStopped();
    }
}

bool ScriptedBoard::Open(const QString&) {
    SetRun(false);
    pumped();
    return opens;
}

void ScriptedBoard::cycle() {
    ++cycles_;
    // Replies that are due arrive before the cycle's outgoing frame, as the
    // worker reads before it asks for the next frame.
    for (auto it = replies_.begin(); it != replies_.end();) {
        if (it->dueCycle <= cycles_) {
            link_->OnFrameReceived(it->frame);
            it = replies_.erase(it);
        } else {
            ++it;
        }
    }
    tx_.txPending = false;
    link_->OnLinkCycle(tx_);
    if (!tx_.txPending) return;
    std::vector<std::uint8_t> frame(tx_.txFrame.begin(), tx_.txFrame.begin() + tx_.txLength);
    const std::uint8_t code = frame[3];
    std::optional<std::uint8_t> status;
    if (code == static_cast<std::uint8_t>(RequestCode::Poll)) {
        if (answerPolls) status = 0;
    } else {
        sent.push_back(frame);
        if (abortAfterFirstSend) aborted_ = true;
        status = respond(frame);
    }
    if (status) replies_.push_back({cycles_ + replyDelayCycles, {0x77, 0x70, 0x61, code, 0, 0, *status, 0x0A}});
}

}  // namespace veltra::test
