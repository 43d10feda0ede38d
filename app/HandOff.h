#pragma once
// A file handed from a second start of the editor (`veltra FILE` while one
// runs, as a file manager's "Open with" does) to the running editor, over a
// local socket beside the instance lock in the user's runtime folder. The
// running editor listens once its window is up; the second start sends the
// file's absolute path and waits for the answer: opened, or why not.

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class QLocalSocket;
class QSocketNotifier;

namespace veltra {

// The socket beside the instance lock; empty without a runtime folder.
QString handOffSocketPath();

struct HandOffAnswer {
    bool opened = false;
    QString why;             // when not opened, in Russian
    bool shownThere = false; // the running editor has told its user itself
};

// The second start's side: hands `file` (absolute) to the editor listening at
// `socketPath`. A running editor still starting up does not listen yet, so a
// refused connection is tried again until `boundMs` have passed. Blocking:
// the second start has no window to keep alive.
HandOffAnswer handFileOver(const QString& socketPath, const QString& file, int boundMs);

// The running editor's side: each file handed over goes to `open`, which
// answers opened or why not.
//
// Anyone of the user's own processes may connect, so a flood of connections
// must not cost the editor its descriptors, nor the socket: at most
// kMaxConnections are held at once (the rest wait in the socket's queue), each
// is dropped when its request has not come within kIdleMs, and an accept that
// fails (no descriptor left) is tried again a moment later. Qt's QLocalServer
// closes itself, and removes the socket, at the first failed accept.
class HandOffServer : public QObject {
  public:
    static constexpr int kMaxConnections = 8;
    static constexpr int kIdleMs = 5000;

    explicit HandOffServer(std::function<HandOffAnswer(const QString&)> open, QObject* parent = nullptr);
    ~HandOffServer() override;
    // Listens at `socketPath` (a socket left there by an editor that is gone
    // is replaced: the caller holds the instance lock). False when it cannot,
    // `why` then says why.
    bool listen(const QString& socketPath, QString& why);

  private:
    void acceptWaiting();
    void serve(QLocalSocket* socket);
    void released();

    std::function<HandOffAnswer(const QString&)> open_;
    QString path_;
    int listener_ = -1;
    QSocketNotifier* waiting_ = nullptr;
    QTimer retry_;
    int held_ = 0;
};

} // namespace veltra
