#pragma once
// The main window: the program editor and the control console in one frame,
// the message line under them, the buttons, the status bar, the 100 ms timer
// and the function keys. It wires the rooms together: the link session it
// owns talks to the board, the compiled program is its CheckedProgram, the
// console view is a ConsolePane, the editor's helpers are an EditorAssist,
// the help windows a HelpWindows; the window shows what they report.
//
// - btSendClick (MainSend.cpp) checks and uploads; F8 and the btSend button
//   reach it through runSend(), which never lets the send path run twice at once.
// - isClosing() turns true when closing starts: every wait for the board
//   (the session's turns) ends then.

#include <QColor>
#include <QMainWindow>
#include <cstdint>
#include <memory>

#include "app/window/CheckedProgram.h"
#include "app/window/HelpWindows.h"
#include "app/window/MainLook.h"
#include "link/LinkSession.h"

class QKeyEvent;
class QTimer;

namespace Ui {
class TMainForm;
}

namespace veltra {

class BoardProcess;
class ConsolePane;
class EditorAssist;
class RunDesk;

// The window's own run state, under the names the program's notes give it.
struct MainFormState {
    bool consoleMode = false;    // the console view is shown
    QString savePath;            // the last saved program file
    QString openPath;            // the last opened program file
    std::int32_t textLength = 2; // one empty line and its CR LF
    std::int32_t lastTextLength = 2;
    std::int32_t tickCount = 0; // 100 ms ticks, 1 to 10
    bool openedAsUtf8 = false;  // the text came from a UTF-8 file and was not saved since
};

class TMainForm : public QMainWindow, private SessionReporter {
    Q_OBJECT

  public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // The conversation with the board, the compiled program, and the window's
    // run state, to read.
    LinkSession& session() { return session_; }
    CheckedProgram& program() { return program_; }
    RunDesk& run() { return *run_; }
    const MainFormState& state() const { return state_; }

    // The process-wide help windows the view switch and btHelp act on.
    void setHelpWindows(QWidget* helpForm, QWidget* helpConsolForm);

    // Status bar panel 0 (port), 1 (link) or 2 (clock).
    void SetStatusPanel(int index, const QString& text) { panels_.set(index, text); }
    QString statusPanelText(int index) const { return panels_.text(index); }
    QString statusPanelTip(int index) const { return panels_.tip(index); }

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
    // (in Russian, for the other start to show).
    QString openHandedFile(const QString& path);

    // The virtual board the editor runs while the port in use is set to it.
    const BoardProcess& virtualBoard() const { return *board_; }

    // At start: one question for each recovery copy of unsaved text that an
    // editor now gone left behind; restoring one counts as a change. When no
    // copies can be kept, the first question or else the message line says so.
    void offerRecovery();

    void ApplyEditorColours();
    bool isClosing() const { return closing_; }
    // True while an upload or a console line waits for the board, or the port
    // is being started or switched: the send path, Enter in the console and
    // the view switch then do nothing.
    bool busy() const;

    // Checks and compiles the editor's text into the compiled program; 0
    // when it compiled, else the failing status (always 1 in the console
    // view). The result is shown in the message line.
    int checkProgram();
    // Stops the link and opens the named port, with this window's reports.
    bool SelectPort(const QString& portName) { return session_.SelectPort(portName); }

    // Handlers.
    void btSendClick();
    void btNewClick();
    void btLoadFromFileClick();
    void btSaveToFileClick();
    void btPrintFileClick();
    void btHelpClick() { help_.toggle(state_.consoleMode); }
    void btParamClick();
    void TmTimer();

    // F10: editor view <-> console view.
    void switchView();
    // The send path, entered once at a time (button, F8).
    void runSend();

    // True until the port's start-up steps have run (they follow the first paint).
    bool isStarting() const { return !session_.Started(); }

  signals:
    // Emitted once the window has been painted for the first time, before the
    // port's steps: what is not on screen yet is made then.
    void firstPainted();
    // Emitted when closing has finished; the application quits on it.
    void closed();

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    // What the session reports: the error sound, status panel 0, the port's
    // message box, the link's message ("ERROR EEPROM").
    void errorBeep() override;
    void setPortPanel(const QString& text) override { SetStatusPanel(0, text); }
    void showPortError(const QString& message) override;
    void showLinkMessage(const QString& text) override { setMessage(text, QColor(255, 0, 0)); }

    bool AppMessage(QKeyEvent* key);
    bool FormKeyDown(QObject* receiver, QKeyEvent* key);
    void FormClose();
    // The session's start-up steps and the timer: the constructor's port
    // steps, run right after the first paint.
    void runPortSteps();
    // The port in use is set to the virtual board the editor runs: it is
    // started (before the port opens) or stopped (after the port has moved).
    bool virtualBoardWanted() const;
    void keepVirtualBoard();
    void dropVirtualBoard();
    void connectHandlers();
    // The message line under the editor.
    void setMessage(const QString& text, const QColor& colour);

    const std::unique_ptr<Ui::TMainForm> ui;
    QTimer* const Tm;
    MainFormState state_;
    StatusPanels panels_;
    HelpWindows help_;
    bool closing_ = false; // a close was asked for: waits end
    bool closed_ = false;  // the close has begun (FormClose runs once)
    bool sending_ = false;
    bool replacingText_ = false; // New, Open: not an edit of the user's (a long text takes a while)
    bool readingFile_ = false;   // Open reads its file beside the window
    bool frameCentred_ = false;
    bool painted_ = false;
    QTimer* portStepsFallback_ = nullptr;
    // Every wait for the board ends at once when the window starts closing.
    EventPumpTurns turns_{this, [this] { return closing_; }};
    LinkSession session_;
    std::unique_ptr<BoardProcess> board_;
    CheckedProgram program_;
    std::unique_ptr<ConsolePane> console_;
    // Gutter, colouring, live check, find bar, recovery copy, printing, jump
    // to the error, the editor's shortcuts.
    std::unique_ptr<EditorAssist> assist_;
    // The program on the virtual board inside the editor: its window, keys, band and breakpoints.
    std::unique_ptr<RunDesk> run_;
};

} // namespace veltra
