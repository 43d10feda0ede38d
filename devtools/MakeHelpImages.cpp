// Draws the two pictures of the About window, the banner and the logo, and
// writes them as JPEG files of exactly the sizes their places need:
//   veltra-help-images help/images
// They are committed, so this runs only when the pictures are redrawn.

#include "help/Fonts.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>

namespace {

// The eight colours of the board's LEDs, as the language names them:
// black, red, green, blue, light blue, yellow, violet, white.
const QColor kLedColours[] = {{40, 40, 40},   {255, 40, 40},  {40, 220, 60},  {50, 90, 255},
                              {60, 220, 255}, {255, 230, 40}, {200, 60, 255}, {255, 255, 255}};

void drawLed(QPainter& p, QPointF centre, qreal radius, const QColor& colour) {
    QRadialGradient glow(centre, radius * 2.2);
    QColor halo = colour;
    halo.setAlpha(110);
    glow.setColorAt(0.0, halo);
    glow.setColorAt(1.0, Qt::transparent);
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(centre, radius * 2.2, radius * 2.2);
    QRadialGradient body(centre - QPointF(radius / 3, radius / 3), radius * 1.3);
    body.setColorAt(0.0, Qt::white);
    body.setColorAt(0.35, colour);
    body.setColorAt(1.0, colour.darker(170));
    p.setBrush(body);
    p.setPen(QPen(QColor(20, 20, 20), 1));
    p.drawEllipse(centre, radius, radius);
}

QImage banner() {
    QImage image(492, 57, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 492, 0);
    sky.setColorAt(0.0, QColor(0, 0, 128));
    sky.setColorAt(0.6, QColor(0, 40, 170));
    sky.setColorAt(1.0, QColor(0, 0, 40));
    p.fillRect(image.rect(), sky);
    // A printed-circuit trace along the bottom edge.
    p.setPen(QPen(QColor(255, 200, 60, 160), 2));
    p.drawLine(QPointF(10, 50), QPointF(480, 50));
    for (int x = 30; x < 480; x += 60)
        p.drawEllipse(QPointF(x, 50), 2.5, 2.5);

    p.setPen(Qt::white);
    p.setFont(veltra::designFont(QStringLiteral("Arial"), 30, true));
    p.drawText(QRectF(14, 2, 200, 44), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Veltra"));
    p.setPen(QColor(255, 255, 0));
    p.setFont(veltra::designFont(QStringLiteral("Arial"), 14, true));
    p.drawText(QRectF(124, 8, 120, 36), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("KX-LED"));
    for (int i = 0; i < 8; ++i)
        drawLed(p, QPointF(262 + i * 28, 24), 8, kLedColours[i]);
    return image;
}

QImage logo() {
    QImage image(199, 103, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // The board: a green card with a gold edge and mounting holes.
    QPainterPath card;
    card.addRoundedRect(QRectF(6, 6, 187, 91), 10, 10);
    QLinearGradient green(0, 6, 0, 97);
    green.setColorAt(0.0, QColor(20, 130, 60));
    green.setColorAt(1.0, QColor(5, 80, 35));
    p.fillPath(card, green);
    p.setPen(QPen(QColor(210, 170, 60), 2));
    p.drawPath(card);
    p.setBrush(Qt::white);
    for (QPointF hole : {QPointF(16, 16), QPointF(183, 16), QPointF(16, 87), QPointF(183, 87)})
        p.drawEllipse(hole, 3.5, 3.5);
    // Traces from the chip to the LEDs.
    p.setPen(QPen(QColor(210, 170, 60, 200), 1.5));
    for (int i = 0; i < 8; ++i)
        p.drawLine(QPointF(34 + i * 19, 32), QPointF(70 + i * 8, 52));
    p.fillRect(QRectF(66, 50, 68, 14), QColor(25, 25, 25));
    p.setPen(QColor(200, 200, 200));
    p.setFont(veltra::designFont(QStringLiteral("Arial"), 9, true));
    p.drawText(QRectF(66, 50, 68, 14), Qt::AlignCenter, QStringLiteral("KX-LED"));
    for (int i = 0; i < 8; ++i)
        drawLed(p, QPointF(34 + i * 19, 26), 6, kLedColours[i]);
    p.setPen(Qt::white);
    p.setFont(veltra::designFont(QStringLiteral("Arial"), 17, true));
    p.drawText(QRectF(6, 66, 187, 26), Qt::AlignCenter, QStringLiteral("Veltra"));
    return image;
}

bool save(const QImage& image, const QString& path) {
    QImageWriter writer(path, "jpeg");
    writer.setQuality(92);
    if (writer.write(image)) return true;
    std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    const bool ok = save(banner(), dir.filePath(QStringLiteral("banner.jpg"))) &&
                    save(logo(), dir.filePath(QStringLiteral("logo.jpg")));
    return ok ? 0 : 1;
}
