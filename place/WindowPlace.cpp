#include "place/WindowPlace.h"

#include <algorithm>

namespace veltra {

namespace {

constexpr int kBoardGap = 12; // between the board's frame and the editor's

} // namespace

QRect centredFrame(const QRect& available, QSize frame) {
    return {available.center() - QPoint(frame.width() / 2, frame.height() / 2), frame};
}

QPoint dockedRight(const QRect& target) {
    return {target.left() + target.width() + 1, target.top()};
}

BesidePlace besidePlace(const QRect& frame, const QSize& size, const QRect& room) {
    const int top =
        std::clamp(frame.top(), room.top(), std::max(room.top(), room.bottom() + 1 - size.height()));
    if (frame.right() + 1 + size.width() <= room.right() + 1) return {{frame.right() + 1, top}, {}};
    if (frame.left() - size.width() >= room.left()) return {{frame.left() - size.width(), top}, {}};
    if (frame.width() + size.width() <= room.width())
        return {{room.left() + frame.width(), top}, QPoint(room.left(), frame.top())};
    return {{std::max(room.left(), room.right() + 1 - size.width()), top}, {}};
}

BoardPlace placeBesideEditor(const QRect& available, int editorWidth, const QMargins& margins,
                             QSize preferred, QSize minimum) {
    const int framing = margins.left() + margins.right();
    // Only the editor's left edge matters, which its height does not move.
    const QRect editor = centredFrame(available, QSize(editorWidth + framing, 1));
    const int room = editor.left() - kBoardGap - available.left();
    const int smallest = std::min(minimum.width(), preferred.width()) + framing;
    const bool beside = room >= smallest;
    const int width = beside ? std::clamp(room, smallest, preferred.width() + framing) : smallest;
    const int height = preferred.height() + margins.top() + margins.bottom();
    const int x = beside ? editor.left() - kBoardGap - width : available.left();
    const int y = std::max(available.top(), available.top() + (available.height() - height) / 2);
    return {QRect(x, y, width, height), beside};
}

} // namespace veltra
