#pragma once
// Drives a LinkProtocol the way the port's worker would, but in simulated
// time: every wait turn of the code under test advances a clock, every 50 ms
// of it is one worker cycle (OnLinkCycle, the frame "sent"), and the board's
// reply to a sent frame is delivered a few cycles later. No thread, no sleep.
// It can also stand in for the port that SelectPort switches.

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "compiler/ProgramImage.h"
#include "wire/FrameCodec.h"
#include "link/LinkProtocol.h"
#include "link/LinkRequest.h"
#include "link/SelectPort.h"

namespace veltra::test {

class ScriptedBoard : public WaitTurns, public SelectablePort {
public:
    // Decides the reply status for a request frame; nullopt = no answer.
    using Responder = std::function<std::optional<std::uint8_t>(const std::vector<std::uint8_t>& frame)>;

    // The link it plays against; a session that takes these turns at its
    // construction hands its link over afterwards with attach().
    explicit ScriptedBoard(LinkProtocol* link = nullptr) : link_(link) {}
    void attach(LinkProtocol& link) { link_ = &link; }

    Responder respond = [](const std::vector<std::uint8_t>&) { return std::optional<std::uint8_t>(0); };
    bool linkRunning = true;  // false: no cycles run, nobody picks a request up
    int replyDelayCycles = 1;
    bool answerPolls = false; // polls get their reply too, as late as the rest
    bool abortAfterFirstSend = false;

    std::vector<std::vector<std::uint8_t>> sent;  // request frames, polls excluded
    int elapsedMs = 0;

    // From now on every frame, the polls too, is answered `roundTripMs` late;
    // the link then runs three seconds, so that the replies to the polls it
    // sent last are on their way, as before a request on a slow adapter.
    void answerEverythingAfter(int roundTripMs);

    void Turn(int stepMs) override;
    // A sleep in which nothing else runs: the clock moves, no cycle does.
    void Sleep(int ms) override { elapsedMs += ms; }
    void Pump() override { pumped(); }
    bool Aborted() const override { return aborted_; }

    // As the port: SetRun starts and stops the cycles as the worker's run
    // flag does, telling the link; Open succeeds when `opens` says so, and
    // pumps once inside, as the port's holds do.
    bool opens = true;
    void SetRun(bool on) override;
    bool Open(const QString&) override;
    QString OpenFailureMessage() const override { return QStringLiteral("scripted failure"); }

    // A frame the worker has read and whose hand-over step is queued: it
    // reaches the link at the `pumps`-th pass of the event pump from now
    // (Pump, the end of a turn, the pump inside Open), running or not.
    void queueFrame(std::vector<std::uint8_t> frame, int pumps);

private:
    struct Pending {
        int dueCycle;
        std::vector<std::uint8_t> frame;
    };
    void cycle();
    void pumped();

    LinkProtocol* link_;
    TxFrameSlot tx_;
    std::vector<Pending> replies_;
    std::optional<Pending> queued_; // dueCycle counts pumps here
    int sinceCycleMs_ = 0;
    int cycles_ = 0;
    bool aborted_ = false;
};

}  // namespace veltra::test
