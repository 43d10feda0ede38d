#include "link/SelectPort.h"

#include <QCoreApplication>
#include <QThread>

#include "link/ComPort.h"

namespace veltra {

namespace {
constexpr unsigned long kStopSettleMs = 200;
}

QString portPanelText(const QString& portName, bool opened) {
    return QStringLiteral("Порт ") + portName +
           (opened ? QStringLiteral(" - ОК") : QStringLiteral(" - ошибка"));
}

bool SelectPort(ComPort& port, const QString& portName, PortReporter& reporter) {
    port.SetRun(false);
    QCoreApplication::processEvents();
    QThread::msleep(kStopSettleMs);
    QCoreApplication::processEvents();

    if (!isKnownPortName(portName)) return false;

    if (port.Open(portName)) {
        reporter.setPortPanel(portPanelText(portName, true));
        port.SetRun(true);
        return true;
    }
    reporter.errorBeep();
    reporter.setPortPanel(portPanelText(portName, false));
    reporter.showPortError(port.OpenFailureMessage());
    return false;
}

} // namespace veltra
