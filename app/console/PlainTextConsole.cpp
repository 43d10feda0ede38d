#include "app/console/PlainTextConsole.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace veltra {

PlainTextConsole::PlainTextConsole(QPlainTextEdit& view) : view_(view), prompt_(view.document()) {
    prompt_.setKeepPositionOnInsert(true);
}

void PlainTextConsole::FillInitial() {
    view_.setPlainText(QStringLiteral("//---------- консоль управления  ----------\n"
                                      "//    введи команду и нажми Enter\n"
                                      "//\n"
                                      ">"));
    QTextCursor cursor = view_.textCursor();
    cursor.movePosition(QTextCursor::End);
    view_.setTextCursor(cursor);
    MarkPrompt();
}

int PlainTextConsole::AppendLine(const QString& line) {
    QTextDocument* document = view_.document();
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    // An empty last line (an emptied console, or the line end a pasted
    // command brought) is filled rather than left blank above the new line.
    if (!document->lastBlock().text().isEmpty()) cursor.insertBlock();
    cursor.insertText(line);
    return document->blockCount() - 1;
}

void PlainTextConsole::ReplaceLine(int index, const QString& line) {
    QTextBlock block = view_.document()->findBlockByNumber(index);
    if (!block.isValid()) {
        AppendLine(line);
        return;
    }
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(line);
}

QString PlainTextConsole::LastLine() const {
    QTextBlock last = view_.document()->lastBlock();
    if (last.text().isEmpty() && last.previous().isValid()) last = last.previous();
    return last.text();
}

void PlainTextConsole::Clear() {
    view_.clear();
}

void PlainTextConsole::CaretToEnd() {
    QTextCursor cursor = view_.textCursor();
    cursor.movePosition(QTextCursor::End);
    view_.setTextCursor(cursor);
    view_.ensureCursorVisible();
}

void PlainTextConsole::MarkPrompt() {
    prompt_.setPosition(view_.document()->lastBlock().position());
}

QStringList PlainTextConsole::TypedLines() const {
    const QTextDocument* document = view_.document();
    QStringList lines;
    for (QTextBlock block = document->findBlock(prompt_.position()); block.isValid(); block = block.next())
        lines.append(block.text());
    if (lines.size() > 1 && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

void PlainTextConsole::SetTypedLines(const QStringList& lines) {
    QTextCursor cursor(view_.document()->findBlock(prompt_.position()));
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.insertText(lines.join(QLatin1Char('\n')));
    CaretToEnd();
}

} // namespace veltra
