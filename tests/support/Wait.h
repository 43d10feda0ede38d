#pragma once
// Waits for a condition while the event loop runs: short turns until it holds
// or a generous deadline passes. Returns whether it came true.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

namespace veltra::test {

template <typename Condition> bool waitFor(Condition condition, int timeoutMs = 5000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) return condition();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

} // namespace veltra::test
