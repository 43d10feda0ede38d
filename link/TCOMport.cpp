#include "link/TCOMport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <algorithm>
#include <sys/resource.h>
#include <unistd.h>

#include "link/ComPort.h"
#include "link/LinkCycle.h"

namespace veltra {

namespace {

constexpr unsigned long kCycleMs = kLinkCycle.count();
// How long the GUI thread sleeps between tries while it waits for the worker,
// and the worker between looks while it is held.
constexpr unsigned long kGuiPollMs = 2;
constexpr unsigned long kHeldPollMs = 2;
constexpr int kTimeCriticalNice = -10;

} // namespace

TCOMport::TCOMport(ComPort* owner) : owner(owner) {}

TCOMport::~TCOMport() {
    if (isRunning()) StopForGood();
}

TCOMport::Hold::Hold(TCOMport& worker) : worker_(worker) {
    worker_.holdRequests_.fetch_add(1);
    // Never a blocking lock: the worker may be inside Synchronize waiting for
    // this very thread, so events keep being processed until its cycle ends.
    while (!worker_.cycleMutex_.tryLock()) {
        QThread::msleep(kGuiPollMs);
        QCoreApplication::processEvents();
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
    while (!wait(QDeadlineTimer(10)))
        QCoreApplication::processEvents();
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
    // A device that vanished reports nothing waiting and reads nothing.
    const SerialDevice* device = owner ? &owner->device : nullptr;
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
        // A failed write is not retried: the missing answer shows on the link monitor.
        if (device) (void)device->writeAll(txBuffer.data(), static_cast<std::size_t>(txCount));
        txCount = 0;
    }
}

void TCOMport::Synchronize(void (TCOMport::*step)()) {
    // This object lives on the GUI thread, so the call runs there.
    synchronizing = true;
    QMetaObject::invokeMethod(
        this, [this, step] { (this->*step)(); }, Qt::BlockingQueuedConnection);
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
    if (!owner) return;
    auto frame = assembler.frame();
    std::copy(frame.begin(), frame.end(), owner->rxFrame.begin());
    owner->rxLength = static_cast<std::uint16_t>(frame.size());
    if (owner->client_) owner->client_->OnFrameReceived(*owner);
}

void TCOMport::FetchFrame() {
    if (!owner) return;
    if (owner->client_) owner->client_->OnLinkCycle(*owner);
    if (owner->txPending) {
        std::copy_n(owner->txFrame.begin(), owner->txLength, txBuffer.begin());
        owner->txPending = false;
        txCount = owner->txLength;
        owner->txLength = 0;
    }
}

void TCOMport::AdoptRunState() {
    if (owner) runFlag = owner->enabled;
}

} // namespace veltra
