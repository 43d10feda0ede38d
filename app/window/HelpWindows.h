#pragma once
// The two process-wide help windows as the main window uses them: the
// language help belongs to the editor view, the console help to the console
// view. Either may be gone (closed with the program); nothing is done to it then.

#include <QPointer>
#include <QWidget>

namespace veltra {

class HelpWindows {
  public:
    void set(QWidget* language, QWidget* console) {
        language_ = language;
        console_ = console;
    }
    // btHelp: the help window of the view shown appears, or goes when it is up.
    void toggle(bool consoleView);
    // After the view switch: a help window left open for the view just left
    // is swapped for the other one; with none open, none is opened.
    void viewSwitched(bool consoleView);
    // Closing: the console help, then the language help.
    void hideBoth();

    // Shows a help window beside the main window; the window the user typed
    // in keeps the keys.
    static void show(QWidget* help);

  private:
    QPointer<QWidget> language_;
    QPointer<QWidget> console_;
};

} // namespace veltra
