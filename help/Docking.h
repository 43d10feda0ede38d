#pragma once
// Keeps a help window standing one pixel to the right of the main window,
// top edges level.

class QWidget;

namespace veltra {

// Moves `window` so that its top edge is the target's top edge and its left
// edge is the target's left edge plus the target's outer width plus 1; both
// measured on the outer frames. Works whether either window is shown or
// hidden. A null target leaves the window where it is.
void dockBeside(QWidget& window, const QWidget* target);

} // namespace veltra
