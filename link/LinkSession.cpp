#include "link/LinkSession.h"

#include <QScopedValueRollback>

#include "link/ComPort.h"
#include "link/PortReconnect.h"

namespace veltra {

namespace {

const QString kSeparator(49, QChar('-'));

// The upload's waits. Both pick-ups share one allowance of 10 turns of 50 ms.
constexpr WaitSpec kPickUp{50, 10};
constexpr WaitSpec kStatusReply{50, 10};
constexpr WaitSpec kUploadReply{50, 100};
// The pauses before the window closes: after a failed status step 20 turns of
// 100 ms, after a failed upload 15 of 200 ms.
constexpr WaitSpec kAfterStatusFailure{100, 20};
constexpr WaitSpec kAfterUploadFailure{200, 15};
constexpr int kBeforeUploadMs = 100;
constexpr int kAfterUploadMs = 300;

// After the port was opened at start-up, before the reconnect takes over.
constexpr int kAfterStartMs = 50;
// The turns around stopping the link when closing.
constexpr int kShutdownTurnMs = 50;

// Nobody to tell: a session in a test that does not listen.
class SilentReporter : public PortReporter {
  public:
    void errorBeep() override {}
    void setPortPanel(const QString&) override {}
    void showPortError(const QString&) override {}
};

// The program's port: a ComPort whose settling really waits.
class ComPortMaker : public PortMaker {
  public:
    std::unique_ptr<SessionPort> MakePort(LinkClient& client, const PortMap& ports) override {
        return std::make_unique<ComPort>(&client, ports, turns_);
    }
    WaitTurns& PortTurns() override { return turns_; }

