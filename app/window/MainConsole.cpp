// Characters and keys typed into the control console.

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QTextBlock>

#include "app/editor/EditorText.h"
#include "app/window/TMainForm.h"
#include "console/Console.h"
#include "console/ConsoleHistory.h"
#include "console/PasteRunner.h"
#include "app/console/PlainTextConsole.h"
#include "ui_TMainForm.h"

namespace veltra {

namespace {

// Keys that move the caret or copy: they leave the text alone, also while a
// line waits.
bool leavesTextAlone(const QKeyEvent* key) {
    static const QKeySequence::StandardKey reading[] = {QKeySequence::Copy, QKeySequence::SelectAll};
    for (QKeySequence::StandardKey standard : reading) {
        if (key->matches(standard)) return true;
    }
    switch (key->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_Meta:
        return true;
    default:
        return false;
    }
}

bool isTyped(const QKeyEvent* key) {
    return key->text().size() == 1 && (key->text().front().isPrint() || key->text().front() == QChar('\t'));
}

} // namespace

// Every character typed into editConsol passes here before the console gets
// it; Enter arrives as '\r'. Enter never reaches the control: the console
// writes every new line itself. While a line waits for the board, what is
// typed is kept for the next prompt: written into the console then, it would
// land among the lines the waiting procedure writes.
void TMainForm::editConsolKeyPress(QChar& key) {
    if (busy()) {
        if (key.isPrint() || key == QChar('\t')) typedAhead_ += key;
        key = QChar(0);
        return;
    }
    if (key != QChar('\r')) return;
    key = QChar(0);
    blockStopAsked_ = false;
    runTypedLines(*console_, *consoleText_, [this] { return blockStopAsked_; });
    if (closing_ || typedAhead_.isEmpty()) return;
    QTextCursor end(ui->editConsol->document());
    end.movePosition(QTextCursor::End);
    end.insertText(typedAhead_);
    typedAhead_.clear();
    consoleText_->CaretToEnd();
}

bool TMainForm::busy() const {
    return sending_ || session_.Busy() || !session_.Started() || (console_ && console_->Busy());
}

bool TMainForm::consoleKey(QKeyEvent* key) {
    if (key->matches(QKeySequence::Save)) {
        saveConsoleText();
        return true;
    }
    if (busy()) return keyDuringWait(key);
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    if (key->key() == Qt::Key_Escape) return showRecalled(history_->Restore());
    if (key->key() != Qt::Key_Up && key->key() != Qt::Key_Down) return false;
    // Only on the last line: elsewhere the arrows move the caret as usual.
    const QPlainTextEdit& view = *ui->editConsol;
    if (view.textCursor().blockNumber() < countedLineCount(*view.document()) - 1) return false;
    if (key->key() == Qt::Key_Down) return showRecalled(history_->Newer());
    const QString typed = consoleText_->TypedLines().join(QLatin1Char('\n'));
    const std::optional<QString> older = history_->Older(typed);
    // At the oldest entry Up stays on the line rather than leave it.
    return showRecalled(older) || !history_->Entries().isEmpty();
}

bool TMainForm::keyDuringWait(QKeyEvent* key) {
    // Escape stops a pasted block after the line that runs now.
    if (key->key() == Qt::Key_Escape) {
        blockStopAsked_ = true;
        return true;
    }
    if (key->matches(QKeySequence::Paste)) {
        typedAhead_ += QGuiApplication::clipboard()->text();
        return true;
    }
    if (key->key() == Qt::Key_Backspace) {
        typedAhead_.chop(1);
        return true;
    }
    // Characters go on to editConsolKeyPress, which keeps them; every other
    // key that would change the text (Delete, Enter, cut, undo) is dropped.
    return !isTyped(key) && !leavesTextAlone(key);
}

bool TMainForm::showRecalled(const std::optional<QString>& text) {
    if (!text) return false;
    consoleText_->SetTypedLines(text->split(QLatin1Char('\n')));
    return true;
}

} // namespace veltra
