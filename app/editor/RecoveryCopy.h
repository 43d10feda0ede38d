#pragma once
// The recovery copy of the editor's text: about a second after each change
// the whole text is written, UTF-8, atomically, to recovery.txt in the user's
// state folder, so that a crash, a kill or a closing with unsaved text (which
// asks nothing) loses at most that second. When the text equals what a file
// holds (after an open or a save) or a new program, no copy is needed and
// the file is removed. At the next start one question offers a copy that
// differs from the editor's text; a declined copy is kept aside as
// recovery-declined.txt (replacing an older one) rather than destroyed.
//
// The program runs as a single instance, so one copy file is enough.

#include <QObject>
#include <QString>
#include <QTimer>

class QPlainTextEdit;
class QWidget;

namespace veltra {

class RecoveryCopy : public QObject {
    Q_OBJECT

  public:
    static constexpr int kDelayMs = 1000; // after the last change

    // `folder` is created when the first copy is written.
    RecoveryCopy(QPlainTextEdit& edit, const QString& folder);

    QString path() const;
    QString declinedPath() const;

    // The editor's text is now what a file holds, or a new program.
    void textStored();
    // Writes or removes the copy at once, as the text requires (closing).
    void flush();
    // Asks once whether to restore a copy left by an earlier run that
    // differs from the editor's text; restoring replaces the text as an edit
    // (undoable, and a change the check must see). True when restored.
    bool offer(QWidget* parent);

  private:
    void sync();

    QPlainTextEdit& edit_;
    QString folder_;
    QString stored_;  // the text that needs no copy
    QString written_; // what the copy file holds; null when there is none
    bool own_ = false; // the copy file is this run's (written or restored)
    bool warned_ = false;
    QTimer timer_;
};

} // namespace veltra
