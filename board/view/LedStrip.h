#pragma once
// The thirteen LEDs drawn as lamps: each in its colour, as bright as its
// brightness, dark grey when off, numbered underneath.

#include <QColor>
#include <QWidget>

#include <array>

#include "board/BoardState.h"

namespace veltra {

class LedStrip : public QWidget {
    Q_OBJECT
  public:
    explicit LedStrip(QWidget* parent = nullptr);

    void setLeds(const std::array<LedState, kLedCount>& leds);
    // Where LED 1..13 is drawn, in this widget's coordinates.
    QRect lampRect(int led) const;
    // The colour a lamp is filled with.
    static QColor lampColour(LedState led);

    // Lamps at their full pitch; the minimum draws them closer and smaller.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    // Lamp to lamp, as the width allows.
    int pitch() const;

    std::array<LedState, kLedCount> leds_{};
};

} // namespace veltra
