#pragma once
// Opening the port by its user-facing name, with the status-bar text and the
// refusal the user sees. The beep and the message box belong to the
// application, which implements PortReporter.

#include <QString>

namespace veltra {

class WaitTurns;

class PortReporter {
  public:
    virtual ~PortReporter() = default;
    virtual void errorBeep() = 0;
    virtual void setPortPanel(const QString& text) = 0;
    // A message box with `message` (its first line is the port's status text).
    virtual void showPortError(const QString& message) = 0;
};

// What SelectPort asks of a port. ComPort is the one port of the program;
// tests put a scripted link in its place.
class SelectablePort {
  public:
    virtual ~SelectablePort() = default;
    virtual void SetRun(bool on) = 0;
    virtual bool Open(const QString& portName) = 0;
    // The message box text for the last failed Open.
    virtual QString OpenFailureMessage() const = 0;
};

// "Порт COM1 - ОК" or "Порт COM1 - ошибка", the port's state in status panel 0.
QString portPanelText(const QString& portName, bool opened);

// Stops the link, then opens "COM1", "COM2" or "COM3" (exact names) and
// starts the link again on success. Any other name opens nothing and reports
// nothing; the link stays stopped. True when a port was opened. Its waits are
// turns of `turns`; once they are aborted (the window closes during the
// waits), the rest is left undone and nothing more is reported.
bool SelectPort(SelectablePort& port, const QString& portName, PortReporter& reporter, WaitTurns& turns);
// The same with plain turns of the event pump, never aborted.
bool SelectPort(SelectablePort& port, const QString& portName, PortReporter& reporter);

} // namespace veltra
