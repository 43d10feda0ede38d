#pragma once
// The console lines the user sent, for Up and Down: this run's and earlier
// runs', the newest last. The file holds them as UTF-8, one line each, and
// is replaced whole after every new entry, so an interrupted write leaves
// the old list. Editors running side by side share the file: a new entry is
// added to what the file holds then, under a lock, so none erases another's.
// Browsing starts from the text being typed, which Escape (or Down past the
// newest entry) brings back.
//
// The editor keeps its history in the background: the file is read and
// written on a thread of the history's own, in the order the calls came, so
// that a slow disk or another editor holding the lock never stalls the
// window. Until the file is read, Up and Down walk this run's lines; the
// file's lines come before them as soon as they are there. A command-line
// program keeps it in the foreground, where waiting is harmless.
//
// Threads. A history belongs to one thread, its owner: the thread that made
// it, until the owner hands it to another with MoveToThread before that one
// uses it (veltra-link reads the entries for its prompt on the main thread,
// then gives the history to the board's thread that sends the lines). Every
// call is the owner's, which a debug build asserts; it is destroyed by its
// owner or once the owner has finished. The file thread of the background
// work touches only the path, fixed at construction, and the failure flag,
// which is atomic; the entries, the browsing and the read's result are the
// owner's alone.

#include <QFuture>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QThreadPool>
#include <atomic>
#include <optional>

namespace veltra {

class ConsoleHistory {
  public:
    static constexpr int kLimit = 200;

    enum class FileWork { Foreground, Background };

    // Reads `path` if it exists; an empty path keeps the entries for this
    // run only. A file that cannot be read (or is no regular file) is an
    // empty history.
    explicit ConsoleHistory(QString path, FileWork work = FileWork::Foreground);
    // In the background, waits until every line sent is written.
    ~ConsoleHistory();
    ConsoleHistory(const ConsoleHistory&) = delete;
    ConsoleHistory& operator=(const ConsoleHistory&) = delete;

    // Hands the history to `thread`, which uses it from now on.
    void MoveToThread(QThread* thread);

    // A line that was sent; the same line as the newest entry is not stored
    // twice. Ends browsing. A file that cannot be written is said on
    // standard error (once while it keeps failing); the entries stay for
    // this run.
    void Add(const QString& line);
    const QStringList& Entries() const;

    // Up: the entry before the one shown, or nothing at the oldest. The
    // first step remembers `typed`.
    std::optional<QString> Older(const QString& typed);
    // Down: the entry after the one shown; past the newest, the remembered
    // text, and browsing ends. Nothing when not browsing.
    std::optional<QString> Newer();
    // Escape: the remembered text, and browsing ends. Nothing when not browsing.
    std::optional<QString> Restore();

    // The file's form without the file: the entries its bytes hold, the
    // newest last and at most kLimit (`cutAtStart`: the bytes are the file's
    // tail, begun mid-line), and the bytes that hold `entries`.
    static QStringList entriesFromText(const QByteArray& text, bool cutAtStart = false);
    static QByteArray textOfEntries(const QStringList& entries);

  private:
    bool browsing() const { return shown_ < entries_.size(); }
    bool onOwnerThread() const { return QThread::currentThread() == owner_; }
    // Puts the file's lines, once read in the background, before this run's.
    void takeLoaded() const;
    void save(const QString& line);

    QString path_;
    QPointer<QThread> owner_ = QThread::currentThread();
    // Mutable: the file's lines join them when first looked at after the read.
    mutable QStringList entries_;
    mutable qsizetype shown_ = 0; // the entry shown while browsing; entries_.size() when not
    QString typed_;
    bool background_ = false;
    // Written by the one thread that saves.
    std::atomic<bool> saveFailed_ = false;
    // Background only: one thread, so the read comes before every write and
    // the writes keep their order.
    QThreadPool files_;
    mutable QFuture<QStringList> loading_;
};

} // namespace veltra
