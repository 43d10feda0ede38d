#include "app/settings/EditorColours.h"

#include <array>

namespace veltra {

std::optional<QColor> backgroundColour(int index) {
    static const std::array<QColor, 3> colours = {QColor(0, 0, 0), QColor(0, 0, 128), QColor(255, 255, 255)};
    if (index < 0 || index >= int(colours.size())) return std::nullopt;
    return colours[std::size_t(index)];
}

std::optional<QColor> textColour(int index) {
    static const std::array<QColor, 5> colours = {QColor(0, 0, 0), QColor(255, 255, 0), QColor(0, 255, 255),
                                                  QColor(0, 0, 255), QColor(255, 255, 255)};
    if (index < 0 || index >= int(colours.size())) return std::nullopt;
    return colours[std::size_t(index)];
}

} // namespace veltra
