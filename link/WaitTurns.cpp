#include "link/WaitTurns.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

namespace veltra {

namespace {

// The receivers whose worker waits for a posted step, and a count of the
// announcements, which wakes a sleeping GUI thread.
struct WorkerStepBoard {
    std::mutex mutex;
    std::condition_variable posted;
    std::uint64_t announcements = 0;
    std::vector<QObject*> waiting;
};

WorkerStepBoard& stepBoard() {
    static WorkerStepBoard board;
    return board;
}

std::atomic<std::int64_t> waitedMs{0};

// Every sleep of the seam is this one.
void sleepMs(int ms) {
    QThread::msleep(static_cast<unsigned long>(ms));
    waitedMs += ms;
}

} // namespace

void SleepThenPump(int ms) {
    sleepMs(ms);
    QCoreApplication::processEvents();
}

std::int64_t WaitedMs() {
    return waitedMs;
}

void PlainTurns::Sleep(int ms) {
    sleepMs(ms);
}

void PlainTurns::Pump() {
    QCoreApplication::processEvents();
}

PlainTurns& plainTurns() {
    static PlainTurns turns;
    return turns;
}

void AnnounceWorkerStep(QObject* receiver) {
    WorkerStepBoard& board = stepBoard();
    {
        std::lock_guard lock(board.mutex);
        board.waiting.push_back(receiver);
        ++board.announcements;
    }
    board.posted.notify_all();
}

void WithdrawWorkerStep(QObject* receiver) {
    WorkerStepBoard& board = stepBoard();
    std::lock_guard lock(board.mutex);
    auto it = std::find(board.waiting.begin(), board.waiting.end(), receiver);
    if (it != board.waiting.end()) board.waiting.erase(it);
}

void SleepRunningWorkerSteps(int ms) {
    WorkerStepBoard& board = stepBoard();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    std::unique_lock lock(board.mutex);
    for (;;) {
        // A receiver is on the list only while its worker waits for it, and
        // only this thread destroys it, so it is alive here.
        const std::vector<QObject*> receivers = board.waiting;
        const std::uint64_t seen = board.announcements;
        lock.unlock();
        for (QObject* receiver : receivers)
            QCoreApplication::sendPostedEvents(receiver, QEvent::MetaCall);
        lock.lock();
        if (!board.posted.wait_until(lock, deadline, [&] { return board.announcements != seen; })) break;
    }
    waitedMs += ms;
}

EventPumpTurns::EventPumpTurns(QObject* guard, std::function<bool()> stop)
    : guard_(guard), guarded_(guard != nullptr), stop_(std::move(stop)) {}

void EventPumpTurns::Turn(int stepMs) {
    if (Aborted()) return;
    SleepRunningWorkerSteps(stepMs);
    QCoreApplication::processEvents();
}

void EventPumpTurns::Sleep(int ms) {
    if (!Aborted()) sleepMs(ms);
}

void EventPumpTurns::Pump() {
    if (!Aborted()) QCoreApplication::processEvents();
}

bool EventPumpTurns::Aborted() const {
    if (aborted_) return true;
    if (guarded_ && guard_.isNull()) return true;
    return stop_ && stop_();
}

} // namespace veltra
