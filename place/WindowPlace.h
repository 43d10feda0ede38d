#pragma once
// Where the program's windows stand on the screen, worked out once for every
// window that needs it: the editor's own, and the virtual board's, which runs
// in another process and stands beside the editor. Pure functions of
// rectangles; every frame here is a window's outer frame (what
// QWidget::frameGeometry and QWidget::move speak of), every `available` a
// screen's area without its panels.
//
// The editor's main window is centred on the screen; its help windows dock
// at its right; the run window stands beside it; the board goes to its left,
// so that it never covers the editor nor the help windows' side.

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>

namespace veltra {

// A frame `frame` big, centred on `available` (the editor's main window).
QRect centredFrame(const QRect& available, QSize frame);

// The top left of a help window docked at `target`'s frame: one pixel right
// of it, top edges level.
QPoint dockedRight(const QRect& target);

// Where a window whose frame is `size` goes beside the editor's `frame` in a
// screen's free `room`: right of the editor, else left of it, else the editor
// moves to the room's left edge (`editor`, its frame's new top left) and the
// window goes right of it. Only a room narrower than both leaves the window
// over the editor, at the room's right edge. The window's top is the editor's,
// kept on the screen.
struct BesidePlace {
    QPoint window;
    std::optional<QPoint> editor;
};
BesidePlace besidePlace(const QRect& frame, const QSize& size, const QRect& room);

struct BoardPlace {
    QRect frame;        // the board window's outer frame
    bool beside = true; // false: the screen leaves no room left of the editor
};

// The board window's frame beside an editor `editorWidth` wide inside its
// frame and centred on `available` (as centredFrame places it), both windows
// framed with `margins` by the window manager. The board's inner sizes are
// `preferred` and `minimum`. Its frame stands left of the editor's, a few
// pixels apart, as wide as it prefers where the screen has room, else
// narrower down to its minimum; vertically centred, never above or left of
// `available`. Where even the minimum has no room, it stands at the screen's
// left edge, as narrow as it can be, and `beside` is false.
BoardPlace placeBesideEditor(const QRect& available, int editorWidth, const QMargins& margins,
                             QSize preferred, QSize minimum);

} // namespace veltra
