// The function keys of the main window and the view switch.

#include <QApplication>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QWindow>

#include "app/window/TMainForm.h"
#include "app/shell/VeltraApplication.h"
#include "console/Console.h"
#include "link/TFormLink.h"
#include "ui_TMainForm.h"

namespace veltra {

namespace {

bool isEnter(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

} // namespace

// Installed on the application, this sees every key press of every window of
// the program before it is delivered, also inside modal dialogs and inside the
// loops that wait while processing events. A key press passes here twice on
// its way (its window, then the focused widget); whatever acts on it consumes
// it, so nothing acts twice.
bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (closing_) return false;
    // Ctrl+S in the console saves the console's text: claimed before any
    // shortcut of the window can take it, so it reaches the key handling below.
    if (event->type() == QEvent::ShortcutOverride && watched == ui->editConsol &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Save)) {
        event->accept();
        return true;
    }
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    bool handled = false;
    guarded([&] {
        handled = AppMessage(key) || FormKeyDown(watched, key);
        if (handled) return;
        if (watched == ui->editConsol) handled = routeConsoleKey(key);
        if (handled) return;
        // Shift+Enter would put a line separator inside a line; both views
        // want a real new line.
        if ((watched == ui->edit || watched == ui->editConsol) && isEnter(key) &&
            (key->modifiers() & Qt::ShiftModifier)) {
            auto* view = static_cast<QPlainTextEdit*>(watched);
            QTextCursor cursor = view->textCursor();
            cursor.insertBlock();
            view->setTextCursor(cursor);
            handled = true;
        }
    });
    return handled;
}

// F1 and F8, in the editor view only; a key held with Alt is a system key and
// not looked at. Behind a dialog (a file dialog, the settings, a message box,
// About) they would act on a window the user cannot see; inside the upload
// window F1 still toggles the help and F8 finds the send path taken.
bool TMainForm::AppMessage(QKeyEvent* key) {
    if (state_.consoleMode || (key->modifiers() & Qt::AltModifier) || dialogInFront()) return false;
    if (key->key() == Qt::Key_F1) {
        ui->btHelp->click();
        return true;
    }
    if (key->key() == Qt::Key_F8) {
        ui->btSend->click();
        return true;
    }
    return false;
}

bool TMainForm::dialogInFront() {
    QWidget* modal = QApplication::activeModalWidget();
    return modal && !qobject_cast<TFormLink*>(modal);
}

void TMainForm::showHelp(QWidget* help) {
    // The help windows ask not to be activated when shown; a window manager
    // may do it anyway (and Qt's offscreen platform always does), so the
    // window that had the keys takes them back.
    QWidget* typing = QApplication::activeWindow();
    help->show();
    if (typing && typing != help) typing->activateWindow();
}

// The window's own key preview: F10 in either view, whatever the modifiers,
// when the key is meant for this window.
bool TMainForm::FormKeyDown(QObject* receiver, QKeyEvent* key) {
    if (key->key() != Qt::Key_F10) return false;
    auto* widget = qobject_cast<QWidget*>(receiver);
    bool ours = receiver == windowHandle() || (widget && widget->window() == this);
    if (!ours) return false;
    switchView();
    return true;
}

bool TMainForm::routeConsoleKey(QKeyEvent* key) {
    if (consoleKey(key)) return true;
    if (key->text().size() != 1) return false;
    const QChar typed = key->text().front();
    QChar result = typed;
    editConsolKeyPress(result);
    if (result == typed) return false;
    if (!result.isNull()) ui->editConsol->insertPlainText(QString(result));
    return true;
}

void TMainForm::switchView() {
    // A procedure waiting for the board owns the view it started in; the
    // port's own steps do not.
    if (sending_ || session_.RequestWaiting() || console_->Busy()) return;
    if (!state_.consoleMode) {
        ui->edit->hide();
        ui->editConsol->show();
        ui->editConsol->setFocus();
        state_.consoleMode = true;
        if (helpForm_ && helpForm_->isVisible()) {
            if (helpConsolForm_) showHelp(helpConsolForm_);
            helpForm_->hide();
        }
    } else {
        ui->edit->show();
        ui->editConsol->hide();
        ui->edit->setFocus();
        state_.consoleMode = false;
        if (helpConsolForm_ && helpConsolForm_->isVisible()) {
            if (helpForm_) showHelp(helpForm_);
            helpConsolForm_->hide();
        }
    }
    QCoreApplication::processEvents();
    session_.link().skipPoll = true; // the next cycle without a request sends nothing
    QCoreApplication::processEvents();
}

void TMainForm::runSend() {
    if (busy()) return; // F8 inside the upload's own waits, or while the port switches
    QScopedValueRollback sending(sending_, true);
    btSendClick();
}

} // namespace veltra
