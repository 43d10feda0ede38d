#include "board/view/LedStrip.h"

#include <QPainter>
#include <QRadialGradient>

#include <algorithm>

namespace veltra {

namespace {

constexpr int kPitch = 44;    // lamp to lamp, with room to spare
constexpr int kMinPitch = 30; // narrow enough to stand beside the editor on a 1600-pixel screen
constexpr int kLamp = 32;     // at kPitch; narrower strips draw smaller lamps
constexpr int kMargin = 10;
constexpr int kLabelHeight = 16;

// Colour codes 0..8 at full brightness. Purple (6) has violet's lamp bits but
// is drawn redder, so a user sees the colour code that was asked for.
const QColor kFull[] = {
    QColor(0, 0, 0),      QColor(255, 30, 30),  QColor(30, 220, 40),
    QColor(40, 80, 255),  QColor(255, 220, 0),  QColor(40, 210, 255),
    QColor(230, 40, 170), QColor(150, 60, 255), QColor(255, 255, 255),
};
const QColor kOff(45, 45, 45);

} // namespace

LedStrip::LedStrip(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void LedStrip::setLeds(const std::array<LedState, kLedCount>& leds) {
    if (leds == leds_) return;
    leds_ = leds;
    update();
}

QSize LedStrip::sizeHint() const {
    return {2 * kMargin + kLedCount * kPitch, 2 * kMargin + kLamp + kLabelHeight};
}

QSize LedStrip::minimumSizeHint() const {
    return {2 * kMargin + kLedCount * kMinPitch, sizeHint().height()};
}

int LedStrip::pitch() const {
    return std::clamp((width() - 2 * kMargin) / kLedCount, kMinPitch, kPitch);
}

QRect LedStrip::lampRect(int led) const {
    const int step = pitch();
    const int lamp = kLamp * step / kPitch;
    const int x0 = (width() - kLedCount * step) / 2;
    const int y = kMargin + (kLamp - lamp) / 2;
    return {x0 + (led - 1) * step + (step - lamp) / 2, y, lamp, lamp};
}

QColor LedStrip::lampColour(LedState led) {
    if (led.colour == 0 || led.colour > kMaxColour || led.brightness == 0) return kOff;
    const QColor full = kFull[led.colour];
    // Linear from the unlit grey at brightness 0 to the full colour at 15.
    const double k = led.brightness / double(kMaxBrightness);
    const auto mix = [k](int off, int on) { return int(off + (on - off) * k + 0.5); };
    return QColor(mix(kOff.red(), full.red()), mix(kOff.green(), full.green()),
                  mix(kOff.blue(), full.blue()));
}

void LedStrip::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::black);
    QFont f = font();
    f.setPixelSize(11);
    p.setFont(f);
    for (int led = 1; led <= kLedCount; ++led) {
        const QRect r = lampRect(led);
        const QColor c = lampColour(leds_[led - 1]);
        const bool lit = c != kOff;
        if (lit) {
            // A soft halo around a lit lamp, stronger the brighter it is.
            QRadialGradient halo(r.center(), pitch() / 2.0);
            QColor inner = c;
            inner.setAlpha(40 + 8 * leds_[led - 1].brightness);
            QColor outer = c;
            outer.setAlpha(0);
            halo.setColorAt(0.5, inner);
            halo.setColorAt(1.0, outer);
            p.setPen(Qt::NoPen);
            p.setBrush(halo);
            p.drawEllipse(r.center(), pitch() / 2, pitch() / 2);
        }
        p.setPen(QPen(QColor(110, 110, 110), 1.5));
        p.setBrush(c);
        p.drawEllipse(r);
        p.setPen(QColor(200, 200, 200));
        p.drawText(QRect(r.left() - 6, kMargin + kLamp + 2, r.width() + 12, kLabelHeight), Qt::AlignHCenter,
                   QString::number(led));
    }
}

} // namespace veltra
