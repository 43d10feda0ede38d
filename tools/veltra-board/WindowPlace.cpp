#include "tools/veltra-board/WindowPlace.h"

#include <algorithm>

namespace veltra::board_sim {

namespace {

constexpr int kGap = 12; // between the two windows' frames

} // namespace

QPoint besideCentredWindow(const QRect& available, const QSize& own, int centredWidth) {
    const int centredLeft = available.left() + (available.width() - centredWidth) / 2;
    const int x = std::max(available.left(), centredLeft - kGap - own.width());
    const int y = std::max(available.top(), available.top() + (available.height() - own.height()) / 2);
    return {x, y};
}

} // namespace veltra::board_sim
