#include "app/window/AfterFirstPaint.h"

#include <QEvent>
#include <QWidget>

namespace veltra {

AfterFirstPaint::AfterFirstPaint(QWidget& window, int latestMs, std::function<void()> painted,
                                 std::function<void()> steps)
    : QObject(&window), window_(window), painted_(std::move(painted)), steps_(std::move(steps)) {
    latest_.setSingleShot(true);
    connect(&latest_, &QTimer::timeout, this, [this] { steps_(); });
    latest_.start(latestMs);
    window.installEventFilter(this);
}

bool AfterFirstPaint::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::Paint) {
        window_.removeEventFilter(this); // the first paint only
        // The steps follow the paint now (after what `painted` starts, such as
        // a question about a recovered text), not the fallback.
        latest_.stop();
        QTimer::singleShot(0, this, [this] {
            painted_();
            steps_();
        });
    }
    return QObject::eventFilter(watched, event);
}

} // namespace veltra