  private:
    PlainTurns turns_;
};

} // namespace

LinkSession::LinkSession(WaitTurns& turns, SessionReporter* reporter, PortMaker* ports)
    : ProtocolClient(link_), turns_(turns), reporter_(reporter),
      ownPorts_(ports ? nullptr : std::make_unique<ComPortMaker>()), ports_(ports ? ports : ownPorts_.get()) {
    if (reporter_) link_.SetShowMessage([this](const QString& text) { reporter_->showLinkMessage(text); });
}

LinkSession::~LinkSession() {
    DestroyPort(); // its worker calls this session until it stops
}

PortReporter& LinkSession::reporter() {
    static SilentReporter silent;
    return reporter_ ? static_cast<PortReporter&>(*reporter_) : silent;
}

void LinkSession::Start(const PortMap& ports, const QString& portName) {
    if (stage_ != Stage::NotStarted) return;
    stage_ = Stage::Starting;
    if (!turns_.Aborted()) CreatePort(ports);
    if (!turns_.Aborted()) SelectPort(portName); // always 57600 baud
    if (!turns_.Aborted()) turns_.Sleep(kAfterStartMs);
    stage_ = Stage::Started;
    if (!turns_.Aborted()) reconnect_->start();
}

void LinkSession::CreatePort(const PortMap& ports) {
    port_ = maker().MakePort(*this, ports);
    reconnect_ =
        std::make_unique<PortReconnect>(*port_, reporter(), [this] { return !Busy() && !turns_.Aborted(); });
    reconnect_->setOnReopened([this] { link_.health().Reconnected(); });
}

void LinkSession::ApplyPortSettings(const PortMap& ports, const QString& portName, bool saved,
                                    bool newDevice) {
    if (!port_ || turns_.Aborted()) return;
    const bool changed = portName != portName_ || newDevice;
    const bool retry = saved && !LinkWorking();
    if (!changed && !retry) return;
    port_->setPortMap(ports); // the dialog read [PORTS] again
    SelectPort(portName);
}

void LinkSession::Shutdown() {
    WaitTurns& settle = maker().PortTurns();
    if (reconnect_) reconnect_->stop();
    for (int i = 0; i < 2; ++i)
        settle.Turn(kShutdownTurnMs);
    SetRun(false);
    for (int i = 0; i < 2; ++i)
        settle.Turn(kShutdownTurnMs);
    settle.Pump();
    DestroyPort();
    settle.Pump();
}

void LinkSession::DestroyPort() {
    reconnect_.reset();
    port_.reset();
}

bool LinkSession::SelectPort(const QString& portName) {
    if (!port_) return false;
    QScopedValueRollback switching(switching_, true);
    portName_ = portName;
    reconnect_->setPortName(portName);
    return veltra::SelectPort(*port_, portName, reporter(), turns_);
}

void LinkSession::SetRun(bool on) {
    if (port_) port_->SetRun(on);
}

bool LinkSession::Reconnecting() const {
    return reconnect_ && reconnect_->running();
}

bool LinkSession::PortInTransition() const {
    return stage_ == Stage::Starting || switching_ || (port_ && port_->InTransition());
}

bool LinkSession::LinkWorking() const {
    return port_ && port_->IsOpen() && port_->Enabled() && link_.LinkAlive();
}

void LinkSession::OnDeviceLost() {
    link_.health().DeviceLost();
    // Quietly: the user did nothing, and the reconnect brings the port back.
    reporter().setPortPanel(portPanelText(portName_, false));
}

RequestResult LinkSession::Request(RequestCode code, const RequestPlan& plan) {
    QScopedValueRollback busy(requests_, requests_ + 1); // for Busy(), however it ends
    return LinkRequest(link_, turns_).Run(code, plan);
}

void LinkSession::FinishRequest() {
    LinkRequest(link_, turns_).Finish();
}

UploadResult LinkSession::Upload(const ProgramImage& checked, TextSink& log) {
    QScopedValueRollback busy(requests_, requests_ + 1); // for Busy(), however it ends
    LinkRequest request(link_, turns_);
    auto pauseAfterFailure = [&](WaitSpec pause) {
        for (int i = 0; i < pause.limit; ++i) {
            if (!request.Pause(pause.stepMs)) return UploadResult::Aborted;
        }
        request.Finish();
        return UploadResult::Failed;
    };
    int pickUps = 0;

    log.AppendLine(QStringLiteral(">>> Запрос статуса "));
    request.Raise(RequestCode::Status);
    bool ok = request.AwaitPickUp(RequestCode::Status, kPickUp, pickUps);
    ok = request.AwaitReply(kStatusReply, ok) && ok;
    if (request.Aborted()) return UploadResult::Aborted;
    // The status byte is not judged here: any answer shows the board is listening.
    log.AppendLine(ok ? QStringLiteral("<<< OK ") : QStringLiteral("<<< ОШИБКА: плата не отвечает ! "));
    log.AppendLine(kSeparator);
    turns_.Pump();
    if (request.Aborted()) return UploadResult::Aborted;
    request.Finish();
    if (!ok) return pauseAfterFailure(kAfterStatusFailure);

    turns_.Sleep(kBeforeUploadMs);
    log.AppendLine(QStringLiteral(">>> Загрузка программы в плату"));
    link_.SetUploadProgram(checked);
    request.Raise(RequestCode::Upload);
    ok = request.AwaitPickUp(RequestCode::Upload, kPickUp, pickUps);
    ok = request.AwaitReply(kUploadReply, ok) && ok;
    if (request.Aborted()) return UploadResult::Aborted;
    const bool memoryFailure = ok && (link_.awaitedReplyStatus() & kMemoryFailureBit);
    if (!ok) {
        log.AppendLine(QStringLiteral("<<< ОШИБКА: плата не отвечает ! "));
    } else if (memoryFailure) {
        log.AppendLine(QStringLiteral("ОШИБКА: сбой памяти Veltra !"));
    } else {
        // Other status bits do not matter: the program is in the board.
        log.AppendLine(QStringLiteral("<<< Программа загружена"));
    }
    log.AppendLine(kSeparator);
    turns_.Pump();
    if (request.Aborted()) return UploadResult::Aborted;
    turns_.Sleep(kAfterUploadMs);
    turns_.Pump();
    if (request.Aborted()) return UploadResult::Aborted;

    if (!ok || memoryFailure) return pauseAfterFailure(kAfterUploadFailure);
    request.Finish();
    return UploadResult::Uploaded;
}

} // namespace veltra
