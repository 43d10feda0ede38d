#pragma once
// How the program sees the text of its two text views. A view holds lines;
// an empty last line (the one after a final line break) is not counted, so a
// text that ends with a line break has as many lines as one that does not.
// The length of a text is that of its counted lines, each followed by CR LF:
// exactly the bytes a save writes.

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

class QPlainTextEdit;
class QTextDocument;

namespace veltra {

int countedLineCount(const QTextDocument& document);
QStringList countedLines(const QTextDocument& document);
int countedTextLength(const QTextDocument& document);

// The caret's line, counted from 1.
int caretLine(const QPlainTextEdit& view);

// "стр.=%3i / %3i".
QString lineIndicatorText(int caretLine, int lineCount);

// " dd/mm/yyyy    hh:nn:ss " with the locale's date and time separators.
QString clockText(const QDateTime& now, const QLocale& locale);

} // namespace veltra
