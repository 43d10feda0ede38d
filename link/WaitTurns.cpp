#include "link/WaitTurns.h"

#include <QCoreApplication>
#include <QThread>

namespace veltra {

void SleepThenPump(int ms) {
    QThread::msleep(static_cast<unsigned long>(ms));
    QCoreApplication::processEvents();
}

EventPumpTurns::EventPumpTurns(QObject* guard, std::function<bool()> stop)
    : guard_(guard), guarded_(guard != nullptr), stop_(std::move(stop)) {}

void EventPumpTurns::Turn(int stepMs) {
    if (!Aborted()) SleepThenPump(stepMs);
}

void EventPumpTurns::Sleep(int ms) {
    if (!Aborted()) QThread::msleep(static_cast<unsigned long>(ms));
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
