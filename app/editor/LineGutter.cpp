#include "app/editor/LineGutter.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "app/editor/EditorPalette.h"
#include "app/editor/EditorText.h"
#include "app/editor/ProgramEdit.h"

namespace veltra {

namespace {

constexpr int kMarkRoom = 10; // left of the numbers: the error mark
constexpr int kRightPad = 5;

} // namespace

LineGutter::LineGutter(ProgramEdit& edit) : QWidget(&edit), edit_(edit) {
    setObjectName(QStringLiteral("lineGutter"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int LineGutter::widthFor(int lineCount) const {
    int digits = 3;
    for (int n = lineCount; n >= 1000; n /= 10)
        ++digits;
    return kMarkRoom + edit_.fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits + kRightPad;
}

void LineGutter::setMarks(std::map<int, QString> marks) {
    if (marks == marks_) return;
    marks_ = std::move(marks);
    update();
}

void LineGutter::setRunLine(int line) {
    if (line == runLine_) return;
    runLine_ = line;
    update();
}

void LineGutter::setBreakpoints(std::set<int> lines) {
    if (lines == breakpoints_) return;
    breakpoints_ = std::move(lines);
    update();
}

void LineGutter::mousePressEvent(QMouseEvent* event) {
    const int line = lineAt(event->position().toPoint().y());
    if (event->button() == Qt::LeftButton && line > 0) emit lineClicked(line);
    QWidget::mousePressEvent(event);
}

int LineGutter::lineAt(int y) const {
    for (const ShownLine& line : edit_.shownLines()) {
        if (y >= line.top && y < line.top + line.height) return line.number;
    }
    return 0;
}

void LineGutter::paintEvent(QPaintEvent* event) {
    const GutterColours colours = gutterColours(edit_.palette().color(QPalette::Base));
    QPainter painter(this);
    painter.fillRect(event->rect(), colours.background);
    painter.setFont(edit_.font());
    const int caret = caretLine(edit_);
    const int numberWidth = width() - kMarkRoom - kRightPad;
    for (const ShownLine& line : edit_.shownLines()) {
        const bool current = line.number == caret;
        if (line.number == runLine_)
            painter.fillRect(0, line.top, width(), line.height, colours.runBand);
        else if (current)
            painter.fillRect(0, line.top, width(), line.height, colours.caretBand);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        const int size = std::min(8, line.height - 4);
        const QRectF box(1, line.top + (line.height - size) / 2.0, size, size);
        if (breakpoints_.count(line.number)) {
            painter.setBrush(colours.breakpoint);
            painter.drawRect(box);
        }
        if (marks_.count(line.number)) {
            painter.setBrush(colours.mark);
            painter.drawEllipse(breakpoints_.count(line.number) ? box.adjusted(2, 2, -2, -2) : box);
        }
        QFont font = edit_.font();
        font.setBold(current);
        painter.setFont(font);
        painter.setPen(current ? colours.caretNumber : colours.number);
        painter.drawText(kMarkRoom, line.top, numberWidth, line.height, Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(line.number));
    }
}

bool LineGutter::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        auto mark = marks_.find(lineAt(help->pos().y()));
        if (mark != marks_.end())
            QToolTip::showText(help->globalPos(), mark->second, this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

} // namespace veltra
