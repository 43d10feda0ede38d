#include "tools/veltra-board/BesideEditor.h"

#include <QScreen>
#include <QWidget>

#include "place/PlaceWhenFramed.h"
#include "place/WindowPlace.h"

namespace veltra::board_sim {

void keepBesideEditor(QWidget& window, int editorWidth, std::ostream& log) {
    new PlaceWhenFramed(window, [&window, editorWidth, &log, saidNoRoom = false]() mutable {
        const QRect inner = window.geometry();
        const QRect outer = window.frameGeometry();
        const QMargins margins(inner.left() - outer.left(), inner.top() - outer.top(),
                               outer.right() - inner.right(), outer.bottom() - inner.bottom());
        const BoardPlace place = placeBesideEditor(window.screen()->availableGeometry(), editorWidth, margins,
                                                   window.sizeHint(), window.minimumSizeHint());
        if (!place.beside && !saidNoRoom) {
            saidNoRoom = true;
            log << "veltra-board: no room for the window left of the editor; it stands at the screen's "
                   "edge\n";
        }
        window.resize(place.frame.size().shrunkBy(margins));
        window.move(place.frame.topLeft()); // a window's position is its frame's
    });
}

} // namespace veltra::board_sim
