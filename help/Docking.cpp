#include "help/Docking.h"

#include <QWidget>

#include "place/WindowPlace.h"

namespace veltra {

void dockBeside(QWidget& window, const QWidget* target) {
    if (target == nullptr) return;
    // frameGeometry() and move() both speak of the outer frame of a
    // top-level window, so the gap is one pixel between the frames.
    const QPoint place = dockedRight(target->frameGeometry());
    if (window.pos() != place) window.move(place);
}

} // namespace veltra
