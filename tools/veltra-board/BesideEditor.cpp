#include "tools/veltra-board/BesideEditor.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>

#include "place/WindowPlace.h"

namespace veltra::board_sim {

BesideEditor::BesideEditor(QWidget& window, int editorWidth, std::ostream& log)
    : QObject(&window), window_(window), editorWidth_(editorWidth), log_(log) {
    window.installEventFilter(this);
}

bool BesideEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && !framed_) {
        if (event->type() == QEvent::Show) {
            place();
        } else if ((event->type() == QEvent::Move || event->type() == QEvent::Resize) &&
                   window_.isVisible() && window_.frameGeometry().size() != window_.size()) {
            framed_ = true;
            place();
        }
    }
    return QObject::eventFilter(watched, event);
}

void BesideEditor::place() {
    const QRect inner = window_.geometry();
    const QRect outer = window_.frameGeometry();
    const QMargins margins(inner.left() - outer.left(), inner.top() - outer.top(),
                           outer.right() - inner.right(), outer.bottom() - inner.bottom());
    const BoardPlace place = placeBesideEditor(window_.screen()->availableGeometry(), editorWidth_, margins,
                                               window_.sizeHint(), window_.minimumSizeHint());
    if (!place.beside && !saidNoRoom_) {
        saidNoRoom_ = true;
        log_ << "veltra-board: no room for the window left of the editor; it stands at the screen's edge\n";
    }
    window_.resize(place.frame.size().shrunkBy(margins));
    window_.move(place.frame.topLeft()); // a window's position is its frame's
}

} // namespace veltra::board_sim
