#include "app/editor/EditorPalette.h"

#include <algorithm>
#include <cmath>

namespace veltra {

namespace {

double linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c) {
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

QColor blend(const QColor& base, const QColor& towards, double share) {
    const auto mix = [&](int a, int b) { return int(std::lround(a + (b - a) * share)); };
    return QColor(mix(base.red(), towards.red()), mix(base.green(), towards.green()),
                  mix(base.blue(), towards.blue()));
}

} // namespace

bool isDarkBackground(const QColor& background) {
    return luminance(background) < 0.18; // navy is about 0.016, white 1
}

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TokenColours tokenColours(const QColor& background) {
    if (isDarkBackground(background)) {
        return {QColor(255, 170, 80), QColor(110, 230, 110), QColor(255, 140, 255),
                QColor(130, 200, 255), QColor(255, 110, 110), QColor(150, 150, 150)};
    }
    return {QColor(150, 70, 0), QColor(0, 120, 0), QColor(140, 0, 140),
            QColor(0, 0, 200), QColor(190, 0, 0), QColor(105, 105, 105)};
}

GutterColours gutterColours(const QColor& background) {
    if (isDarkBackground(background)) {
        return {blend(background, Qt::white, 0.12), QColor(170, 170, 170), blend(background, Qt::white, 0.28),
                QColor(255, 255, 255), QColor(235, 50, 50)};
    }
    return {blend(background, Qt::black, 0.08), QColor(100, 100, 100), blend(background, Qt::black, 0.18),
            QColor(0, 0, 0), QColor(210, 0, 0)};
}

} // namespace veltra
