#pragma once
// The main window: the program editor and the control console in one frame,
// the message line under them, the buttons, the status bar, the 100 ms timer
// and the function keys. It owns the run state for the whole run.
//
// - btSendClick (MainSend.cpp) checks and uploads; F8 and the btSend button
//   reach it through runSend(), which never lets the send path run twice at once.
// - editConsolKeyPress (MainConsole.cpp) receives every character typed into
//   editConsol; Enter goes to the console procedures.
// - isClosing() turns true when closing starts: every wait for the board
//   (the window's own turns_) ends then.
// - link is the link state (request flags, replies, counters), comPort the
//   one port; programImage is what checkProgram leaves for the upload.

#include <QColor>
#include <QMainWindow>
#include <QPointer>
#include <cstdint>
#include <memory>

#include "compiler/ProgramImage.h"
#include "link/ComPort.h"
#include "link/LinkClient.h"
#include "link/LinkProtocol.h"
#include "link/LinkRequest.h"
#include "link/PortReconnect.h"
#include "link/SelectPort.h"

class QKeyEvent;
class QLabel;
class QTimer;

namespace Ui {
class TMainForm;
}

namespace veltra {

class Console;

class TMainForm : public QMainWindow, public LinkClient, public PortReporter {
    Q_OBJECT

  public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // The controls, by their names (ui->edit, ui->stError, ui->btSend, ...).
    Ui::TMainForm* const ui;
    QTimer* const Tm;

    // Run state.
    bool consoleMode = false;
    QString savePath;
    QString openPath;
    std::int32_t textLength = 2; // one empty line and its CR LF
    std::int32_t lastTextLength = 2;
    std::int32_t tickCount = 0;
    ProgramImage programImage;
    LinkProtocol link;
    std::unique_ptr<ComPort> comPort; // from the constructor until the window closes

    // The worker's steps, on the GUI thread.
    void OnFrameReceived(ComPort& port) override;
    void OnLinkCycle(ComPort& port) override;
    void OnLinkStopped() override;
    void OnDeviceLost(ComPort& port) override;

    // SelectPort's reports: the error sound, status panel 0, the message box.
    void errorBeep() override;
    void setPortPanel(const QString& text) override;
    void showPortError(const QString& message) override;

    // The process-wide help windows the view switch and btHelp act on.
    void setHelpWindows(QWidget* helpForm, QWidget* helpConsolForm);

    // Status bar panel 0 (port), 1 (link) or 2 (clock).
    void SetStatusPanel(int index, const QString& text);
    QString statusPanelText(int index) const;

    // The message line under the editor.
    void setMessage(const QString& text, const QColor& colour);

    void ApplyEditorColours();
    bool isClosing() const { return closing_; }
    // True while an upload or a console line waits for the board, or the port
    // is being switched: the send path, Enter in the console and the view
    // switch then do nothing.
    bool busy() const;

    // Checks and compiles the editor's text into programImage; 0 when it
    // compiled, else the failing status (always 1 in the console view). The
    // result is shown in the message line.
    int checkProgram();

    // Handlers.
    void btSendClick();
    void btNewClick();
    void btLoadFromFileClick();
    void btSaveToFileClick();
    void btPrintFileClick();
    void btHelpClick();
    void btParamClick();
    void editConsolKeyPress(QChar& key);
    void TmTimer();

    // F10: editor view <-> console view.
    void switchView();
    // The send path, entered once at a time (button, F8).
    void runSend();

  signals:
    // Emitted when closing has finished; the application quits on it.
    void closed();

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    bool AppMessage(QKeyEvent* key);
    // A modal window of the program other than the upload window is open: the
    // function keys must not act behind it.
    static bool dialogInFront();
    // SelectPort with the reports of this window; nothing else may start on
    // the link while its waits process events.
    void selectPort(const QString& portName);
    // The port is open, running, and the board answers.
    bool linkWorking() const;
    bool FormKeyDown(QObject* receiver, QKeyEvent* key);
    bool routeConsoleKey(QKeyEvent* key);
    void FormClose();
    void buildLook();
    void centreFrame();
    void connectHandlers();
    void setStatusLine(const QString& text);

    QLabel* panels_[3] = {};
    QPointer<QWidget> helpForm_;
    QPointer<QWidget> helpConsolForm_;
    bool closing_ = false;
    bool sending_ = false;
    bool switchingPort_ = false;
    bool frameCentred_ = false;
    // What the running upload sends: the words of its own check, whatever the
    // change detection does to programImage during the upload's waits.
    ProgramImage uploadImage_;
    std::unique_ptr<PortReconnect> reconnect_;
    // Every wait for the board ends at once when the window starts closing.
    EventPumpTurns turns_{this, [this] { return closing_; }};
    std::unique_ptr<Console> console_;
};

} // namespace veltra
