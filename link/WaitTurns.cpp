#include "link/WaitTurns.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

namespace veltra {

// The receivers of one thread whose worker waits for a posted step, and a
// count of the announcements, which wakes that thread when it sleeps.
struct WorkerStepBoard {
    std::mutex mutex;
    std::condition_variable posted;
    std::uint64_t announcements = 0;
    std::vector<QObject*> waiting;
};

void SleepThenPump(int ms) {
    QThread::msleep(static_cast<unsigned long>(ms));
    QCoreApplication::processEvents();
}

void WaitTurns::AtTurn(int turns, std::function<void()> action) {
    atTurn_.emplace_back(turns_ + turns, std::move(action));
}

void WaitTurns::TurnEnded() {
    ++turns_;
    // An action may wait itself, or ask for another: the due ones are taken
    // out first.
    std::vector<std::function<void()>> due;
    for (auto it = atTurn_.begin(); it != atTurn_.end();) {
        if (it->first > turns_) {
            ++it;
            continue;
        }
        due.push_back(std::move(it->second));
        it = atTurn_.erase(it);
    }
    for (const auto& action : due)
        action();
}

void PlainTurns::Turn(int stepMs) {
    SleepThenPump(stepMs);
    Slept(stepMs);
    TurnEnded();
}

void PlainTurns::Sleep(int ms) {
    QThread::msleep(static_cast<unsigned long>(ms));
    Slept(ms);
}

void PlainTurns::Pump() {
    QCoreApplication::processEvents();
}

// Each thread that runs a link session has its own board: a sleeping thread
// runs the steps of its own receivers only (another thread's receivers cannot
// have their posted events sent from here), and another thread's
// announcements do not wake it. A board lives as long as its thread, which
// outlives every receiver made on it.
WorkerStepBoard& workerStepsOfThisThread() {
    thread_local WorkerStepBoard board;
    return board;
}

void AnnounceWorkerStep(WorkerStepBoard& board, QObject* receiver) {
    {
        std::lock_guard lock(board.mutex);
        board.waiting.push_back(receiver);
        ++board.announcements;
    }
    board.posted.notify_all();
}

void WithdrawWorkerStep(WorkerStepBoard& board, QObject* receiver) {
    std::lock_guard lock(board.mutex);
    auto it = std::find(board.waiting.begin(), board.waiting.end(), receiver);
    if (it != board.waiting.end()) board.waiting.erase(it);
}

void SleepRunningWorkerSteps(int ms) {
    WorkerStepBoard& board = workerStepsOfThisThread();
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
}

EventPumpTurns::EventPumpTurns(QObject* guard, std::function<bool()> stop)
    : guard_(guard), guarded_(guard != nullptr), stop_(std::move(stop)) {}

void EventPumpTurns::Turn(int stepMs) {
    if (Aborted()) return;
    SleepRunningWorkerSteps(stepMs);
    Slept(stepMs);
    QCoreApplication::processEvents();
    TurnEnded();
}

void EventPumpTurns::Sleep(int ms) {
    if (Aborted()) return;
    QThread::msleep(static_cast<unsigned long>(ms));
    Slept(ms);
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
