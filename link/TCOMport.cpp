#include "link/TCOMport.h"

#include <QSemaphore>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

#include "link/SerialDevice.h"
#include "link/WaitTurns.h"
#include "wire/LinkCycle.h"

namespace veltra {

namespace {

constexpr unsigned long kCycleMs = kLinkCycle.count();
// How long the GUI thread sleeps between tries while it waits for the worker,
// and the worker between looks while it is held.
constexpr int kGuiPollMs = 2;
constexpr unsigned long kHeldPollMs = 2;
constexpr int kTimeCriticalNice = -10;
// How often (in active cycles, about once a second) the worker asks whether
// the port's path still leads to the device it has open.
constexpr unsigned long kPathCheckCycles = 20;

// Errors that say the device itself is gone, not that one transfer failed.
bool meansDeviceGone(int err) {
    return err == EIO || err == ENXIO || err == ENODEV || err == EBADF || err == EPIPE;
}

} // namespace

TCOMport::TCOMport(PortForWorker* owner) : owner(owner), steps_(workerStepsOfThisThread()) {}

TCOMport::~TCOMport() {
    if (isRunning()) StopForGood();
}

TCOMport::Hold::Hold(TCOMport& worker) : worker_(worker) {
    worker_.holdRequests_.fetch_add(1);
    // Never a blocking lock: the worker may be inside Synchronize waiting for
    // this very thread, so events keep being processed until its cycle ends.
    while (!worker_.cycleMutex_.tryLock()) {
        SleepThenPump(kGuiPollMs);
    }
}

TCOMport::Hold::~Hold() {
    worker_.cycleMutex_.unlock();
    worker_.holdRequests_.fetch_sub(1);
}

void TCOMport::StopForGood() {
    {
        Hold hold(*this);
        terminateFlag = true;
    }
    // The worker cannot reach Synchronize any more; still, a wait on the GUI
    // thread is made of short waits with events in between.
    while (!isFinished())
        SleepThenPump(kGuiPollMs);
    wait();
}

void TCOMport::run() {
    Execute();
}

void TCOMport::Execute() {
    while (!terminateFlag) {
        // Let a waiting holder in before taking the next cycle.
        while (holdRequests_.load() > 0 && !terminateFlag)
            QThread::msleep(kHeldPollMs);
        QMutexLocker lock(&cycleMutex_);
        if (terminateFlag) break;

        if (runFlag) {
            ActiveCycle();
        } else {
            active = false;
            SetCyclePriority(false);
            QThread::msleep(kCycleMs);
        }
        if (!terminateFlag) Synchronize(&TCOMport::AdoptRunState);
    }
    active = false;
    SetCyclePriority(false);
}

void TCOMport::ActiveCycle() {
    active = true;
    SetCyclePriority(true);
    QThread::msleep(kCycleMs);
    ++activeCycles;

    // The device changes only while the worker is held, so it is stable here.
    // Once it is found gone the worker leaves it alone until the GUI thread
    // has closed it (at the end of this cycle, in AdoptRunState).
    const SerialDevice* device = owner && !deviceLost_ ? owner->CycleDevice() : nullptr;
    if (device &&
        (device->hungUp() || (activeCycles % kPathCheckCycles == 0 && device->pathNamesAnotherDevice()))) {
        deviceLost_ = true;
        device = nullptr;
    }
    inQueue = device ? device->bytesWaiting() : 0;
    assembler.beginCycle(inQueue);
    while (inQueue > 0) {
        std::uint8_t byte = 0;
        if (!device->readByte(byte)) {
            inQueue = 0;
            break;
        }
        --inQueue;
        if (assembler.feed(byte)) Synchronize(&TCOMport::DeliverFrame);
    }

    Synchronize(&TCOMport::FetchFrame);

    if (txCount > 0) {
        // A failed write is not retried: the missing answer shows on the link
        // monitor. A write that fails because the device is gone ends the link.
        if (device && meansDeviceGone(device->writeAll(txBuffer.data(), static_cast<std::size_t>(txCount))))
            deviceLost_ = true;
        txCount = 0;
    }
}

void TCOMport::Synchronize(void (TCOMport::*step)()) {
    // This object lives on the GUI thread, so the call runs there; the worker
    // waits until it has. This is a blocking queued call, made by hand so that
    // the step can be announced after it was posted: a wait on the GUI thread
    // then runs it during its sleep instead of at its next pass of the pump.
    synchronizing = true;
    QSemaphore done;
    // The releaser travels with the call: whether the step runs or its event
    // is dropped unrun, the worker is let go when the call is destroyed, as
    // a blocking queued connection does.
    auto releaser = std::make_shared<QSemaphoreReleaser>(done);
    QMetaObject::invokeMethod(
        this, [this, step, releaser] { (this->*step)(); }, Qt::QueuedConnection);
    releaser.reset();
    AnnounceWorkerStep(steps_, this);
    done.acquire();
    WithdrawWorkerStep(steps_, this);
    synchronizing = false;
}

void TCOMport::SetCyclePriority(bool timeCritical) {
    if (timeCritical == timeCritical_) return;
    timeCritical_ = timeCritical;
    // Best effort: without the privilege nothing changes, and that is fine.
    setPriority(timeCritical ? QThread::TimeCriticalPriority : QThread::NormalPriority);
    (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), timeCritical ? kTimeCriticalNice : 0);
}

void TCOMport::DeliverFrame() {
    if (owner) owner->DeliverFrame(assembler.frame());
}

void TCOMport::FetchFrame() {
    if (!owner) return;
    if (const unsigned errors = assembler.TakeFramingErrors()) owner->FramingErrors(errors);
    const std::span<const std::uint8_t> frame = owner->FetchFrame();
    std::copy(frame.begin(), frame.end(), txBuffer.begin());
    txCount = static_cast<int>(frame.size());
}

void TCOMport::AdoptRunState() {
    if (!owner) return;
    // The worker is blocked here at the very end of its cycle and touches the
    // device no more in it, so the port may close the device now.
    owner->AdoptRunState(deviceLost_.exchange(false));
}

} // namespace veltra
