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

// Nobody to tell: a session in a test that does not listen.
class SilentReporter : public PortReporter {
  public:
    void errorBeep() override {}
    void setPortPanel(const QString&) override {}
    void showPortError(const QString&) override {}
};

} // namespace

LinkSession::LinkSession(WaitTurns& turns, SessionReporter* reporter, QObject* parent)
    : QObject(parent), ProtocolClient(link_), turns_(turns), reporter_(reporter) {
    if (reporter_) link_.showMessage = [this](const QString& text) { reporter_->showLinkMessage(text); };
}

LinkSession::~LinkSession() {
    reconnect_.reset();
    port_.reset(); // its worker calls this session until it stops
}

PortReporter& LinkSession::reporter() {
    static SilentReporter silent;
    return reporter_ ? static_cast<PortReporter&>(*reporter_) : silent;
}

void LinkSession::CreatePort(const PortMap& ports) {
    port_ = std::make_unique<ComPort>(static_cast<LinkClient*>(this), ports);
    reconnect_ =
        std::make_unique<PortReconnect>(*port_, reporter(), [this] { return !Busy() && !turns_.Aborted(); });
}

void LinkSession::SetPortMap(const PortMap& ports) {
    if (port_) port_->setPortMap(ports);
}

bool LinkSession::SelectPort(const QString& portName) {
    if (!port_) return false;
    QScopedValueRollback switching(switching_, true);
    reconnect_->setPortName(portName);
    return veltra::SelectPort(*port_, portName, reporter(), turns_);
}

void LinkSession::SetRun(bool on) {
    if (port_) port_->SetRun(on);
}

void LinkSession::DestroyPort() {
    reconnect_.reset();
    port_.reset();
}

void LinkSession::StartReconnect() {
    if (reconnect_) reconnect_->start();
}

void LinkSession::StopReconnect() {
    if (reconnect_) reconnect_->stop();
}

bool LinkSession::PortInTransition() const {
    return switching_ || (port_ && port_->InTransition());
}

bool LinkSession::LinkWorking() const {
    return port_ && port_->IsOpen() && port_->Enabled() && link_.LinkAlive();
}

void LinkSession::OnDeviceLost() {
    // Quietly: the user did nothing, and the reconnect brings the port back.
    reporter().setPortPanel(portPanelText(reconnect_ ? reconnect_->portName() : QString(), false));
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
    const bool memoryFailure = ok && (link_.awaitedReplyStatus & kMemoryFailureBit);
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
