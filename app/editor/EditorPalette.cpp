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

constexpr double kReadable = 4.5;

// White or black, whichever stands out more from `background`.
QColor farEnd(const QColor& background) {
    return contrastRatio(Qt::white, background) >= contrastRatio(Qt::black, background) ? QColor(Qt::white)
                                                                                        : QColor(Qt::black);
}

// `text` moved `share` of the way to `target`, or less where that would be
// hard to read on `background`; where `text` itself is (the user may pick
// blue on navy), moved towards the far end until it is readable.
QColor readableShade(const QColor& text, const QColor& target, double share, const QColor& background) {
    constexpr int kSteps = 20;
    for (int step = kSteps; step > 0; --step) {
        const QColor shade = blend(text, target, share * step / kSteps);
        if (contrastRatio(shade, background) >= kReadable) return shade;
    }
    const QColor end = farEnd(background);
    for (int step = 0; step <= kSteps; ++step) {
        const QColor shade = blend(text, end, double(step) / kSteps);
        if (contrastRatio(shade, background) >= kReadable) return shade;
    }
    return end;
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

TokenColours tokenColours(const QColor& background, const QColor& text) {
    // Shades towards the far end (brighter on a dark background), unless the
    // colour is nearly there already (white, yellow on black): then towards
    // the background, less far than the comments go.
    const QColor end = farEnd(background);
    const bool atTheEnd = contrastRatio(text, end) < 1.5;
    const QColor brighter = atTheEnd ? background : end;
    return {text,
            text,
            text,
            readableShade(text, brighter, atTheEnd ? 0.25 : 0.5, background),
            readableShade(text, brighter, atTheEnd ? 0.12 : 0.25, background),
            readableShade(text, background, 0.45, background)};
}

GutterColours gutterColours(const QColor& background) {
    if (isDarkBackground(background)) {
        return {blend(background, Qt::white, 0.12),
                QColor(170, 170, 170),
                blend(background, Qt::white, 0.28),
                QColor(255, 255, 255),
                QColor(235, 50, 50),
                QColor(58, 48, 0),
                QColor(200, 60, 200)};
    }
    return {blend(background, Qt::black, 0.08),
            QColor(100, 100, 100),
            blend(background, Qt::black, 0.18),
            QColor(0, 0, 0),
            QColor(210, 0, 0),
            QColor(255, 233, 138),
            QColor(150, 0, 150)};
}

} // namespace veltra
