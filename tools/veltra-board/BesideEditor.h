#pragma once
// Keeps the board's window beside the centred editor (--beside): placed when
// it is shown, and once more when the window manager has framed it, since
// only then are the frames' sizes known. After that the user moves it.

#include <ostream>

class QWidget;

namespace veltra::board_sim {

// Places `window` beside an editor `editorWidth` wide from now on; `log`
// gets one line when the screen has no room for the window beside the editor.
void keepBesideEditor(QWidget& window, int editorWidth, std::ostream& log);

} // namespace veltra::board_sim
