#include "link/SelectPort.h"

#include <QCoreApplication>
#include <QThread>

#include "link/ComPort.h"

namespace veltra {

namespace {
constexpr unsigned long kStopSettleMs = 200;
}

bool SelectPort(ComPort& port, const QString& portName, PortReporter& reporter) {
    port.SetRun(false);
    QCoreApplication::processEvents();
    QThread::msleep(kStopSettleMs);
    QCoreApplication::processEvents();

    if (!isKnownPortName(portName)) return false;

    if (port.Open(portName)) {
        reporter.setPortPanel(QStringLiteral("Порт ") + portName + QStringLiteral(" - ОК"));
        port.SetRun(true);
        return true;
    }
    reporter.errorBeep();
    reporter.setPortPanel(QStringLiteral("Порт ") + portName + QStringLiteral(" - ошибка"));
    reporter.showPortError(port.OpenFailureMessage());
    return false;
}

} // namespace veltra
