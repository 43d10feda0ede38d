#pragma once
// Bounded waiting for tests that run on the GUI thread: short sleeps with the
// event pump in between (the port worker's steps run there), until the
// condition holds or a generous deadline passes.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace veltra::test {

template <typename Condition> bool waitFor(Condition condition, int timeoutMs = 10000, int stepMs = 2) {
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        QCoreApplication::processEvents();
        if (condition()) return true;
        if (timer.elapsed() > timeoutMs) return false;
        QThread::msleep(static_cast<unsigned long>(stepMs));
    }
}

// Keeps the GUI thread busy for `ms` while processing events.
inline void pumpFor(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents();
        QThread::msleep(2);
    }
}

} // namespace veltra::test
