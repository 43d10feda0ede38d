#pragma once
// The real dialogs of the program.

#include "app/shell/UserDialogs.h"

namespace veltra {

class QtUserDialogs : public UserDialogs {
  public:
    void beep() override;
    void showError(const QString& text) override;
    void message(QWidget* parent, const QString& text, const QString& caption, BoxIcon icon) override;
    bool ask(QWidget* parent, const Question& question) override;
    QString openFileName(QWidget* parent, const FileDialogSetup& setup) override;
    QString saveFileName(QWidget* parent, const FileDialogSetup& setup) override;
    int runModal(QDialog& dialog) override;
};

// Answers every modal window that waits, innermost first, as the Escape key
// would (a message box's escape button, a dialog's Cancel). A window that
// ignores Escape (the upload window until its sequence ends) is left as it is.
void escapeModalWindows();

} // namespace veltra
