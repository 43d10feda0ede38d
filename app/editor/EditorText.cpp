#include "app/editor/EditorText.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextDocument>

namespace veltra {

namespace {

// The first character of a date or time format that is not part of a field.
QChar separatorOf(const QString& format, QChar fallback) {
    for (QChar c : format) {
        if (!c.isLetter() && c != QLatin1Char('\'') && !c.isSpace()) return c;
    }
    return fallback;
}

} // namespace

int countedLineCount(const QTextDocument& document) {
    int count = document.blockCount();
    if (document.lastBlock().length() == 1) --count; // an empty last line: only its terminator
    return count;
}

QStringList countedLines(const QTextDocument& document) {
    QStringList lines;
    int count = countedLineCount(document);
    lines.reserve(count);
    // Block text keeps every character as typed (the whole-document text
    // would turn no-break spaces into plain ones).
    QTextBlock block = document.firstBlock();
    for (int i = 0; i < count; ++i, block = block.next())
        lines.append(block.text());
    return lines;
}

int countedTextLength(const QTextDocument& document) {
    int count = countedLineCount(document);
    int length = 0;
    QTextBlock block = document.firstBlock();
    for (int i = 0; i < count; ++i, block = block.next())
        length += block.length() - 1 + 2;
    return length;
}

std::vector<std::u32string> sourceLines(const QTextDocument& document) {
    const QStringList lines = countedLines(document);
    std::vector<std::u32string> source;
    source.reserve(std::size_t(lines.size()));
    for (const QString& line : lines)
        source.push_back(line.toStdU32String());
    return source;
}

QString wholeText(const QTextDocument& document) {
    QString text;
    for (QTextBlock block = document.firstBlock(); block.isValid(); block = block.next()) {
        if (block != document.firstBlock()) text += QLatin1Char('\n');
        text += block.text();
    }
    return text;
}

void replaceText(QPlainTextEdit& view, const QString& text) {
    // insertText splits lines exactly as setPlainText does (it is what
    // setPlainText uses), so the blocks are the same either way.
    QTextCursor cursor(view.document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(text);
    cursor.endEditBlock();
    view.moveCursor(QTextCursor::Start);
}

int caretLine(const QPlainTextEdit& view) {
    return view.textCursor().blockNumber() + 1;
}

QString lineIndicatorText(int caretLine, int lineCount) {
    return QStringLiteral("стр.=%1 / %2").arg(caretLine, 3).arg(lineCount, 3);
}

QString clockText(const QDateTime& now, const QLocale& locale) {
    QChar date = separatorOf(locale.dateFormat(QLocale::ShortFormat), QLatin1Char('/'));
    QChar time = separatorOf(locale.timeFormat(QLocale::ShortFormat), QLatin1Char(':'));
    QString format = QStringLiteral(" dd%1MM%1yyyy    HH%2mm%2ss ").arg(date, time);
    return QLocale::c().toString(now, format);
}

void appendProgramLines(QTextDocument& program, const QStringList& lines) {
    QTextCursor cursor(&program);
    cursor.movePosition(QTextCursor::End);
    const bool endsWithBreak = program.lastBlock().text().isEmpty() && program.blockCount() > 1;
    cursor.beginEditBlock();
    if (!program.lastBlock().text().isEmpty()) cursor.insertBlock();
    cursor.insertText(lines.join(QLatin1Char('\n')));
    if (endsWithBreak) cursor.insertBlock();
    cursor.endEditBlock();
}

} // namespace veltra
