// The function keys of the main window and the view switch.

#include <QApplication>
#include <QKeyEvent>
#include <QWindow>

#include "app/console/ConsolePane.h"
#include "app/shell/VeltraApplication.h"
#include "app/window/TMainForm.h"
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
    if (isClosing()) return false;
    // Ctrl+S in the console saves the console's text: claimed before any
    // shortcut of the window can take it, so it reaches the key handling below.
    if (console_->claimShortcut(watched, event)) return true;
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    bool handled = false;
    guarded([&] {
        handled = AppMessage(key) || FormKeyDown(watched, key) || console_->keyPress(watched, key);
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
    // A modal window of the program other than the upload window is open.
    QWidget* modal = QApplication::activeModalWidget();
    const bool dialogInFront = modal && !qobject_cast<TFormLink*>(modal);
    if (state_.consoleMode || (key->modifiers() & Qt::AltModifier) || dialogInFront) return false;
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

void TMainForm::switchView() {
    // A procedure waiting for the board owns the view it started in; the
    // port's own steps do not.
    if (program_.held() || session_.RequestWaiting() || console_->busy()) return;
    state_.consoleMode = !state_.consoleMode;
    if (state_.consoleMode) {
        ui->edit->hide();
        console_->setShown(true);
    } else {
        ui->edit->show();
        console_->setShown(false);
        ui->edit->setFocus();
    }
    help_.viewSwitched(state_.consoleMode);
    QCoreApplication::processEvents();
    session_.link().SkipNextPoll(); // the next cycle without a request sends nothing
    QCoreApplication::processEvents();
}

bool TMainForm::busy() const {
    return program_.held() || session_.Busy() || !session_.Started() || (console_ && console_->busy());
}

void TMainForm::runSend() {
    if (busy()) return; // F8 inside the upload's own waits, or while the port switches
    const auto sending = program_.hold();
    btSendClick();
}

} // namespace veltra
