#pragma once
// The console view of the main window (editConsol) and everything the user
// does in it: Enter runs the typed line, or a pasted block line by line, on the
// console procedures; Up, Down and Escape walk the history; what is typed
// while a line waits is kept for the next prompt; Ctrl+S and the context menu
// save and copy the console's text and take accepted commands into the
// program. The main window only wires it: it hands over the view's keys,
// asks whether a line runs, and shows or hides the view.

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

#include "app/console/PlainTextConsole.h"
#include "console/Console.h"
#include "console/ConsoleHistory.h"

class QAction;
class QEvent;
class QKeyEvent;
class QPlainTextEdit;
class QPoint;
class QWidget;

namespace veltra {

class LinkSession;

class ConsolePane : public QObject {
    Q_OBJECT

  public:
    // `view` is the window's editConsol, given its colours here, and its font
    // and its four lines when it is first shown: the window starts in the
    // editor view, and its first paint need not wait for them. `busy` says whether the window waits for the board (an upload, a
    // console line, a port switch): keys then wait for the next prompt. The
    // history is kept in the file `historyPath`.
    ConsolePane(QPlainTextEdit& view, LinkSession& session, const QString& historyPath,
                std::function<bool()> busy, QObject* parent = nullptr);
    ~ConsolePane() override;

    // A console line is being handled (its waits are under way).
    bool busy() const { return console_.Busy(); }

    // Shows the view with the focus, or hides it.
    void setShown(bool shown);

    // The view's keys, from the window's key filter before the view gets
    // them: true when the key was used here. Ctrl+S is claimed before any
    // shortcut of the window can take it.
    bool claimShortcut(QObject* watched, QEvent* event);
    bool keyPress(QObject* watched, QKeyEvent* key);

    // Every character typed into editConsol passes here before the view gets
    // it; Enter arrives as '\r'. The handler may replace `key`, by 0 to
    // consume it.
    void editConsolKeyPress(QChar& key);

  signals:
    // Commands the board accepted, chosen to be appended to the program.
    void addToProgram(const QStringList& lines);

  private:
    // Ctrl+S, and Up, Down and Escape for the history; while a line waits,
    // the keys that would change the text.
    bool consoleKey(QKeyEvent* key);
    bool keyDuringWait(QKeyEvent* key);
    // Puts a line from the history after the prompt; false when there is none.
    bool showRecalled(const std::optional<QString>& text);

    // The context menu and its commands (ConsoleMenu.cpp).
    void buildMenu();
    void showMenu(const QPoint& at);
    void copyAll();
    void save();
    void linesToProgram();
    QWidget* window() const;

    QPlainTextEdit& view_;
    LinkSession& session_;
    std::function<bool()> windowBusy_;
    PlainTextConsole text_;
    ConsoleHistory history_;
    Console console_;
    // Keys typed while a console line waits, for the next prompt.
    QString typedAhead_;
    bool blockStopAsked_ = false; // Escape while a pasted block runs
    QString savedPath_;           // the last saved console text
    bool filled_ = false;         // the font and the four lines are there
    // The context menu's actions, made once; found by their object names.
    struct Menu {
        QAction* copy = nullptr;
        QAction* paste = nullptr;
        QAction* selectAll = nullptr;
        QAction* copyAll = nullptr;
        QAction* toProgram = nullptr;
        QAction* save = nullptr;
    } menu_;
};

} // namespace veltra
