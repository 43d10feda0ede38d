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
#include <string>
#include <vector>

class QPlainTextEdit;
class QTextDocument;

namespace veltra {

int countedLineCount(const QTextDocument& document);
QStringList countedLines(const QTextDocument& document);
int countedTextLength(const QTextDocument& document);

// The counted lines as the compiler reads them.
std::vector<std::u32string> sourceLines(const QTextDocument& document);
// The same from the document's raw text (QTextDocument::toRawText()), which
// is taken on the GUI thread in a moment and may be read on another.
std::vector<std::u32string> sourceLinesOf(const QString& raw);

// Every line of the document, the empty last one too, joined by '\n': the
// text exactly as it stands, which replaceText() puts back block for block.
QString wholeText(const QTextDocument& document);

// Replaces the whole text of `view` by `text` as one edit on the document's
// undo stack, so that Ctrl+Z brings the previous text back; the caret goes to
// the start, as after setPlainText (which would empty the undo stack).
void replaceText(QPlainTextEdit& view, const QString& text);

// Appends `lines` after the program's last line as one edit, so one undo
// takes them all back. A program that ends with a line break keeps ending
// with one.
void appendProgramLines(QTextDocument& program, const QStringList& lines);

// The caret's line, counted from 1.
int caretLine(const QPlainTextEdit& view);

// "стр.=%3i / %3i".
QString lineIndicatorText(int caretLine, int lineCount);

// " dd/mm/yyyy    hh:nn:ss " with the locale's date and time separators.
QString clockText(const QDateTime& now, const QLocale& locale);

} // namespace veltra
