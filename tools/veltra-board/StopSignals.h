#pragma once
// Ends the event loop on SIGINT, SIGTERM and SIGHUP. The handler only writes a
// byte into a pipe; the loop reads it and quits, so the simulator leaves
// through its normal path and removes its link.

#include <QObject>

#include <string>

class QSocketNotifier;

namespace veltra::board_sim {

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

} // namespace veltra::board_sim
