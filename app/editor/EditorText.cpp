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

namespace {

// The whole text is read with toRawText(): its lines separated by U+2029,
// every character as typed (toPlainText() would turn no-break spaces into
// plain ones), in one pass over the document's pieces. Walking a million
// blocks and asking each for its text costs a second; this, some ten
// milliseconds.

// Calls `line` for each counted line of `raw`, in order.
template <typename Line> void forEachCountedLine(const QString& raw, Line line) {
    const QStringView text(raw);
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = text.indexOf(QChar::ParagraphSeparator, start);
        if (end < 0) break;
        line(text.sliced(start, end - start));
        start = end + 1;
    }
    if (start < text.size()) line(text.sliced(start)); // else an empty last line, not counted
}

} // namespace

QStringList countedLines(const QTextDocument& document) {
    QStringList lines;
    lines.reserve(countedLineCount(document));
    forEachCountedLine(document.toRawText(), [&](QStringView line) { lines.append(line.toString()); });
    return lines;
}

int countedTextLength(const QTextDocument& document) {
    // Every block's length counts its terminator, so the blocks' lengths add
    // up to the document's character count; an empty last line is not
    // counted, and every counted line has two (CR LF).
    const int lines = countedLineCount(document);
    const int uncounted = document.blockCount() - lines; // 0 or 1, one character long
    return document.characterCount() - uncounted + lines;
}

std::vector<std::u32string> sourceLines(const QTextDocument& document) {
    return sourceLinesOf(document.toRawText());
}

std::vector<std::u32string> sourceLinesOf(const QString& raw) {
    std::vector<std::u32string> source;
    source.reserve(std::size_t(raw.count(QChar::ParagraphSeparator)) + 1);
    forEachCountedLine(raw, [&](QStringView line) {
        // Code points as QString::toUcs4() gives them (a lone surrogate is
        // U+FFFD), without its copies: a third of the time.
        std::u32string& codes = source.emplace_back();
        codes.reserve(std::size_t(line.size()));
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line[i];
            if (c.isHighSurrogate() && i + 1 < line.size() && line[i + 1].isLowSurrogate())
                codes.push_back(QChar::surrogateToUcs4(c, line[++i]));
            else
                codes.push_back(c.isSurrogate() ? char32_t(QChar::ReplacementCharacter)
                                                : char32_t(c.unicode()));
        }
    });
    return source;
}

QString wholeText(const QTextDocument& document) {
    return document.toRawText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
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
