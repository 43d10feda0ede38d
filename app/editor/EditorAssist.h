#pragma once
// What the program editor adds around the main window's editor: the
// colouring, the live check with its gutter marks, the find and go-to bar,
// the recovery copy, printing, the jump to the error line (F4 or a click on
// the message line) and the editor's shortcuts (Ctrl+N, O, S, P act as the
// buttons; Ctrl+F, H, G open the bar). The shortcuts belong to the editor
// and its bar, so they act in the editor view only, as the buttons do.
//
// Everything here runs on the GUI thread, and none of it writes the message
// line, the session's program or the window's change detection.

#include <QObject>
#include <QString>

class QAbstractButton;
class QLabel;
class QShortcut;
class QWidget;

namespace veltra {

class FindBar;
class LiveCheck;
class ProgramEdit;
class ProgramHighlighter;
class RecoveryCopy;

class EditorAssist : public QObject {
    Q_OBJECT

  public:
    // The buttons the shortcuts press.
    struct Buttons {
        QAbstractButton* newProgram;
        QAbstractButton* open;
        QAbstractButton* save;
        QAbstractButton* print;
    };

    // `message` is the line under the editor that a click jumps from; the
    // recovery copy lives in `stateFolder`.
    EditorAssist(ProgramEdit& edit, QLabel& message, const Buttons& buttons, const QString& stateFolder);
    ~EditorAssist() override;

    // Whether `text` (the editor's whole text) is what the last textStored
    // stood for: a file holds it, or it is a new program.
    bool isStored(const QString& text) const;
    // New, open or save: the text is now what `filePath` holds (empty: a new
    // program), which printing names and the recovery copy needs no longer.
    void textStored(const QString& filePath);
    // The main window's check ended: the failing line, 0 when it passed.
    void checked(int failingLine);

    // Where the jump goes: the last failed check's line while the text is
    // still as checked, else the first line the live check marked; 0 none.
    int errorLine() const;
    void jumpToError();

    void print(QWidget* parent);
    bool offerRecovery(QWidget* parent);
    // The window closes: the recovery copy is brought up to date now.
    void closing();

    FindBar& findBar() const { return *findBar_; }
    RecoveryCopy& recovery() const { return *recovery_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QShortcut* editorShortcut(int keys);

    ProgramEdit& edit_;
    QLabel& message_;
    ProgramHighlighter* const highlighter_;
    LiveCheck* const liveCheck_;
    FindBar* const findBar_;
    RecoveryCopy* const recovery_;
    QString filePath_;
    int failedCheckLine_ = 0;
};

} // namespace veltra
