#include "app/shell/QtUserDialogs.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

#include "app/shell/AppTitle.h"
#include "app/shell/FileDialogs.h"

namespace veltra {

namespace {

UserDialogs*& currentDialogs() {
    static UserDialogs* dialogs = nullptr;
    return dialogs;
}

// Qt's display name would be the executable's name; setting it instead would
// append it to every window title.
QString captionOr(const QString& caption) {
    return caption.isEmpty() ? kAppTitle : caption;
}

QString runFileDialog(QWidget* parent, const FileDialogSetup& setup, QFileDialog::AcceptMode mode) {
    ProgramFileDialog dialog(parent, setup, mode);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

UserDialogs& userDialogs() {
    static QtUserDialogs qtDialogs;
    UserDialogs* set = currentDialogs();
    return set ? *set : qtDialogs;
}

void setUserDialogs(UserDialogs* dialogs) {
    currentDialogs() = dialogs;
}

void QtUserDialogs::beep() {
    QApplication::beep();
}

// Every box's text is plain: a file or device name that looks like HTML
// ("<h1>...") is shown as written, never as markup.
void QtUserDialogs::showError(const QString& text) {
    QMessageBox box(QMessageBox::Critical, kAppTitle, text, QMessageBox::Ok, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void QtUserDialogs::message(QWidget* parent, const QString& text, const QString& caption, BoxIcon icon) {
    QMessageBox::Icon qtIcon = icon == BoxIcon::Stop          ? QMessageBox::Critical
                               : icon == BoxIcon::Exclamation ? QMessageBox::Warning
                                                              : QMessageBox::Information;
    QMessageBox box(qtIcon, captionOr(caption), text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool QtUserDialogs::ask(QWidget* parent, const Question& question) {
    QMessageBox box(QMessageBox::Question, captionOr(question.caption), question.text, QMessageBox::NoButton,
                    parent);
    box.setTextFormat(Qt::PlainText);
    QPushButton* yes = box.addButton(question.yes, QMessageBox::AcceptRole);
    QPushButton* no = box.addButton(question.no, QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

QString QtUserDialogs::openFileName(QWidget* parent, const FileDialogSetup& setup) {
    // A name of a file that does not exist is accepted; opening it then fails
    // with the usual message.
    return runFileDialog(parent, setup, QFileDialog::AcceptOpen);
}

QString QtUserDialogs::saveFileName(QWidget* parent, const FileDialogSetup& setup) {
    return runFileDialog(parent, setup, QFileDialog::AcceptSave);
}

int QtUserDialogs::runModal(QDialog& dialog) {
    return dialog.exec();
}

void escapeModalWindows() {
    // Each answered window hides at once, and the next one out is in front;
    // each ends its own event loop once this handler has returned to it. A
    // window that opens another as it closes gets no endless round.
    constexpr int kMostWindows = 16;
    for (int round = 0; round < kMostWindows; ++round) {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(modal, &escape);
        if (QApplication::activeModalWidget() == modal) return;
    }
}

} // namespace veltra
