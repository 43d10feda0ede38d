#pragma once
// The port's worker. While its run flag is set it cycles every 50 ms: reads
// the bytes that wait, cuts them into frames, hands each frame to the GUI
// thread, asks the GUI thread for the next outgoing frame and writes it.
//
// Every step that touches the port object or the link state runs on the GUI
// thread through Synchronize (a blocking queued call), so the GUI thread must
// keep processing events while it waits for anything the worker does. One
// cycle runs under cycleMutex_; the GUI thread "holds the worker still" by
// taking that mutex with a polling try-lock that processes events between
// tries, so a cycle blocked in Synchronize can always finish first.

#include <QMutex>
#include <QThread>

#include <array>
#include <atomic>
#include <cstdint>
#include <span>

#include "wire/FrameAssembler.h"
#include "wire/FrameCodec.h"

namespace veltra {

class SerialDevice;
struct WorkerStepBoard;

// What the worker reaches of the port it serves (the ComPort). The device is
// read during the worker's cycle, where it is stable: it changes only while
// the worker is held. Everything else runs on the GUI thread, inside the
// worker's synchronised steps.
class PortForWorker {
  public:
    virtual ~PortForWorker() = default;
    // The open device; nullptr when there is none.
    virtual const SerialDevice* CycleDevice() const = 0;
    // DeliverFrame: a complete frame, header included.
    virtual void DeliverFrame(std::span<const std::uint8_t> frame) = 0;
    // FetchFrame: the frame to write in this cycle, taken from the port (its
    // txFrame, no longer pending); empty when there is none. It stays valid
    // until the next call.
    virtual std::span<const std::uint8_t> FetchFrame() = 0;
    // Breaks in the received stream since the last call (FrameAssembler).
    virtual void FramingErrors(unsigned count) = 0;
    // AdoptRunState, at the end of every cycle: the device was found gone in
    // it (`deviceLost`), and the worker's run flag becomes what the port asks.
    virtual void AdoptRunState(bool deviceLost) = 0;
};

class TCOMport : public QThread {
  public:
    explicit TCOMport(PortForWorker* owner);
    ~TCOMport() override;

    // Keeps the worker out of its cycle while alive; the constructor returns
    // once the worker has finished the cycle it was in.
    class Hold {
      public:
        explicit Hold(TCOMport& worker);
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

      private:
        TCOMport& worker_;
    };

    // Ends the worker for good: holds it, sets the terminate flag and waits
    // (processing events) until the thread has finished.
    void StopForGood();
    // The port object goes: the worker's steps reach it no more.
    void Detach() { owner = nullptr; }

    // The worker services the port only while its run flag is set. Written by
    // the GUI thread (SetRun, ApplyRunState and the AdoptRunState step);
    // returns what it was.
    bool SetRunFlag(bool on) { return runFlag.exchange(on); }
    // The worker is inside an active cycle.
    bool Active() const { return active; }

    // Active cycles run so far, and whether the worker now waits in
    // Synchronize; for tests and measurements.
    unsigned long ActiveCycles() const { return activeCycles; }
    bool Synchronizing() const { return synchronizing; }

  protected:
    void run() override;

  private:
    void Execute();
    void ActiveCycle();
    void Synchronize(void (TCOMport::*step)());
    void SetCyclePriority(bool timeCritical);

    // The synchronised steps, run on the GUI thread while the worker waits.
    void DeliverFrame();
    void FetchFrame();
    void AdoptRunState();

    // Named runFlag because QThread::run is the thread's body. Seven fields
    // cross threads, all atomic: these three flags, activeCycles and
    // synchronizing (read by tests and measurements), deviceLost_ and
    // holdRequests_; the cycle itself is held with cycleMutex_.
    std::atomic<bool> runFlag{false};
    std::atomic<bool> active{false};
    std::atomic<bool> terminateFlag{false};

    // Where the GUI-thread side lives; cleared when the port object goes.
    PortForWorker* owner;

    FrameAssembler assembler; // rxBuffer, rxPos, payloadLength, idleCycles
    int inQueue = 0;
    std::array<std::uint8_t, kFrameBufferSize> txBuffer{};
    int txCount = 0;

    std::atomic<unsigned long> activeCycles{0};
    std::atomic<bool> synchronizing{false};

    // Set by the worker when it finds the device gone; read and cleared by
    // AdoptRunState on the GUI thread while the worker waits for it.
    std::atomic<bool> deviceLost_{false};

    // Where its steps are announced: the board of the thread this object
    // lives on, which runs them.
    WorkerStepBoard& steps_;

    QMutex cycleMutex_;
    std::atomic<int> holdRequests_{0};
    bool timeCritical_ = false;
};

} // namespace veltra
