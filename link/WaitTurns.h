#pragma once
// How the GUI thread waits: the one seam through which every wait of the
// program goes. It never blocks on the port's worker: every wait is made of
// turns, a sleep followed by one pass of the event pump, in which the
// worker's synchronised steps, the timers and the keys run. The link session,
// the upload, the console, the program check and the port wait through a
// WaitTurns, so tests run them in simulated time; the few waits that serve
// the worker itself (its holds, its destruction) and work beside the GUI
// thread use SleepThenPump.

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace veltra {

// One turn of a wait on the GUI thread: sleep `ms`, then let pending events
// run once.
void SleepThenPump(int ms);

// A worker thread's synchronised step is an event posted to an object of the
// GUI thread; the worker waits until it has run. A pass of the event pump
// runs the steps posted so far, and the worker posts its next step only after
// the last one ran, so a wait that pumped once per turn let the worker make
// one step per turn: frames that came together were handed over one per
// turn, and the replies to the polls sent before a request used up the
// request's wait. So the worker announces each step it posts, and a turn's
// sleep runs announced steps as they come (and nothing else: timers, keys and
// painting still wait for the turn's pass of the pump).
//
// The announcements are kept per thread: the receivers made on one thread are
// announced on that thread's board, and a thread's sleep runs only those. So
// several link sessions, each on a thread of its own (veltra-link with several
// boards), never run each other's steps nor wake each other.
struct WorkerStepBoard;
// The board of the calling thread; a receiver's worker keeps the board of the
// thread the receiver was made on.
WorkerStepBoard& workerStepsOfThisThread();
void AnnounceWorkerStep(WorkerStepBoard& board, QObject* receiver);
// The announced step of `receiver` has run; the worker no longer waits.
void WithdrawWorkerStep(WorkerStepBoard& board, QObject* receiver);
// Sleeps `ms` on the calling thread, running the steps announced on its
// board meanwhile.
void SleepRunningWorkerSteps(int ms);

// Turns are used by one thread, the one that waits in them; so is their clock.
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

    // These turns' clock: the milliseconds they have slept so far. However
    // slowly a loaded machine runs, a wait of 500 ms adds 500, so tests
    // measure how long a procedure waits with it instead of with the wall
    // clock. Each turns object keeps its own: the window's waits are not its
    // port's, and in veltra-link each board's are its own.
    std::int64_t WaitedMs() const { return waitedMs_; }

    // Runs `action` once, at the end of the `turns`-th turn from now (1: the
    // next), after that turn's pass of the event pump, where a key pressed
    // meanwhile would have run: a test acts as a user would, at a moment of
    // a wait that a loaded machine does not move.
    void AtTurn(int turns, std::function<void()> action);

  protected:
    // Every implementation tells of its sleeps and the end of each turn.
    void Slept(int ms) { waitedMs_ += ms; }
    void TurnEnded();

  private:
    std::int64_t waitedMs_ = 0;
    std::int64_t turns_ = 0;
    std::vector<std::pair<std::int64_t, std::function<void()>>> atTurn_;
};

// Turns that are never cut short, with real sleeps: a turn is SleepThenPump.
// The port's own waits use them (its settling, the stop before it closes),
// which must run to their end however the program is closing.
class PlainTurns : public WaitTurns {
  public:
    void Turn(int stepMs) override;
    void Sleep(int ms) override;
    void Pump() override;
    bool Aborted() const override { return false; }
};

// Turns with real sleeps and the Qt event pump; the worker's steps run during
// the sleeps too (SleepRunningWorkerSteps). Aborted when the guard object
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
