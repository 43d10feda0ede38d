#pragma once
// The program's files as the window's file buttons use them: New, Open (from
// its dialog, from the command line, from a second start), Save and Print,
// with their dialogs, the file read beside the window, the code-page check
// before a save, and what the message line and the save and print buttons
// show afterwards. The window's handlers call them in the editor view only.
//
// A text put in the editor (New, Open) is not an edit of the user's: the
// change detection takes its length as the known one, the run's lines and
// the recovery copy start from it, and the text it replaced, saved or not,
// stays one Ctrl+Z away.

#include <QString>

class QAbstractButton;
class QLabel;
class QPlainTextEdit;
class QWidget;

namespace veltra {

class ChangeDetection;
class CheckedProgram;
class EditorAssist;
class RunDesk;
class WaitTurns;

class ProgramFiles {
  public:
    // The window's parts the files act on.
    struct Parts {
        QWidget& window; // the dialogs' owner
        QPlainTextEdit& edit;
        QLabel& message; // the message line
        QAbstractButton& save;
        QAbstractButton& print;
    };
    struct Helpers {
        ChangeDetection& changes;
        EditorAssist& assist;
        RunDesk& run;
        CheckedProgram& program; // invalidated by every new text
        WaitTurns& turns;        // aborted: the window closes, a file being read is let go
    };
    // `startPath` is both the last saved and the last opened file at first.
    ProgramFiles(Parts parts, Helpers helpers, const QString& startPath);

    void newProgram();
    // The dialog, then openFile.
    void open();
    // Open's steps for a file already chosen. The file is read before the
    // editor is touched: a file that cannot be read is an AppError, and the
    // text stays as it was. Nothing while another file is being read. False
    // when the text did not go in (another file being read, a cancelled long
    // text, the window closing).
    bool openFile(const QString& path);
    // A file another start hands over, opened as openFile does: the message
    // line says so. Empty when it was opened, else why not (in Russian, for
    // the other start to show).
    QString openHanded(const QString& path, bool* shownHere);
    void save();
    void print();

    // `text` in the editor as an unchanged program from `filePath` (empty
    // for a new program). False when the user cancelled a long text: the
    // previous text stands, and nothing else changed.
    bool setText(const QString& text, const QString& filePath);

    const QString& savePath() const { return savePath_; }
    const QString& openPath() const { return openPath_; }
    // The text came from a UTF-8 file and has not been saved since.
    bool openedAsUtf8() const { return openedAsUtf8_; }
    // A file is being read beside the window, which goes on meanwhile.
    bool reading() const { return reading_; }

  private:
    // The message line emptied, its colour kept.
    void clearMessage();

    Parts parts_;
    Helpers helpers_;
    QString savePath_;
    QString openPath_;
    bool openedAsUtf8_ = false;
    bool reading_ = false;
};

} // namespace veltra
