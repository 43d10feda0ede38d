#pragma once
// The recovery copy of the editor's text: about a second after each change
// the whole text is written, UTF-8, to this editor's own copy in the user's
// state folder, so that a crash, a kill or a closing with unsaved text (which
// asks nothing) loses at most that second; SIGTERM and SIGHUP close the
// window, which writes it at once. When the text equals what a file holds
// (after an open or a save) or a new program, no copy is needed and the file
// is removed.
//
// Several editors may share the state folder (two sessions, a remote login:
// their runtime folders and so their instance locks differ). Each running
// editor owns "recovery-ID.txt" and holds "recovery-ID.lock" while it lives,
// from its offer at start or its first copy on.
// At start, the copies whose lock no running process holds are the leftovers
// of editors that are gone: each is offered once, newest first, until one is
// restored. A declined copy is kept aside as recovery-declined.txt (replacing
// an older one) rather than destroyed; one that cannot be moved (a folder
// that takes no files) is remembered in the cache folder, so that it is not
// offered again. A folder that takes no files also means no copy is kept:
// that is said once at start.

#include <QLockFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <vector>

class QPlainTextEdit;
class QWidget;

namespace veltra {

class RecoveryCopy : public QObject {
    Q_OBJECT

  public:
    static constexpr int kDelayMs = 1000; // after the last change

    // This editor's copy in `folder`, which is made if needed.
    RecoveryCopy(QPlainTextEdit& edit, const QString& folder);
    ~RecoveryCopy() override;

    // This editor's copy.
    QString path() const;
    QString declinedPath() const;
    // Whether copies are kept: false when the folder takes no files. The
    // first call takes this editor's lock there.
    bool kept();

    // The editor's text is now what a file holds, or a new program.
    void textStored();
    // Whether `text` (the editor's whole text, as wholeText() gives it) is
    // what the last of these held.
    bool isStored(const QString& text) const;
    // Writes or removes the copy at once, as the text requires (closing).
    void flush();
    // Offers the leftovers of editors that are gone, one question each, until
    // one is restored; restoring replaces the text as an edit (undoable, and
    // a change the check must see). True when one was restored. When copies
    // are not kept, the first question says so.
    bool offer(QWidget* parent);
    // That copies are not kept, when no question has said it yet; said once.
    // Or that a restored text is in no copy of this editor yet (its leftover
    // then stays until one holds it); said once.
    QString unsaidWarning();

  private:
    struct Leftover {
        QString copy;
        QString lock;
    };
    std::vector<Leftover> leftovers() const;
    // One leftover offered: its outcome.
    enum class Offered { Skipped, Declined, Restored };
    Offered offerOne(const Leftover& leftover, QWidget* parent);
    // True when the text needs no copy or this editor's copy holds it.
    bool sync();
    // No copy is needed (a file holds the text): this editor's goes, and a
    // leftover it was restored from.
    void dropCopy();
    void dropRestoredLeftover();
    // What the question appends while nobody has been told that copies are not kept.
    QString warningOnce();

    QPlainTextEdit& edit_;
    QString folder_;
    QString id_;
    QLockFile lock_;
    bool folderMade_ = false;
    QString stored_;         // the text that needs no copy
    QString written_;        // what the copy file holds; null when there is none
    QString restoredFrom_;   // the leftover the text was restored from, while it is the only copy
    QString failure_;        // why the last write of the copy failed
    QString restoreUnsaved_; // for the message line: the restored text is in no copy of this editor
    bool warned_ = false;
    bool offSaid_ = false;
    QTimer timer_;
};

} // namespace veltra
