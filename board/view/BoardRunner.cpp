#include "board/view/BoardRunner.h"

#include "board/BoardModel.h"

namespace veltra {

BoardRunner::BoardRunner(BoardModel& model, QObject* parent) : QObject(parent), model_(model) {
    clock_.start();
    lastRevision_ = model_.revision();
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kDefaultIntervalMs);
    connect(&timer_, &QTimer::timeout, this, &BoardRunner::tick);
    timer_.start();
}

void BoardRunner::tick() {
    model_.advance(now());
    if (model_.revision() == lastRevision_) return;
    lastRevision_ = model_.revision();
    emit changed();
}

} // namespace veltra
