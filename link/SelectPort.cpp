#include "link/SelectPort.h"

#include <QCoreApplication>

#include "link/ComPort.h"
#include "link/WaitTurns.h"

namespace veltra {

namespace {
constexpr int kStopSettleMs = 200;
}

QString portPanelText(const QString& portName, bool opened) {
    return QStringLiteral("Порт ") + portName +
           (opened ? QStringLiteral(" - ОК") : QStringLiteral(" - ошибка"));
}

bool SelectPort(ComPort& port, const QString& portName, PortReporter& reporter) {
    port.SetRun(false);
    QCoreApplication::processEvents();
    SleepThenPump(kStopSettleMs);

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
