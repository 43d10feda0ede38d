#pragma once
// How the GUI thread waits for the board. It never blocks on the port's
// worker: every wait is made of turns, a sleep followed by one pass of the
// event pump, in which the worker's synchronised steps, the timers and the
// keys run. The upload and the console wait through a WaitTurns, so tests can
// run them in simulated time; everything else that waits on the GUI thread
// uses SleepThenPump.

#include <QObject>
#include <QPointer>

#include <functional>

namespace veltra {

// One turn of a wait on the GUI thread: sleep `ms`, then let pending events
// run once.
void SleepThenPump(int ms);

class WaitTurns {
  public:
    virtual ~WaitTurns() = default;
    // One turn: sleep `stepMs`, then process pending events once.
    virtual void Turn(int stepMs) = 0;
    // A sleep in which nothing else runs (the worker's steps wait for it).
    virtual void Sleep(int ms) = 0;
    // Pending events run once (a line just written gets painted).
    virtual void Pump() = 0;
    // True once the wait must end at once, without touching anything more
    // (the window that owns the link state is closing or gone).
    virtual bool Aborted() const = 0;
};

// Turns with real sleeps and the Qt event pump. Aborted when the guard object
// has been destroyed, or when `stop` (asked only while the guard lives) says
// so; an aborted wait neither sleeps nor pumps.
class EventPumpTurns : public WaitTurns {
  public:
    explicit EventPumpTurns(QObject* guard = nullptr, std::function<bool()> stop = {});
    void Turn(int stepMs) override;
    void Sleep(int ms) override;
    void Pump() override;
    bool Aborted() const override;
    void Abort() { aborted_ = true; }

  private:
    QPointer<QObject> guard_;
    bool guarded_;
    std::function<bool()> stop_;
    bool aborted_ = false;
};

} // namespace veltra
