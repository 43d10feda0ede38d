#pragma once
// The run of the editor's program on the virtual board, from the editor's
// side: the keys, the window "Виртуальная плата" beside the editor, the
// running line's band in the gutter and the text, and the breakpoints.
//
// Keys, in the editor and in the run's window:
//   F5 run (checked as for an upload) or continue, Shift+F5 stop, F6 pause,
//   F11 step one word (stopped: starts before the first word), F7 run to the
//   caret's line, F9 set or clear a breakpoint on the caret's line.
//
// Breakpoints are cursors in the document, so they move with their lines
// while the text is edited, and last for the session (New and Open clear
// them: their lines are gone). A run keeps a cursor on each line of the text
// it started from: the band and the breakpoints find the lines of the
// running words through them after an edit, while the old words run on
// until the next start.

#include <QObject>
#include <QTextCursor>

#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "compiler/ProgramImage.h"

class QElapsedTimer;
class QTimer;

namespace veltra {

class ProgramEdit;
class RunSession;
class RunWindow;

class RunDesk : public QObject {
    Q_OBJECT

  public:
    // Checks the editor's text as an upload does; the compiled image, or
    // nullptr when the check failed (it has said why).
    using Check = std::function<const ProgramImage*()>;
    // At most this often the window and the band show the run.
    static constexpr int kShowIntervalMs = 33;

    RunDesk(ProgramEdit& edit, Check check, QWidget& mainWindow);
    ~RunDesk() override;

    void runOrContinue();
    void stop();
    void pause();
    void step();
    void runToCaret();
    void toggleBreakpoint(int line);
    // Another text took the editor's place (New, Open): its lines are not the
    // ones the breakpoints and the run's lines were on.
    void textReplaced();

    // The breakpoints' lines in the text as it is now.
    std::set<int> breakpointLines() const;
    // The editor's line the band marks, 0 for none.
    int bandLine() const { return bandLine_; }
    bool programChanged() const { return programChanged_; }
    RunSession& session() const { return *session_; }
    // Made when first asked for: most runs of the editor never show it, and
    // its board would cost the editor's start.
    RunWindow& window();
    // Shows the run now, not at the next moment the window repaints.
    void showNow();
    void closeWindow();

  private:
    bool start(bool paused);
    void addKeys(QWidget& scope, Qt::ShortcutContext context);
    void textEdited();
    void breakpointsMoved();
    void scheduleShow();
    int caretLine() const;
    // The line a line of the run's text has in the editor now, 0 when it is gone.
    int editorLineOf(int runLine) const;

    ProgramEdit& edit_;
    Check check_;
    QWidget& mainWindow_;
    std::unique_ptr<RunSession> session_;
    std::unique_ptr<RunWindow> window_;
    std::vector<QTextCursor> breakpoints_;
    std::vector<QTextCursor> runLines_; // one per line of the text the run started from
    int startRevision_ = -1;
    bool programChanged_ = false;
    int bandLine_ = 0;
    QTimer* showTimer_;
    std::unique_ptr<QElapsedTimer> shown_;
};

} // namespace veltra
