#include "link/ComPort.h"

#include <QFile>
#include <QScopedValueRollback>
#include <QStringList>

#include <cstring>

#include "link/TCOMport.h"
#include "link/WaitTurns.h"
#include "ports/PortDoctor.h"

namespace veltra {

namespace {

constexpr int kRunStateSettleMs = 200;
constexpr int kSetRunSettleMs = 100;
constexpr int kDestroyTurnMs = 10;
// The worker reaches its idle state within about two cycles; the bound only
// keeps a broken client from holding the program forever.
constexpr int kDestroyTurnLimit = 500;

} // namespace

ComPort::ComPort(LinkClient* client, PortMap ports, WaitTurns& turns)
    : thread(std::make_unique<TCOMport>(static_cast<PortForWorker*>(this))), client_(client),
      ports_(std::move(ports)), turns_(turns) {
    thread->start();
    ApplyRunState();
    statusText = QStringLiteral(" COM-port has NO Errors ");
}

ComPort::~ComPort() {
    enabled = false;
    // Its pending synchronised steps run in these turns, so it gets to its idle state.
    for (int turn = 0; thread->Active() && turn < kDestroyTurnLimit; ++turn) {
        turns_.Turn(kDestroyTurnMs);
    }
    thread->StopForGood();
    thread->Detach();
    device.close();
    isOpen = false;
}

void ComPort::setWorkerRun(bool on) {
    const bool was = thread->SetRunFlag(on);
    if (!client_ || was == on) return;
    if (on) {
        client_->OnLinkStarted();
    } else {
        client_->OnLinkStopped();
    }
}

void ComPort::ApplyRunState() {
    // Counted for InTransition(): the waits below process events.
    QScopedValueRollback transition(transitions_, transitions_ + 1);
    // The worker sits before its next cycle, outside any synchronised step,
    // so these sleeps need not process events.
    TCOMport::Hold hold(*thread);
    turns_.Sleep(kRunStateSettleMs);
    setWorkerRun(isOpen && enabled);
    turns_.Sleep(kRunStateSettleMs);
}

void ComPort::SetRun(bool on) {
    enabled = on;
    setWorkerRun(enabled);
    turns_.Sleep(kSetRunSettleMs);
}

void ComPort::DeviceLost() {
    device.close();
    isOpen = false;
    enabled = false;
    thread->SetRunFlag(false);
    if (client_) {
        client_->OnLinkStopped();
        client_->OnDeviceLost();
    }
}

void ComPort::DeliverFrame(std::span<const std::uint8_t> frame) {
    std::copy(frame.begin(), frame.end(), rxFrame.begin());
    rxLength = static_cast<std::uint16_t>(frame.size());
    if (client_) client_->OnFrameReceived({rxFrame.data(), rxLength});
}

std::span<const std::uint8_t> ComPort::FetchFrame() {
    if (client_) client_->OnLinkCycle(*this);
    if (!txPending) return {};
    txPending = false;
    const std::size_t length = txLength;
    txLength = 0;
    return {txFrame.data(), length};
}

void ComPort::AdoptRunState(bool deviceLost) {
    if (deviceLost) DeviceLost();
    setWorkerRun(enabled);
}

bool ComPort::Reopen(const QString& portName) {
    if (isOpen || InTransition()) return false;
    // The path's bytes, as Open takes them: decoded, a path in another
    // encoding than UTF-8 would name nothing.
    const std::optional<QByteArray> path = portDevicePath(ports_, portName);
    if (!path) return false;
    SerialDevice fresh;
    if (!fresh.openExclusive(path->toStdString()) || !fresh.configure()) return false;
    QScopedValueRollback transition(transitions_, transitions_ + 1);
    // The worker is idle while the port is closed; holding it only makes sure
    // it is between cycles while the device changes.
    TCOMport::Hold hold(*thread);
    device = std::move(fresh);
    isOpen = true;
    return true;
}

bool ComPort::Open(const QString& portName) {
    QScopedValueRollback transition(transitions_, transitions_ + 1);
    isOpen = false;
    ApplyRunState();
    device.close();

    // The path's bytes go to open() unchanged; a name given as a path is the
    // file system's encoding of it.
    const QByteArray path = portDevicePath(ports_, portName).value_or(QFile::encodeName(portName));
    failurePath_ = path;
    failureErrno_ = 0;
    if (!device.openExclusive(path.toStdString())) {
        failureErrno_ = device.lastErrno();
        statusText = QStringLiteral("  Внимание: ошибка при попытке открыть порт связи ") + portName +
                     QStringLiteral("   ");
        return false;
    }
    if (!device.configure()) {
        // The device stays open until the next Open, as a refused configuration leaves it.
        failureErrno_ = device.lastErrno();
        statusText = QStringLiteral(" Внимание: ошибка при конфигурировании COM-порта ! ");
        return false;
    }
    isOpen = true;
    ApplyRunState();
    return true;
}

QString ComPort::OpenFailureMessage() const {
    QString detail = QFile::decodeName(failurePath_);
    if (failureErrno_ != 0)
        detail += QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(failureErrno_));
    QStringList lines{statusText, detail};
    if (failureErrno_ != 0) lines += diagnoseOpenFailure(failurePath_, failureErrno_);
    return lines.join(QLatin1Char('\n'));
}

} // namespace veltra
