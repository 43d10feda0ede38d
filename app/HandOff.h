#pragma once
// A file handed from a second start of the editor (`veltra FILE` while one
// runs, as a file manager's "Open with" does) to the running editor, over a
// local socket beside the instance lock in the user's runtime folder. The
// running editor listens once its window is up; the second start sends the
// file's absolute path and waits for the answer: opened, or why not.

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;

namespace veltra {

// The socket beside the instance lock.
QString handOffSocketPath();

struct HandOffAnswer {
    bool opened = false;
    QString why; // when not opened, in Russian
};

// The second start's side: hands `file` (absolute) to the editor listening at
// `socketPath`. A running editor still starting up does not listen yet, so a
// refused connection is tried again until `boundMs` have passed. Blocking:
// the second start has no window to keep alive.
HandOffAnswer handFileOver(const QString& socketPath, const QString& file, int boundMs);

// The running editor's side: each file handed over goes to `open`, which
// returns an empty text when it opened it, else why not.
class HandOffServer : public QObject {
  public:
    explicit HandOffServer(std::function<QString(const QString&)> open, QObject* parent = nullptr);
    // Listens at `socketPath` (a socket left there by an editor that is gone
    // is replaced: the caller holds the instance lock). False when it cannot,
    // `why` then says why.
    bool listen(const QString& socketPath, QString& why);

  private:
    void take();

    std::function<QString(const QString&)> open_;
    QLocalServer* server_;
};

} // namespace veltra
