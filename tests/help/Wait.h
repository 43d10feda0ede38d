#pragma once
// Bounded waiting for a condition while the event loop runs.

#include <QDeadlineTimer>
#include <QTest>

#include <functional>

namespace veltra::test {

inline bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QTest::qWait(10);
    }
    return true;
}

} // namespace veltra::test
