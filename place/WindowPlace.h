#pragma once
// Where the board's window stands on the screen. The editor centres its
// frame on the screen and docks its help windows at its right, so the board
// goes to its left, and its frame never over the editor's.

#include <QMargins>
#include <QRect>
#include <QSize>

namespace veltra {

struct BoardPlace {
    QRect frame;        // the board window's outer frame
    bool beside = true; // false: the screen leaves no room left of the editor
};

// The frame of a window whose frame is `frame` big, centred on `available`
// as the editor centres itself.
QRect centredFrame(const QRect& available, QSize frame);

// The board window's frame beside an editor `editorWidth` wide inside its
// frame, both windows framed with `margins` by the window manager, on
// `available` (the screen's area without panels). The board's inner sizes
// are `preferred` and `minimum`. Its frame stands left of the editor's, a
// few pixels apart, as wide as it prefers where the screen has room, else
// narrower down to its minimum; vertically centred, never above or left of
// `available`. Where even the minimum has no room, it stands at the
// screen's left edge, as narrow as it can be, and `beside` is false.
BoardPlace placeBesideEditor(const QRect& available, int editorWidth, const QMargins& margins,
                             QSize preferred, QSize minimum);

} // namespace veltra
