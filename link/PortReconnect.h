#pragma once
// Keeps the configured port open without the user's help. A port that was
// lost (the board or its adapter went away) or failed to open is opened again
// quietly, as soon as its device can be opened: no message box and no sound,
// since the user did nothing. Two things start an attempt: a device event
// (an adapter plugged in, the virtual board's link made; see DeviceWatcher),
// which opens the port at once, and a retry about once a second, which
// catches whatever no event announced (a device whose permissions came
// later, a watch that could not be had). Runs on the GUI thread, so an
// attempt may fall inside any wait that processes events; `mayTry` says when
// the owner cannot have the port change under it.

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

#include "ports/DeviceWatcher.h"

namespace veltra {

class SessionPort;
class PortReporter;

class PortReconnect : public QObject {
  public:
    PortReconnect(SessionPort& port, PortReporter& reporter, std::function<bool()> mayTry,
                  QObject* parent = nullptr);

    // The name the user chose ("COM1".."COM3"); any other name is never opened.
    void setPortName(const QString& name);
    const QString& portName() const { return portName_; }

    void start();
    void stop();
    bool running() const { return timer_.isActive(); }
    // The time between retries (1000 ms); tests lengthen it to see the
    // device events alone at work.
    void setRetryInterval(int ms) { timer_.setInterval(ms); }

    // One attempt now; true when the port opened and the link runs again.
    bool tryNow();
    // Told after every attempt that opened the port.
    void setOnReopened(std::function<void()> told) { onReopened_ = std::move(told); }

  private:
    // Watches the folder of the device the port name stands for now (the
    // port map may have changed since the last look).
    void watchConfiguredDevice();

    SessionPort& port_;
    PortReporter& reporter_;
    std::function<bool()> mayTry_;
    std::function<void()> onReopened_;
    QString portName_;
    QTimer timer_;
    DeviceWatcher devices_;
};

} // namespace veltra
