#pragma once
// The pictures on the main window's buttons, drawn by the program. Pictures
// from the desktop's icon theme looked up and rendered at start-up (SVG)
// took longer than the rest of the window together.

#include <QIcon>

namespace veltra {

enum class ButtonPicture { Upload, New, Open, Save, Print, Help, Settings };

// The picture, drawn at whatever size and scale a button shows it.
QIcon buttonPicture(ButtonPicture picture);

} // namespace veltra
