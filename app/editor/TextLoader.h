#pragma once
// Puts a whole text in place of an editor's text: New, Open, the file of the
// command line or of a second start, a restored recovery copy.
//
// When the old text and the new one have up to Pace::largeLines lines, the
// new one goes in at once, as one edit on the undo stack, so Ctrl+Z brings
// the previous text back. A longer one (a file may have 16 MiB, a million
// and a half lines, which take seconds to lay out) goes in a slice at a time
// with the event loop served in between, so the window keeps painting and
// its timers and the link go on; keys and clicks wait meanwhile. After
// Pace::progressAfterMs a progress window shows how far it is, with a button
// to cancel, and takes the keys (Esc cancels). The same holds for taking a
// long text out (New over a million lines that were not saved).
//
// Cancelling puts the previous text back exactly as it was; nothing of the
// new text stays, and the caller treats the text as never replaced (file
// name, change state, message line). What does not survive a cancel is the
// undo history of the previous text.
//
// Undo of a long replacement: the previous text stays one Ctrl+Z away when it
// had unsaved changes. When a file holds it, or it is a new program, a long
// text replaced by another (or replacing one) is not kept on the undo stack:
// nothing is lost that a file does not hold, and the memory goes back at
// once (the document is cleared, and the C library gives its free heap back
// to the system).
//
// While a text goes in, busy() is true: the recovery copy and the live check
// wait, since the text is neither the old one nor the new one. Each editor
// view has one loader, made on first use (of()).

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QPlainTextEdit;
class QProgressDialog;

namespace veltra {

class TextLoader : public QObject {
    Q_OBJECT

  public:
    struct Pace {
        int largeLines = 20000;    // more than this goes in a slice at a time
        int linesPerStep = 500;    // lines between two looks at the clock
        int sliceMs = 16;          // work between two turns of the event loop
        int progressAfterMs = 500; // the progress window shows after this long
    };
    // The pace of every loader; tests make it smaller.
    static Pace& pace();

    // The loader of `view`.
    static TextLoader& of(QPlainTextEdit& view);

    // Replaces the whole text of the view by `text`; the caret goes to the
    // start (back where it was after a cancel). `isStored` tells whether the text now in the view (as
    // wholeText() gives it) is what a file holds, or a new program; it is
    // asked only when a long text goes in or out. False when the user
    // cancelled (the previous text is back) or the window was closed
    // meanwhile.
    bool replace(const QString& text, const std::function<bool(const QString&)>& isStored);
    ~TextLoader() override;

    // A long text is going in or out.
    bool busy() const { return busy_; }

  signals:
    // A long replacement is about to begin: the text is still the old one.
    void aboutToReplace();

  private:
    explicit TextLoader(QPlainTextEdit& view);

    enum class Phase { TakeOut, PutIn, PutBack };
    // The steps of a long replacement; false when cancelled or abandoned.
    bool takeOut(bool keepUndo);
    bool putIn(const QString& text, bool keepUndo, Phase phase);
    void putBack(const QString& previous);
    // Clears the document at once, without an undo step, and gives the
    // memory back.
    void clearDocument();
    // One change of the document, joined to the replacement's undo step
    // when it is kept.
    template <typename Change> void edit(bool keepUndo, Change change);
    // Keeps the gutter as wide as `lines` need (0: the lines there are).
    void reserveLines(int lines);
    // After a step: once a slice of work is done, the event loop runs once
    // and the progress shows when it is time. False when the user cancelled
    // or the window went away.
    bool turn(Phase phase, int done, int total);

    QPlainTextEdit& view_;
    bool busy_ = false;
    bool undoStepOpen_ = false; // the replacement's undo step has begun
    bool windowShown_ = false;
    bool abandoned_ = false; // the window was closed meanwhile
    QElapsedTimer clock_;
    qint64 sliceStartMs_ = 0;
    std::unique_ptr<QProgressDialog> progress_;
};

} // namespace veltra
