#pragma once
// Everything modal that a person answers goes through this one interface: the
// message boxes, the file dialogs and the error sound. The program uses the Qt
// dialogs; tests put a scripted stand-in in their place.

#include <QString>

class QDialog;
class QWidget;

namespace veltra {

enum class BoxIcon { Information, Exclamation, Stop };

struct FileDialogSetup {
    QString title;
    QString folder;        // initial folder
    QString filter;        // one Qt name filter, "Description(*.ext)"
    QString defaultSuffix; // appended by the save dialog to a name without one
    QString fileName = {}; // the name a save dialog proposes; empty: none
};

// A question with two answers; the first is the default button (Enter).
struct Question {
    QString text;
    QString caption; // empty: the application's title
    QString yes;     // the default answer
    QString no;      // also Esc and closing the box
};

class UserDialogs {
  public:
    virtual ~UserDialogs() = default;

    // The system's error sound.
    virtual void beep() = 0;
    // The application's standard error box: an error raised in a handler.
    virtual void showError(const QString& text) = 0;
    // A message box with an OK button; an empty caption means the application's title.
    virtual void message(QWidget* parent, const QString& text, const QString& caption, BoxIcon icon) = 0;
    // True when the user gave the default answer.
    virtual bool ask(QWidget* parent, const Question& question) = 0;
    // The chosen file's full path, or an empty string when the user cancelled.
    virtual QString openFileName(QWidget* parent, const FileDialogSetup& setup) = 0;
    // As above; asks before an existing file is overwritten.
    virtual QString saveFileName(QWidget* parent, const FileDialogSetup& setup) = 0;
    // Shows one of the program's own dialogs modally; returns its result.
    virtual int runModal(QDialog& dialog) = 0;
};

// The process-wide dialogs; the Qt ones unless a test set others.
UserDialogs& userDialogs();
// nullptr returns to the Qt dialogs. The caller keeps ownership.
void setUserDialogs(UserDialogs* dialogs);

} // namespace veltra
