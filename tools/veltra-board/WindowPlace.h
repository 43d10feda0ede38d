#pragma once
// Where the board's window stands on the screen. The editor centres itself
// and docks its help windows at its right, so the board goes to its left.

#include <QPoint>
#include <QRect>
#include <QSize>

namespace veltra::board_sim {

// The top-left corner for a window of outer size `own` that stands left of
// a window `centredWidth` wide centred on `available` (the screen's area
// without panels), a few pixels apart and vertically centred; where the
// screen leaves no room there, at its left edge. Never outside `available`
// on the left or the top.
QPoint besideCentredWindow(const QRect& available, const QSize& own, int centredWidth);

} // namespace veltra::board_sim
