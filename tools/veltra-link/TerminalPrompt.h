#pragma once
// The console's prompt on a terminal: ">" and a line editor with history
// (libedit's readline interface, which the terminal's users know from their
// shells), driven by the event loop so that Ctrl+C and the boards' output
// are heard while the user types. Shown, it reads keys; hidden, the
// terminal is back in its own mode and keys typed meanwhile wait for the next
// prompt.

#include <QObject>
#include <QSocketNotifier>
#include <QStringList>

namespace veltra::linktool {

class TerminalPrompt : public QObject {
    Q_OBJECT
  public:
    // `history`: the earlier lines, oldest first, for Up and Down.
    explicit TerminalPrompt(const QStringList& history);
    ~TerminalPrompt() override;

    void Show();
    void Hide();
    // Ctrl+C: hidden, and the terminal's next output starts on a line of its own.
    void Interrupt();

  signals:
    void lineEntered(const QString& line);
    void inputEnded(); // Ctrl+D on an empty line

  private:
    static void onLine(char* line);
    QSocketNotifier keys_;
    bool shown_ = false;
};

} // namespace veltra::linktool
