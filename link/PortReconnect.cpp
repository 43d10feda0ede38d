#include "link/PortReconnect.h"

#include <QFile>
#include <QFileInfo>

#include "files/PortMap.h"
#include "link/SelectPort.h"
#include "link/SessionPort.h"

namespace veltra {

namespace {
constexpr int kRetryMs = 1000;
}

PortReconnect::PortReconnect(SessionPort& port, PortReporter& reporter, std::function<bool()> mayTry,
                             QObject* parent)
    : QObject(parent), port_(port), reporter_(reporter), mayTry_(std::move(mayTry)) {
    timer_.setInterval(kRetryMs);
    connect(&timer_, &QTimer::timeout, this, [this] {
        watchConfiguredDevice();
        tryNow();
    });
    connect(&devices_, &DeviceWatcher::devicesChanged, this, [this] { tryNow(); });
}

void PortReconnect::setPortName(const QString& name) {
    portName_ = name;
    watchConfiguredDevice();
}

void PortReconnect::watchConfiguredDevice() {
    const std::optional<QByteArray> path = portDevicePath(port_.portMap(), portName_);
    devices_.setExtraFolders(path ? QStringList{QFileInfo(QFile::decodeName(*path)).absolutePath()}
                                  : QStringList{});
}

void PortReconnect::start() {
    watchConfiguredDevice();
    devices_.start();
    timer_.start();
}

void PortReconnect::stop() {
    timer_.stop();
    devices_.stop();
}

bool PortReconnect::tryNow() {
    if (port_.IsOpen() || port_.InTransition() || !isKnownPortName(portName_)) return false;
    if (mayTry_ && !mayTry_()) return false;
    if (!port_.Reopen(portName_)) return false;
    reporter_.setPortPanel(portPanelText(portName_, true));
    port_.SetRun(true);
    if (onReopened_) onReopened_();
    return true;
}

} // namespace veltra
