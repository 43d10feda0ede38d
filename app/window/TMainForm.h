#pragma once
// The main window: the program editor and the control console in one frame,
// the message line under them, the buttons, the status bar, the 100 ms timer
// and the function keys. It wires the rooms together and shows what they
// report: the link session (with the virtual board the editor runs, beside
// it) talks to the board, the compiled program is its CheckedProgram, the
// console view a ConsolePane, the editor's helpers an EditorAssist, the
// change detection a ChangeDetection, New, Open, Save and Print a
// ProgramFiles, the help windows a HelpWindows.
//
// Its handlers are private: buttons, keys and the timer reach them, and tests
// through their peer (test::TMainFormPeer).

#include <QColor>
#include <QMainWindow>
#include <cstdint>
#include <memory>

#include "app/window/CheckedProgram.h"
#include "app/window/HelpWindows.h"
#include "app/window/MainLook.h"
#include "link/LinkSession.h"
#include "link/VirtualBoardKeeper.h"

class QKeyEvent;
class QTimer;

namespace Ui {
class TMainForm;
}

namespace veltra {

class ChangeDetection;
class ConsolePane;
class EditorAssist;
class ProgramFiles;
class RunDesk;

namespace test {
class TMainFormPeer;
}

// The window's own run state, under the names the program's notes give it;
// the files' is ProgramFiles', the change detection's ChangeDetection's.
struct MainFormState {
    bool consoleMode = false;   // the console view is shown
    std::int32_t tickCount = 0; // 100 ms ticks, 1 to 10
};

class TMainForm : public QMainWindow, private SessionReporter {
    Q_OBJECT

  public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // The conversation with the board, the compiled program, the run inside
    // the editor and the window's run state, to read.
    LinkSession& session() { return session_; }
    CheckedProgram& program() { return program_; }
    RunDesk& run() { return *run_; }
    const MainFormState& state() const { return state_; }

    // The process-wide help windows the view switch and btHelp act on.
    void setHelpWindows(QWidget* helpForm, QWidget* helpConsolForm);

    // Puts `text` in the editor as an unchanged program (as opening a file
    // does): the change detection takes its length as the known one. The
    // text it replaces stays one Ctrl+Z away (see TextLoader for long
    // texts). `filePath` is the file the text came from, empty for a new
    // program. False when the user cancelled a long text's progress: the
    // previous text stands, and nothing else changed.
    bool setProgramText(const QString& text, const QString& filePath = QString());

    // Open's steps for a file already chosen (at start, `veltra FILE`); a
    // file that cannot be read is an AppError, and the text stays. False
    // when the text did not go in (cancelled, or the window closes).
    bool openProgramFile(const QString& path);
    // A file another start of the editor hands over: opened as Open does,
    // and the message line says so. Empty when it was opened, else why not
    // (in Russian, for the other start to show); `shownHere` tells whether
    // this window has shown it in a box itself (a file it cannot read).
    QString openHandedFile(const QString& path, bool* shownHere = nullptr);

    // At start: one question for each recovery copy of unsaved text that an
    // editor now gone left behind; restoring one counts as a change. When no
    // copies can be kept, the first question or else the message line says so.
    void offerRecovery();

    // True once closing has started: every wait for the board (the session's
    // turns) has ended then.
    bool isClosing() const { return turns_.Aborted(); }
    // True while an upload or a console line waits for the board, or the port
    // is being started or switched: the send path, Enter in the console and
    // the view switch then do nothing.
    bool busy() const;
    // True until the port's start-up steps have run (they follow the first paint).
    bool isStarting() const { return !session_.Started(); }

  signals:
    // Emitted once the window has been painted for the first time, before the
    // port's steps: what is not on screen yet is made then.
    void firstPainted();
    // Emitted when closing has finished; the application quits on it.
    void closed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    friend class test::TMainFormPeer;

    // What the session reports: the error sound, status panel 0, the port's
    // message box, the link's message ("ERROR EEPROM").
    void errorBeep() override;
    void setPortPanel(const QString& text) override { SetStatusPanel(0, text); }
    void showPortError(const QString& message) override;
    void showLinkMessage(const QString& text) override { setMessage(text, QColor(255, 0, 0)); }

    // Handlers. btSendClick checks and uploads; F8 and the btSend button
    // reach it through runSend(), which never lets the send path run twice
    // at once.
    void btSendClick();
    void btNewClick();
    void btLoadFromFileClick();
    void btSaveToFileClick();
    void btPrintFileClick();
    void btHelpClick() { help_.toggle(state_.consoleMode); }
    void btParamClick();
    void TmTimer();
    void runSend();
    // F10: editor view <-> console view.
    void switchView();
    bool AppMessage(QKeyEvent* key);
    bool FormKeyDown(QObject* receiver, QKeyEvent* key);
    void FormClose();

    // Checks and compiles the editor's text into the compiled program; 0
    // when it compiled, else the failing status (always 1 in the console
    // view). The result is shown in the message line.
    int checkProgram();
    void ApplyEditorColours();
    // Status bar panel 0 (port), 1 (link) or 2 (clock).
    void SetStatusPanel(int index, const QString& text) { panels_.set(index, text); }
    // The port's start-up steps, then the timer: right after the first paint.
    void runPortSteps();
    void connectHandlers();
    // The message line under the editor.
    void setMessage(const QString& text, const QColor& colour);

    const std::unique_ptr<Ui::TMainForm> ui;
    QTimer* const Tm;
    MainFormState state_;
    StatusPanels panels_;
    HelpWindows help_;
    // Every wait for the board ends at once when the window starts closing.
    EventPumpTurns turns_{this};
    LinkSession session_;
    VirtualBoardKeeper portSteps_;
    CheckedProgram program_;
    std::unique_ptr<ChangeDetection> changes_;
    std::unique_ptr<ConsolePane> console_;
    // Gutter, colouring, live check, find bar, recovery copy, printing, jump
    // to the error, the editor's shortcuts.
    std::unique_ptr<EditorAssist> assist_;
    // The program on the virtual board inside the editor: its window, keys, band and breakpoints.
    std::unique_ptr<RunDesk> run_;
    // New, open, save, print: the program's files.
    std::unique_ptr<ProgramFiles> files_;
};

} // namespace veltra
