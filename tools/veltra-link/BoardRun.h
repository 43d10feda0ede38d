#pragma once
// One board's run: its own thread, its own link session (port, worker, link
// state, reconnect), the job (upload, console lines or the health watch),
// then the session's shutdown, which restores the line settings and
// releases the port's lock however the job ended.
//
// A link session is made for one thread that pumps events: the worker's
// synchronised steps run on the thread the session lives on, inside its
// waits. Each board gets a thread of its own, so boards wait side by side:
// ten uploads take the time of one. Every wait is a turn of the session's
// EventPumpTurns, which end at once when `stop` is set (Ctrl+C).

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>

#include "compiler/ProgramImage.h"
#include "link/LinkHealth.h"
#include "tools/veltra-link/BoardTarget.h"
#include "tools/veltra-link/LinkOptions.h"

namespace veltra {
class ConsoleHistory;
class WaitTurns;
} // namespace veltra

namespace veltra::linktool {

// Console lines for one board, from the command line or from standard input
// as they come; closed when there will be no more.
class CommandFeed {
  public:
    void Push(const QString& line);
    void Close();
    // The next line; nothing once the feed is closed and empty, or when the
    // turns were aborted. Waits in turns, so the link keeps polling meanwhile.
    std::optional<QString> Next(WaitTurns& turns);

  private:
    std::mutex mutex_;
    std::deque<QString> lines_;
    bool closed_ = false;
};

struct BoardResult {
    int exitCode = kExitOk;
    QString outcome;           // the editor's own text for how it ended
    std::optional<int> status; // the status byte of the board's last judged answer
    QStringList lines;         // the upload's log, or the console's lines
    QStringList portError;     // the port's message box, line by line, when it could not be opened
    double openMs = 0, runMs = 0, totalMs = 0;
    double uploadMs = 0; // the upload's two steps alone, once the link was alive
    HealthFigures health;
};

// What a run tells as it goes, on its own thread: a line to print, a
// console line handled, a health report of the watch.
struct BoardEvents {
    std::function<void(const QString& line)> line;
    std::function<void()> lineDone;
    std::function<void(const HealthFigures&, const QString& panelText)> watch;
};

struct BoardJob {
    Command command = Command::Upload;
    ProgramImage program;              // upload
    CommandFeed* feed = nullptr;       // console
    bool echo = false;                 // console: print each command before its outcome
    bool keepGoing = false;            // console: a failed command does not end the run (the prompt)
    ConsoleHistory* history = nullptr; // console: lines sent go here
    bool watch = false;                // status
};

class BoardRun : public QThread {
  public:
    BoardRun(BoardTarget target, BoardJob job, BoardEvents events, const std::atomic<bool>& stop);
    const BoardTarget& target() const { return target_; }
    // Valid once the thread has finished.
    const BoardResult& result() const { return result_; }

  protected:
    void run() override;

  private:
    class Session;
    void upload(Session& s);
    void console(Session& s);
    void status(Session& s);

    BoardTarget target_;
    BoardJob job_;
    BoardEvents events_;
    const std::atomic<bool>& stop_;
    BoardResult result_;
};

} // namespace veltra::linktool
