#include "tests/support/ScriptedBoard.h"

#include "link/ProtocolClient.h"
#include "wire/LinkCycle.h"

namespace veltra::test {

// The session's port, played by the board.
class ScriptedBoard::Port : public SessionPort {
  public:
    Port(ScriptedBoard& board, const PortMap& ports) : board_(board), ports_(ports) {}
    ~Port() override {
        board_.port_ = nullptr;
        board_.portOpen_ = false;
        board_.note(QStringLiteral("port destroyed"));
    }

    void SetRun(bool on) override { board_.SetRun(on); }
    bool Open(const QString& portName) override { return board_.Open(portName); }
    QString OpenFailureMessage() const override { return board_.OpenFailureMessage(); }
    bool Reopen(const QString& portName) override {
        board_.note(QStringLiteral("reopen ") + portName);
        if (board_.portOpen_ || !board_.opens) return false;
        board_.portOpen_ = true;
        return true;
    }
    bool IsOpen() const override { return board_.portOpen_; }
    bool Enabled() const override { return board_.linkRunning; }
    bool InTransition() const override { return false; }
    void setPortMap(const PortMap& ports) override { ports_ = ports; }
    const PortMap& portMap() const override { return ports_; }

  private:
    ScriptedBoard& board_;
    PortMap ports_;
};

ScriptedBoard::ScriptedBoard(LinkProtocol* link) {
    if (link) attach(*link);
}

ScriptedBoard::~ScriptedBoard() = default;

void ScriptedBoard::attach(LinkProtocol& link) {
    ownClient_ = std::make_unique<ProtocolClient>(link);
    client_ = ownClient_.get();
}

void ScriptedBoard::note(const QString& call) {
    calls.append(call);
    if (onCall) onCall(call);
}

std::unique_ptr<SessionPort> ScriptedBoard::MakePort(LinkClient& client, const PortMap& ports) {
    client_ = &client;
    // A new port's worker starts idle.
    linkRunning = false;
    portOpen_ = false;
    auto port = std::make_unique<Port>(*this, ports);
    port_ = port.get();
    note(QStringLiteral("port made"));
    return port;
}

void ScriptedBoard::loseDevice() {
    linkRunning = false;
    portOpen_ = false;
    client_->OnLinkStopped();
    client_->OnDeviceLost();
}

void ScriptedBoard::Turn(int stepMs) {
    note(QStringLiteral("turn %1").arg(stepMs));
    elapsedMs += stepMs;
    Slept(stepMs);
    if (linkRunning && client_) {
        sinceCycleMs_ += stepMs;
        constexpr int kCycleMs = static_cast<int>(kLinkCycle.count());
        while (sinceCycleMs_ >= kCycleMs) {
            sinceCycleMs_ -= kCycleMs;
            cycle();
        }
    }
    pumped();
    TurnEnded();
}

void ScriptedBoard::Sleep(int ms) {
    note(QStringLiteral("sleep %1").arg(ms));
    elapsedMs += ms;
    Slept(ms);
}

void ScriptedBoard::Pump() {
    note(QStringLiteral("pump"));
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
        client_->OnFrameReceived(queued_->frame);
        queued_.reset();
    }
}

void ScriptedBoard::queueFrame(std::vector<std::uint8_t> frame, int pumps) {
    queued_ = Pending{pumps, std::move(frame)};
}

void ScriptedBoard::SetRun(bool on) {
    note(on ? QStringLiteral("run on") : QStringLiteral("run off"));
    setRunning(on);
}

void ScriptedBoard::setRunning(bool on) {
    if (on == linkRunning) return;
    linkRunning = on;
    if (on) {
        client_->OnLinkStarted();
    } else {
        client_->OnLinkStopped();
    }
}

bool ScriptedBoard::Open(const QString& portName) {
    note(QStringLiteral("open ") + portName);
    setRunning(false); // the worker is held and stops while the port opens
    pumped();
    portOpen_ = opens;
    return opens;
}

void ScriptedBoard::cycle() {
    ++cycles_;
    // Replies that are due arrive before the cycle's outgoing frame, as the
    // worker reads before it asks for the next frame.
    for (auto it = replies_.begin(); it != replies_.end();) {
        if (it->dueCycle <= cycles_) {
            client_->OnFrameReceived(it->frame);
            it = replies_.erase(it);
        } else {
            ++it;
        }
    }
    tx_.txPending = false;
    client_->OnLinkCycle(tx_);
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
    if (status)
        replies_.push_back({cycles_ + replyDelayCycles, {0x77, 0x70, 0x61, code, 0, 0, *status, 0x0A}});
}

} // namespace veltra::test
