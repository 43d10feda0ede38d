#include "place/PlaceWhenFramed.h"

#include <QEvent>
#include <QWidget>

namespace veltra {

PlaceWhenFramed::PlaceWhenFramed(QWidget& window, std::function<void()> place)
    : QObject(&window), window_(window), place_(std::move(place)) {
    window.installEventFilter(this);
}

bool PlaceWhenFramed::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && !framed_) {
        if (event->type() == QEvent::Show) {
            place_();
        } else if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
                   window_.isVisible() && window_.frameGeometry().size() != window_.size()) {
            framed_ = true;
            place_();
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace veltra
