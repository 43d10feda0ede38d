// The console view's keys: Enter to the console procedures, the history,
// Ctrl+S, and what is typed while a line waits.

#include "app/console/ConsolePane.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextBlock>

#include "app/editor/EditorText.h"
#include "app/shell/VeltraApplication.h"
#include "console/PasteRunner.h"
#include "help/Fonts.h"
#include "link/LinkSession.h"

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

ConsolePane::ConsolePane(QPlainTextEdit& view, LinkSession& session, const QString& historyPath,
                         std::function<bool()> busy, QObject* parent)
    : QObject(parent), view_(view), session_(session), windowBusy_(std::move(busy)), text_(view),
      history_(historyPath, ConsoleHistory::FileWork::Background), console_(text_, session, &history_) {
    // Green with yellow letters whatever the settings say: only the editor is recoloured.
    QPalette look = view_.palette();
    look.setColor(QPalette::Base, QColor(0, 128, 0));
    look.setColor(QPalette::Text, QColor(255, 255, 0));
    view_.setPalette(look);
    buildMenu();
}

ConsolePane::~ConsolePane() = default;

void ConsolePane::setShown(bool shown) {
    if (shown && !filled_) {
        filled_ = true;
        view_.setFont(designFont(QStringLiteral("Courier New"), 15));
        text_.FillInitial();
    }
    view_.setVisible(shown);
    if (shown) view_.setFocus();
}

QWidget* ConsolePane::window() const {
    return view_.window();
}

bool ConsolePane::claimShortcut(QObject* watched, QEvent* event) {
    if (watched != &view_ || event->type() != QEvent::ShortcutOverride ||
        !static_cast<QKeyEvent*>(event)->matches(QKeySequence::Save))
        return false;
    // The key then reaches keyPress as a key press.
    event->accept();
    return true;
}

bool ConsolePane::keyPress(QObject* watched, QKeyEvent* key) {
    if (watched != &view_) return false;
    if (consoleKey(key)) return true;
    if (key->text().size() != 1) return false;
    const QChar typed = key->text().front();
    QChar result = typed;
    editConsolKeyPress(result);
    if (result == typed) return false;
    if (!result.isNull()) view_.insertPlainText(QString(result));
    return true;
}

// Enter never reaches the control: the console writes every new line itself.
// While a line waits for the board, what is typed is kept for the next
// prompt: written into the console then, it would land among the lines the
// waiting procedure writes.
void ConsolePane::editConsolKeyPress(QChar& key) {
    if (windowBusy_()) {
        if (key.isPrint() || key == QChar('\t')) typedAhead_ += key;
        key = QChar(0);
        return;
    }
    if (key != QChar('\r')) return;
    key = QChar(0);
    blockStopAsked_ = false;
    runTypedLines(console_, text_, [this] { return blockStopAsked_; });
    if (session_.turns().Aborted() || typedAhead_.isEmpty()) return; // the window closes
    QTextCursor end(view_.document());
    end.movePosition(QTextCursor::End);
    end.insertText(typedAhead_);
    typedAhead_.clear();
    text_.CaretToEnd();
}

bool ConsolePane::consoleKey(QKeyEvent* key) {
    if (key->matches(QKeySequence::Save)) {
        save();
        return true;
    }
    if (windowBusy_()) return keyDuringWait(key);
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    if (key->key() == Qt::Key_Escape) return showRecalled(history_.Restore());
    if (key->key() != Qt::Key_Up && key->key() != Qt::Key_Down) return false;
    // Only on the last line: elsewhere the arrows move the caret as usual.
    if (view_.textCursor().blockNumber() < countedLineCount(*view_.document()) - 1) return false;
    if (key->key() == Qt::Key_Down) return showRecalled(history_.Newer());
    const QString typed = text_.TypedLines().join(QLatin1Char('\n'));
    const std::optional<QString> older = history_.Older(typed);
    // At the oldest entry Up stays on the line rather than leave it.
    return showRecalled(older) || !history_.Entries().isEmpty();
}

bool ConsolePane::keyDuringWait(QKeyEvent* key) {
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

bool ConsolePane::showRecalled(const std::optional<QString>& text) {
    if (!text) return false;
    text_.SetTypedLines(text->split(QLatin1Char('\n')));
    return true;
}

} // namespace veltra
