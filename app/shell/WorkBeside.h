#pragma once
// Work that may take a while on a worker thread (reading and decoding a file a
// user picked, on a slow disk or a network folder), while the GUI thread waits
// as every wait of the program does: short sleeps with the event pump in
// between, so the window paints, its timer ticks and the link goes on. The
// work must not throw and must not touch widgets; it hands back a value.

#include <QFuture>
#include <QtConcurrent/QtConcurrentRun>

#include <optional>
#include <utility>

#include "link/WaitTurns.h"

namespace veltra {

// The work's result, or nothing when `abandon()` turned true first (the
// window closes): the worker then finishes on its own and its result is
// dropped.
template <typename Work, typename Abandon>
auto runBeside(Work work, Abandon abandon) -> std::optional<decltype(work())> {
    QFuture<decltype(work())> future = QtConcurrent::run(std::move(work));
    constexpr int kTurnMs = 2;
    while (!future.isFinished()) {
        if (abandon()) return std::nullopt;
        SleepThenPump(kTurnMs);
    }
    return future.result();
}

} // namespace veltra
