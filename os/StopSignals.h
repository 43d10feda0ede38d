#pragma once
// SIGINT, SIGTERM and SIGHUP (Ctrl+C, kill, logout) as a Qt signal, so that a
// program leaves through its normal path: the simulator removes its link, the
// editor keeps its unsaved text. The handler only writes a byte into a pipe
// that the event loop watches; all the work happens in the loop.

#include <QObject>

#include <string>

class QSocketNotifier;

namespace veltra {

class StopSignals : public QObject {
    Q_OBJECT
  public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

    // Installs the handlers; false with `error` set when the pipe could not be made.
    bool install(std::string& error);

  signals:
    void stopRequested();

  private:
    int pipe_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace veltra
