#include "link/SelectPort.h"

#include "files/PortMap.h"
#include "link/WaitTurns.h"

namespace veltra {

namespace {
constexpr int kStopSettleMs = 200;
}

QString portPanelText(const QString& portName, bool opened) {
    return QStringLiteral("Порт ") + portName +
           (opened ? QStringLiteral(" - ОК") : QStringLiteral(" - ошибка"));
}

bool SelectPort(SelectablePort& port, const QString& portName, PortReporter& reporter, WaitTurns& turns) {
    port.SetRun(false);
    turns.Pump();
    turns.Turn(kStopSettleMs);

    if (!isKnownPortName(portName) || turns.Aborted()) return false;

    const bool opened = port.Open(portName);
    if (turns.Aborted()) return opened; // the port is closed by whoever aborted
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

bool SelectPort(SelectablePort& port, const QString& portName, PortReporter& reporter) {
    EventPumpTurns turns;
    return SelectPort(port, portName, reporter, turns);
}

} // namespace veltra
