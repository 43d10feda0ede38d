#pragma once
// The virtual board the editor runs for the user: veltra-board, found beside
// the editor's executable or else on PATH, with its window left of the
// editor, on a link in the user's runtime folder. The main window starts it
// while the port in use is set to that link and stops it when another device
// is chosen or the editor closes; if the editor dies, the board is told to
// stop too (a parent-death signal), so none is left behind.
//
// Its frame log (standard error) is read as it comes and only its last lines
// kept, for the message when it fails; a pipe left unread would fill and
// stop the board.

#include <QByteArray>
#include <QObject>
#include <QString>

class QProcess;

namespace veltra {

class WaitTurns;

class BoardProcess : public QObject {
  public:
    BoardProcess(WaitTurns& turns, QObject* parent = nullptr);
    ~BoardProcess() override;

    // Starts the board on `link`, its window beside an editor `editorWidth`
    // wide (centred, as the editor stands), and waits (on `turns`, a few seconds at
    // most) until its link is there. Empty when it runs, else why not, in
    // Russian, one line, names escaped.
    QString start(const QString& link, int editorWidth);
    // Stops it (SIGTERM, then SIGKILL if it lingers; the wait pumps events)
    // and removes its link.
    void stop();
    bool running() const;
    // True while start() or stop() waits for the board (the event pump runs
    // meanwhile, and a click could ask for another start or stop).
    bool changing() const { return changing_; }
    qint64 processId() const;

    // veltra-board beside `programDir`, else on PATH; empty when neither.
    static QString findBoardProgram(const QString& programDir);

  private:
    QString failure(const QString& what) const;
    void removeLink();

    WaitTurns& turns_;
    QProcess* process_ = nullptr;
    QString link_;
    bool changing_ = false;
    QByteArray logTail_;
};

} // namespace veltra
