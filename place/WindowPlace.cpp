#include "place/WindowPlace.h"

#include <algorithm>

namespace veltra {

namespace {

constexpr int kGap = 12; // between the two windows' frames

} // namespace

QRect centredFrame(const QRect& available, QSize frame) {
    return {available.center() - QPoint(frame.width() / 2, frame.height() / 2), frame};
}

BoardPlace placeBesideEditor(const QRect& available, int editorWidth, const QMargins& margins,
                             QSize preferred, QSize minimum) {
    const int framing = margins.left() + margins.right();
    const QRect editor = centredFrame(available, QSize(editorWidth + framing, 1));
    const int room = editor.left() - kGap - available.left();
    const int smallest = std::min(minimum.width(), preferred.width()) + framing;
    const bool beside = room >= smallest;
    const int width = beside ? std::clamp(room, smallest, preferred.width() + framing) : smallest;
    const int height = preferred.height() + margins.top() + margins.bottom();
    const int x = beside ? editor.left() - kGap - width : available.left();
    const int y = std::max(available.top(), available.top() + (available.height() - height) / 2);
    return {QRect(x, y, width, height), beside};
}

} // namespace veltra
