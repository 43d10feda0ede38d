#include "app/editor/ProgramEdit.h"

#include <QPaintEvent>
#include <QScrollBar>
#include <QTextBlock>

#include <algorithm>

#include "app/editor/LineGutter.h"

namespace veltra {

ProgramEdit::ProgramEdit(QWidget* parent) : QPlainTextEdit(parent), gutter_(new LineGutter(*this)) {
    // A found word stays visible as selected while the find bar has the focus.
    QPalette shown = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        shown.setColor(QPalette::Inactive, role, shown.color(QPalette::Active, role));
    setPalette(shown);
    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { layOutMargins(); });
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect& rect, int dy) {
        if (dy != 0)
            gutter_->scroll(0, dy);
        else
            gutter_->update(0, rect.y(), gutter_->width(), rect.height());
    });
    // The caret's line is marked in the gutter.
    connect(this, &QPlainTextEdit::cursorPositionChanged, gutter_, qOverload<>(&QWidget::update));
    layOutMargins();
}

std::vector<ShownLine> ProgramEdit::shownLines() const {
    std::vector<ShownLine> lines;
    QTextBlock block = firstVisibleBlock();
    const QPointF offset = contentOffset();
    const int bottom = viewport()->height();
    for (; block.isValid(); block = block.next()) {
        const QRectF box = blockBoundingGeometry(block).translated(offset);
        if (box.top() > bottom) break;
        if (block.isVisible())
            lines.push_back({block.blockNumber() + 1, qRound(box.top()), qRound(box.height())});
    }
    return lines;
}

void ProgramEdit::setFootBar(QWidget* bar) {
    if (footBar_ && footBar_ != bar) footBar_->hide();
    footBar_ = bar;
    if (bar) bar->show();
    layOutMargins();
}

void ProgramEdit::reserveLines(int lines) {
    reservedLines_ = lines;
    layOutMargins();
}

void ProgramEdit::paintEvent(QPaintEvent* event) {
    emit aboutToPaint(event->rect());
    QPlainTextEdit::paintEvent(event);
}

void ProgramEdit::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    layOutMargins();
}

void ProgramEdit::changeEvent(QEvent* event) {
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        gutter_->update();
        emit coloursChanged();
    } else if (event->type() == QEvent::FontChange) {
        layOutMargins(); // the numbers' width
    }
}

void ProgramEdit::layOutMargins() {
    const int left = gutter_->widthFor(std::max(blockCount(), reservedLines_));
    const int bottom = footBar_ ? footBar_->sizeHint().height() : 0;
    setViewportMargins(left, 0, 0, bottom);
    // The viewport's rectangle now leaves the margins free: the gutter takes
    // the strip left of it, the bar the strip under it and the gutter.
    const QRect inner = contentsRect();
    const QRect text = viewport()->geometry();
    gutter_->setGeometry(inner.left(), text.top(), left, text.height());
    if (footBar_)
        footBar_->setGeometry(inner.left(), text.bottom() + 1, text.right() + 1 - inner.left(), bottom);
}

} // namespace veltra
