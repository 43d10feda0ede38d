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

bool SelectPort(ComPort& port, const QString& portName, PortReporter& reporter,
                const std::function<bool()>& abort) {
    auto aborted = [&] { return abort && abort(); };
    port.SetRun(false);
    QCoreApplication::processEvents();
    SleepThenPump(kStopSettleMs);

    if (!isKnownPortName(portName) || aborted()) return false;

    const bool opened = port.Open(portName);
    if (aborted()) return opened; // the port is closed by whoever aborted
    if (opened) {
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
