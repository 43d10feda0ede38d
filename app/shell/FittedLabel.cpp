#include "app/shell/FittedLabel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

#include <algorithm>

namespace veltra {

FittedLabel::FittedLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

void FittedLabel::setLeastPixelSize(int pixels) {
    least_ = pixels;
    update();
}

int FittedLabel::room() const {
    return contentsRect().width() - 2 * margin() - std::max(indent(), 0);
}

QFont FittedLabel::shownFont() const {
    QFont shown = font();
    const int room = this->room();
    const int least = least_ > 0 ? least_ : shown.pixelSize();
    for (int size = shown.pixelSize(); size > least && QFontMetrics(shown).horizontalAdvance(text()) > room;)
        shown.setPixelSize(--size);
    return shown;
}

QString FittedLabel::shownText() const {
    const QFontMetrics metrics(shownFont());
    // elidedText() alone may cut a text that horizontalAdvance() says fits.
    if (metrics.horizontalAdvance(text()) <= room()) return text();
    return metrics.elidedText(text(), Qt::ElideRight, room());
}

void FittedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area =
        contentsRect().adjusted(margin() + std::max(indent(), 0), margin(), -margin(), -margin());
    painter.setFont(shownFont());
    style()->drawItemText(&painter, area, int(QStyle::visualAlignment(layoutDirection(), alignment())),
                          palette(), isEnabled(), shownText(), foregroundRole());
}

bool FittedLabel::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        // The whole text, only while it is cut.
        if (shownText() != text())
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QLabel::event(event);
}

} // namespace veltra
