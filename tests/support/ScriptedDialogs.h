#pragma once
// The dialogs of the program, answered by a script instead of a person. Every
// call is recorded; file dialogs take their answers from queues (an empty
// queue is a cancel); the program's own modal dialogs are handed to a
// function that plays the user's part and returns the dialog's result.
// While it exists it is the process-wide dialogs.

#include <QDialog>
#include <QString>
#include <deque>
#include <functional>
#include <vector>

#include "app/shell/UserDialogs.h"

namespace veltra::test {

struct DialogCall {
    enum Kind { Beep, Error, Message, Question, Open, Save, Modal } kind;
    QString text; // message and error text
    QString caption;
    BoxIcon icon = BoxIcon::Information;
    FileDialogSetup setup;
    QWidget* parent = nullptr;
};

class ScriptedDialogs : public UserDialogs {
  public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    std::vector<DialogCall> calls;
    std::deque<QString> openAnswers;
    std::deque<QString> saveAnswers;
    // Answers to questions, true for the default; an empty queue gives the default.
    std::deque<bool> questionAnswers;
    // Plays the user's part in a dialog shown with runModal; without one the
    // dialog is cancelled.
    std::function<int(QDialog&)> modal;
    // Called with every call as it is made, for tests that act while a
    // dialog stands (the user pressing keys behind a message box).
    std::function<void(const DialogCall&)> onCall;

    int count(DialogCall::Kind kind) const;
    // The last call of that kind; an empty call when there was none.
    DialogCall last(DialogCall::Kind kind) const;

    void beep() override;
    void showError(const QString& text) override;
    void message(QWidget* parent, const QString& text, const QString& caption, BoxIcon icon) override;
    bool ask(QWidget* parent, const veltra::Question& question) override;
    QString openFileName(QWidget* parent, const FileDialogSetup& setup) override;
    QString saveFileName(QWidget* parent, const FileDialogSetup& setup) override;
    int runModal(QDialog& dialog) override;

  private:
    void record(DialogCall call);
};

} // namespace veltra::test
