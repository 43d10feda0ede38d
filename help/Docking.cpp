#include "help/Docking.h"

#include <QPoint>
#include <QRect>
#include <QWidget>

namespace veltra {

void dockBeside(QWidget& window, const QWidget* target) {
    if (target == nullptr) return;
    // frameGeometry() and move() both speak of the outer frame of a
    // top-level window, so the gap is one pixel between the frames.
    const QRect outer = target->frameGeometry();
    const QPoint place(outer.left() + outer.width() + 1, outer.top());
    if (window.pos() != place) window.move(place);
}

} // namespace veltra
