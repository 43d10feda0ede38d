#pragma once
// Drives the link the way the port's worker would, but in simulated time:
// every wait turn of the code under test advances a clock, every 50 ms of it
// is one worker cycle (OnLinkCycle, the frame "sent"), and the board's reply
// to a sent frame is delivered a few cycles later. No thread, no sleep.
// It also stands in for the port: for SelectPort, and for a link session,
// which makes its port here (PortMaker) and waits for it in these turns.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "compiler/ProgramImage.h"
#include "link/LinkClient.h"
#include "link/LinkProtocol.h"
#include "link/LinkRequest.h"
#include "link/LinkSession.h"
#include "link/SelectPort.h"
#include "wire/FrameCodec.h"

namespace veltra::test {

class ScriptedBoard : public WaitTurns, public SelectablePort, public PortMaker {
  public:
    // Decides the reply status for a request frame; nullopt = no answer.
    using Responder = std::function<std::optional<std::uint8_t>(const std::vector<std::uint8_t>& frame)>;

    // The link it plays against; a session that takes these turns at its
    // construction hands its link over afterwards with attach(), or makes its
    // port here, which then plays against the session.
    explicit ScriptedBoard(LinkProtocol* link = nullptr);
    ~ScriptedBoard() override;
    void attach(LinkProtocol& link);

    Responder respond = [](const std::vector<std::uint8_t>&) { return std::optional<std::uint8_t>(0); };
    bool linkRunning = true; // false: no cycles run, nobody picks a request up
    int replyDelayCycles = 1;
    bool answerPolls = false; // polls get their reply too, as late as the rest
    bool abortAfterFirstSend = false;

    std::vector<std::vector<std::uint8_t>> sent; // request frames, polls excluded
    int elapsedMs = 0;

    // What the code under test did with the port and the waits, in order:
    // "port made", "run on", "run off", "open COM1", "reopen COM1",
    // "port destroyed", "turn 50", "sleep 50", "pump".
    QStringList calls;
    // Called after each of them is noted; a test may abort() the waits there.
    std::function<void(const QString& call)> onCall;
    // From now on every wait is aborted, as when the window closes.
    void abort() { aborted_ = true; }

    // From now on every frame, the polls too, is answered `roundTripMs` late;
    // the link then runs three seconds, so that the replies to the polls it
    // sent last are on their way, as before a request on a slow adapter.
    void answerEverythingAfter(int roundTripMs);

    void Turn(int stepMs) override;
    // A sleep in which nothing else runs: the clock moves, no cycle does.
    void Sleep(int ms) override;
    void Pump() override;
    bool Aborted() const override { return aborted_; }

    // As the port: SetRun starts and stops the cycles as the worker's run
    // flag does, telling the link; Open succeeds when `opens` says so, and
    // pumps once inside, as the port's holds do.
    bool opens = true;
    void SetRun(bool on) override;
    bool Open(const QString& portName) override;
    QString OpenFailureMessage() const override { return QStringLiteral("scripted failure"); }

    // As the session's port maker: the port it makes is this board (its
    // opening, running and reopening), and the port's own waits are these turns.
    std::unique_ptr<SessionPort> MakePort(LinkClient& client, const PortMap& ports) override;
    WaitTurns& PortTurns() override { return *this; }
    // The open device goes away, as the worker finds it: the link stops, the
    // port closes and the session hears of the loss.
    void loseDevice();

    // A frame the worker has read and whose hand-over step is queued: it
    // reaches the link at the `pumps`-th pass of the event pump from now
    // (Pump, the end of a turn, the pump inside Open), running or not.
    void queueFrame(std::vector<std::uint8_t> frame, int pumps);

  private:
    class Port;
    struct Pending {
        int dueCycle;
        std::vector<std::uint8_t> frame;
    };
    void cycle();
    void pumped();
    // The worker's run flag: the cycles run, and the link hears of a change.
    void setRunning(bool on);
    void note(const QString& call);

    LinkClient* client_ = nullptr;
    std::unique_ptr<LinkClient> ownClient_; // for a link attached without a session
    Port* port_ = nullptr;
    TxFrameSlot tx_;
    std::vector<Pending> replies_;
    std::optional<Pending> queued_; // dueCycle counts pumps here
    int sinceCycleMs_ = 0;
    int cycles_ = 0;
    bool aborted_ = false;
    bool portOpen_ = false;
};

} // namespace veltra::test
