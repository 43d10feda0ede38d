#pragma once
// The colours a setting index stands for, in the editor and in the settings
// dialog's preview. An index outside a list stands for no colour: the one
// shown stays.

#include <QColor>
#include <optional>

namespace veltra {

// 0 black, 1 navy, 2 white.
std::optional<QColor> backgroundColour(int index);
// 0 black, 1 yellow, 2 aqua, 3 blue, 4 white.
std::optional<QColor> textColour(int index);

} // namespace veltra
