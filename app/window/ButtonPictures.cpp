#include "app/window/ButtonPictures.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <map>
#include <utility>

namespace veltra {

namespace {

// Every picture is drawn on a 32 x 32 grid and scaled to the pixmap.
constexpr int kGrid = 32;

const QColor kOutline(60, 60, 70);

// A closed outline through `corners`.
QPainterPath polygon(std::initializer_list<QPointF> corners) {
    QPainterPath path;
    path.addPolygon(QPolygonF(corners));
    path.closeSubpath();
    return path;
}

void upload(QPainter& p) {
    // A board with its row of lamps, and an arrow rising to it.
    p.setBrush(QColor(40, 120, 60));
    p.drawRoundedRect(QRectF(4, 3, 24, 9), 2, 2);
    p.setBrush(QColor(250, 210, 60));
    for (int i = 0; i < 4; ++i)
        p.drawEllipse(QPointF(9 + 5 * i, 7.5), 1.6, 1.6);
    const QPainterPath arrow = polygon({{16, 13}, {25, 21}, {20, 21}, {20, 29}, {12, 29}, {12, 21}, {7, 21}});
    p.setBrush(QColor(50, 160, 70));
    p.drawPath(arrow);
}

QPainterPath page() {
    return polygon({{7, 3}, {20, 3}, {26, 9}, {26, 29}, {7, 29}});
}

void newPage(QPainter& p) {
    p.setBrush(Qt::white);
    p.drawPath(page());
    p.setBrush(QColor(220, 220, 225));
    const QPainterPath corner = polygon({{20, 3}, {20, 9}, {26, 9}});
    p.drawPath(corner);
    p.setPen(QPen(QColor(40, 130, 60), 2));
    p.drawLine(QPointF(16.5, 14), QPointF(16.5, 24));
    p.drawLine(QPointF(11.5, 19), QPointF(21.5, 19));
}

void openFolder(QPainter& p) {
    p.setBrush(QColor(220, 170, 60));
    const QPainterPath back = polygon({{3, 8}, {12, 8}, {14, 11}, {27, 11}, {27, 26}, {3, 26}});
    p.drawPath(back);
    p.setBrush(QColor(245, 200, 90));
    const QPainterPath front = polygon({{6, 15}, {30, 15}, {27, 26}, {3, 26}});
    p.drawPath(front);
}

void floppy(QPainter& p) {
    p.setBrush(QColor(50, 90, 170));
    const QPainterPath body = polygon({{4, 4}, {24, 4}, {28, 8}, {28, 28}, {4, 28}});
    p.drawPath(body);
    p.setBrush(QColor(225, 225, 230));
    p.drawRect(QRectF(9, 4, 13, 8));
    p.setBrush(QColor(50, 90, 170));
    p.drawRect(QRectF(17, 5.5, 3, 5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8, 17, 16, 11));
}

void printer(QPainter& p) {
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 3, 14, 10));
    p.setBrush(QColor(120, 125, 135));
    p.drawRoundedRect(QRectF(3, 11, 26, 12), 2, 2);
    p.setBrush(QColor(90, 200, 90));
    p.drawEllipse(QPointF(25, 15), 1.3, 1.3);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 19, 14, 10));
    p.setPen(QPen(QColor(150, 150, 160), 1));
    p.drawLine(QPointF(11, 23), QPointF(21, 23));
    p.drawLine(QPointF(11, 26), QPointF(19, 26));
}

void help(QPainter& p) {
    p.setBrush(QColor(40, 110, 200));
    p.drawEllipse(QRectF(3, 3, 26, 26));
    QFont font;
    font.setBold(true);
    font.setPixelSize(20);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(3, 3, 26, 26), Qt::AlignCenter, QStringLiteral("?"));
}

void gear(QPainter& p) {
    QPainterPath wheel;
    wheel.addEllipse(QPointF(16, 16), 10, 10);
    for (int i = 0; i < 8; ++i) {
        QTransform turn;
        turn.translate(16, 16);
        turn.rotate(45.0 * i);
        QPainterPath tooth;
        tooth.addRect(QRectF(-3, -14, 6, 6));
        wheel = wheel.united(turn.map(tooth));
    }
    QPainterPath hole;
    hole.addEllipse(QPointF(16, 16), 4, 4);
    p.setBrush(QColor(130, 135, 145));
    p.drawPath(wheel.subtracted(hole));
}

using Draw = void (*)(QPainter&);

constexpr Draw kDrawings[] = {upload, newPage, openFolder, floppy, printer, help, gear};

QPixmap drawn(ButtonPicture picture, int pixels) {
    QPixmap pixmap(pixels, pixels);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(double(pixels) / kGrid, double(pixels) / kGrid);
    painter.setPen(QPen(kOutline, 1.2));
    kDrawings[static_cast<int>(picture)](painter);
    return pixmap;
}

// Draws a picture when a button first shows it, at the size and scale it is
// shown at: a screen that does not scale never needs the large one.
class PictureEngine : public QIconEngine {
  public:
    explicit PictureEngine(ButtonPicture picture) : picture_(picture) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        const int pixels = std::min(size.width(), size.height());
        const std::pair key(pixels, mode);
        if (const auto found = made_.find(key); found != made_.end()) return found->second;
        QPixmap pixmap = drawn(picture_, pixels);
        // A disabled, selected or active picture looks as the style makes it
        // from the plain one, as for any picture a button is given.
        if (mode != QIcon::Normal) {
            QStyleOption option;
            option.palette = QGuiApplication::palette();
            pixmap = QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
        }
        return made_[key] = pixmap;
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }
    QIconEngine* clone() const override { return new PictureEngine(*this); }

  private:
    ButtonPicture picture_;
    std::map<std::pair<int, QIcon::Mode>, QPixmap> made_;
};

} // namespace

QIcon buttonPicture(ButtonPicture picture) {
    return QIcon(new PictureEngine(picture));
}

} // namespace veltra
