#pragma once
// Drives a LinkProtocol the way the port's worker would, but in simulated
// time: every wait turn of the code under test advances a clock, every 50 ms
// of it is one worker cycle (OnLinkCycle, the frame "sent"), and the board's
// reply to a sent frame is delivered a few cycles later. No thread, no sleep.

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "compiler/ProgramImage.h"
#include "link/FrameCodec.h"
#include "link/LinkProtocol.h"
#include "link/LinkRequest.h"

namespace veltra::test {

class ScriptedBoard : public WaitTurns {
public:
    // Decides the reply status for a request frame; nullopt = no answer.
    using Responder = std::function<std::optional<std::uint8_t>(const std::vector<std::uint8_t>& frame)>;

    explicit ScriptedBoard(LinkProtocol& link) : link_(link) {}

    Responder respond = [](const std::vector<std::uint8_t>&) { return std::optional<std::uint8_t>(0); };
    bool linkRunning = true;  // false: no cycles run, nobody picks a request up
    int replyDelayCycles = 1;
    bool abortAfterFirstSend = false;
    ProgramImage image;  // what an upload request sends

    std::vector<std::vector<std::uint8_t>> sent;  // request frames, polls excluded
    int elapsedMs = 0;

    void Turn(int stepMs) override;
    bool Aborted() const override { return aborted_; }

private:
    struct Pending {
        int dueCycle;
        std::vector<std::uint8_t> frame;
    };
    void cycle();

    LinkProtocol& link_;
    TxFrameSlot tx_;
    std::vector<Pending> replies_;
    int sinceCycleMs_ = 0;
    int cycles_ = 0;
    bool aborted_ = false;
};

}  // namespace veltra::test
