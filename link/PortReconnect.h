#pragma once
// Keeps the configured port open without the user's help. A port that was
// lost (the board or its adapter went away) or failed to open is opened again
// quietly, about once a second, as soon as its device can be opened: no
// message box and no sound, since the user did nothing. Runs on the GUI thread
// from a timer, so an attempt may fall inside any wait that processes events;
// `mayTry` says when the owner cannot have the port change under it.

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

namespace veltra {

class ComPort;
class PortReporter;

class PortReconnect : public QObject {
  public:
    PortReconnect(ComPort& port, PortReporter& reporter, std::function<bool()> mayTry,
                  QObject* parent = nullptr);

    // The name the user chose ("COM1".."COM3"); any other name is never opened.
    void setPortName(const QString& name) { portName_ = name; }
    const QString& portName() const { return portName_; }

    void start();
    void stop();

    // One attempt now; true when the port opened and the link runs again.
    bool tryNow();

  private:
    ComPort& port_;
    PortReporter& reporter_;
    std::function<bool()> mayTry_;
    QString portName_;
    QTimer timer_;
};

} // namespace veltra
