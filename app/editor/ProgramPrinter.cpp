#include "app/editor/ProgramPrinter.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <vector>

#include "help/Fonts.h"

namespace veltra {

namespace {

struct Row {
    int number; // 0 for the rest of a wrapped line
    QString text;
};

std::vector<Row> rowsOf(const QStringList& lines, int columns) {
    std::vector<Row> rows;
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        int at = 0;
        do {
            rows.push_back({at == 0 ? i + 1 : 0, line.mid(at, columns)});
            at += columns;
        } while (at < line.size());
    }
    return rows;
}

} // namespace

bool printProgram(QPrinter& printer, const PrintJob& job) {
    QPainter painter;
    if (!painter.begin(&printer)) return false;

    QFont body = designFont(QStringLiteral("Courier New"), 16);
    body.setPointSizeF(10);
    QFont head = body;
    head.setBold(true);
    const QFontMetrics metrics(body, &printer);
    const int lineHeight = metrics.lineSpacing();
    const int charWidth = metrics.horizontalAdvance(QLatin1Char('9'));

    const QRect area(0, 0, printer.width(), printer.height());
    const int top = 2 * lineHeight;                  // head line and a blank
    const int bottom = area.height() - 2 * lineHeight; // a blank and the foot line
    const int rowsPerPage = std::max(1, (bottom - top) / lineHeight);
    const int digits = std::max(3, int(QString::number(job.lines.size()).size()));
    const int textLeft = (digits + 2) * charWidth;
    const int columns = std::max(10, (area.width() - textLeft) / charWidth);

    const std::vector<Row> rows = rowsOf(job.lines, columns);
    const int pages = std::max<int>(1, (int(rows.size()) + rowsPerPage - 1) / rowsPerPage);
    const QString date = job.when.toString(QStringLiteral("dd.MM.yyyy HH:mm"));

    for (int page = 0; page < pages; ++page) {
        if (page > 0) printer.newPage();
        painter.setFont(head);
        painter.drawText(QRect(0, 0, area.width(), lineHeight), Qt::AlignLeft | Qt::AlignVCenter, job.title);
        painter.drawText(QRect(0, 0, area.width(), lineHeight), Qt::AlignRight | Qt::AlignVCenter, date);
        painter.drawLine(0, lineHeight + lineHeight / 4, area.width(), lineHeight + lineHeight / 4);

        painter.setFont(body);
        const int first = page * rowsPerPage;
        const int last = std::min<int>(int(rows.size()), first + rowsPerPage);
        for (int r = first; r < last; ++r) {
            const int y = top + (r - first) * lineHeight;
            if (rows[r].number > 0) {
                painter.drawText(QRect(0, y, digits * charWidth, lineHeight), Qt::AlignRight | Qt::AlignVCenter,
                                 QString::number(rows[r].number));
            }
            painter.drawText(QRect(textLeft, y, area.width() - textLeft, lineHeight),
                             Qt::AlignLeft | Qt::AlignVCenter | Qt::TextExpandTabs, rows[r].text);
        }

        painter.drawText(QRect(0, area.height() - lineHeight, area.width(), lineHeight), Qt::AlignCenter,
                         QStringLiteral("Страница %1 из %2").arg(page + 1).arg(pages));
    }
    return painter.end();
}

} // namespace veltra
