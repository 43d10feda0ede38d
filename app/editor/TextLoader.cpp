#include "app/editor/TextLoader.h"

#include <QCoreApplication>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTimer>

#include <algorithm>
#include <malloc.h>

#include "app/editor/EditorText.h"
#include "app/editor/ProgramEdit.h"

namespace veltra {

namespace {

constexpr int kLetGoMs = 2000;

// The lines `text` makes in the editor (the empty one after a last line
// break included).
int linesIn(const QString& text) {
    return int(text.count(QLatin1Char('\n'))) + 1;
}

QString progressText(int done, int total, const QString& what) {
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    return what + QStringLiteral("\nстрок: %1 из %2").arg(russian.toString(done), russian.toString(total));
}

} // namespace

TextLoader::Pace& TextLoader::pace() {
    static Pace pace;
    return pace;
}

TextLoader& TextLoader::of(QPlainTextEdit& view) {
    auto* loader = view.findChild<TextLoader*>(QString(), Qt::FindDirectChildrenOnly);
    return loader ? *loader : *new TextLoader(view);
}

TextLoader::TextLoader(QPlainTextEdit& view) : QObject(&view), view_(view) {}

TextLoader::~TextLoader() = default;

bool TextLoader::replace(const QString& text, const std::function<bool(const QString&)>& isStored) {
    if (busy_) return false; // a second replacement from inside the first one's turns
    QTextDocument& document = *view_.document();
    if (document.blockCount() <= pace().largeLines && linesIn(text) <= pace().largeLines) {
        replaceText(view_, text);
        return true;
    }
    emit aboutToReplace();
    const QScopedValueRollback busy(busy_, true);
    const QString previous = wholeText(document); // what a cancel puts back
    const bool keepUndo = !isStored(previous);
    const bool undoWasOn = document.isUndoRedoEnabled();
    windowShown_ = view_.window()->isVisible();
    abandoned_ = false;
    undoStepOpen_ = false;
    clock_.start();
    sliceStartMs_ = 0;

    const int caret = view_.textCursor().position();

    const bool done = takeOut(keepUndo) && putIn(text, keepUndo, Phase::PutIn);
    if (!done && !abandoned_) putBack(previous);
    progress_.reset();
    document.setUndoRedoEnabled(undoWasOn);
    reserveLines(0);
    QTextCursor at(&document);
    if (!done) at.setPosition(std::min(caret, document.characterCount() - 1)); // where it was
    view_.setTextCursor(at);
    return done;
}

bool TextLoader::takeOut(bool keepUndo) {
    QTextDocument& document = *view_.document();
    if (!keepUndo) {
        clearDocument();
        return true;
    }
    // From the end, some lines at a time, as one undo step with what follows.
    const int total = document.blockCount();
    reserveLines(total);
    while (document.characterCount() > 1) {
        edit(true, [&](QTextCursor& cursor) {
            const int kept = std::max(0, document.blockCount() - pace().linesPerStep);
            cursor.setPosition(kept == 0 ? 0 : document.findBlockByNumber(kept).position() - 1);
            cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
        });
        if (document.characterCount() > 1 && !turn(Phase::TakeOut, total - document.blockCount(), total))
            return false;
    }
    return true;
}

bool TextLoader::putIn(const QString& text, bool keepUndo, Phase phase) {
    QTextDocument& document = *view_.document();
    const int total = linesIn(text);
    // The gutter takes its width while the text is still short.
    reserveLines(total);
    if (!keepUndo) document.setUndoRedoEnabled(false);
    // Each step appends whole lines at the end: the blocks come out as the
    // whole text inserted at once would make them.
    int lines = 0;
    for (qsizetype at = 0; at < text.size();) {
        qsizetype end = at;
        for (int step = 0; step < pace().linesPerStep && end < text.size(); ++step, ++lines) {
            end = text.indexOf(QLatin1Char('\n'), end);
            end = end < 0 ? text.size() : end + 1;
        }
        edit(keepUndo, [&](QTextCursor& cursor) {
            cursor.movePosition(QTextCursor::End);
            cursor.insertText(text.sliced(at, end - at));
        });
        at = end;
        if (at < text.size() && !turn(phase, lines, total)) return false;
    }
    return true;
}

void TextLoader::putBack(const QString& previous) {
    // What the cancelled replacement did is dropped as a whole (a clear is
    // quick where undoing a million steps is not), and the previous text
    // goes in again, which cannot be cancelled.
    progress_.reset();
    clearDocument();
    putIn(previous, false, Phase::PutBack);
}

void TextLoader::clearDocument() {
    QTextDocument& document = *view_.document();
    const bool large = document.blockCount() > pace().largeLines;
    document.clear(); // the blocks, their layouts and the undo stack, at once
    if (!large) return;
    // The blocks of a long text were many small pieces of the heap, which
    // the C library keeps for itself once freed, unless asked. What else
    // held parts of the old text (the live check's marks, the recovery
    // copy's text) lets go of them within a moment: asked once more then.
    malloc_trim(0);
    QTimer::singleShot(kLetGoMs, this, [] { malloc_trim(0); });
}

template <typename Change> void TextLoader::edit(bool keepUndo, Change change) {
    QTextCursor cursor(view_.document());
    if (keepUndo && undoStepOpen_)
        cursor.joinPreviousEditBlock();
    else
        cursor.beginEditBlock();
    change(cursor);
    cursor.endEditBlock();
    undoStepOpen_ = true;
}

void TextLoader::reserveLines(int lines) {
    if (auto* edit = qobject_cast<ProgramEdit*>(&view_)) edit->reserveLines(lines);
}

bool TextLoader::turn(Phase phase, int done, int total) {
    if (clock_.elapsed() - sliceStartMs_ < pace().sliceMs) return true;
    if (!progress_ && clock_.elapsed() >= pace().progressAfterMs) {
        QWidget* window = view_.window();
        progress_ = std::make_unique<QProgressDialog>(window);
        progress_->setObjectName(QStringLiteral("textProgress"));
        progress_->setWindowTitle(window->windowTitle());
        // Every window waits: the run view's F5 would check a half-loaded text.
        progress_->setWindowModality(Qt::ApplicationModal);
        progress_->setAutoClose(false);
        progress_->setAutoReset(false);
        if (phase == Phase::PutBack)
            progress_->setCancelButton(nullptr);
        else
            progress_->setCancelButtonText(QStringLiteral("Отменить"));
        // Esc closes a dialog as rejected, which to this one is no cancel.
        connect(progress_.get(), &QDialog::rejected, progress_.get(), &QProgressDialog::cancel);
        progress_->show();
    }
    if (progress_) {
        const QString what = phase == Phase::TakeOut ? QStringLiteral("Прежний текст убирается из редактора…")
                             : phase == Phase::PutIn ? QStringLiteral("Текст загружается в редактор…")
                                                     : QStringLiteral("Возвращается прежний текст…");
        progress_->setLabelText(progressText(done, total, what));
        progress_->setMaximum(total);
        progress_->setValue(done);
    }
    // Until the progress window blocks them, keys and clicks wait for the
    // end: typing into a half-loaded text, or New in the middle of it, would
    // make a text nobody asked for.
    const bool blocking = progress_ && progress_->isVisible();
    QCoreApplication::processEvents(blocking ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    sliceStartMs_ = clock_.elapsed();
    if (windowShown_ && !view_.window()->isVisible()) {
        abandoned_ = true;
        return false;
    }
    return phase == Phase::PutBack || !progress_ || !progress_->wasCanceled();
}

} // namespace veltra
