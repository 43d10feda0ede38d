#pragma once
// The bar at the foot of the program editor for finding (Ctrl+F), replacing
// (Ctrl+H) and going to a line (Ctrl+G). It is not modal: the text stays
// editable while it is open, Esc or its close button closes it, and the
// caret goes back to the text. Replacing all occurrences is one step on the
// undo stack.

#include <QFrame>

class QCheckBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QWidget;

namespace veltra {

class FittedLabel;
class ProgramEdit;

class FindBar : public QFrame {
    Q_OBJECT

  public:
    enum class Mode { Find, Replace, GoToLine };

    explicit FindBar(ProgramEdit& edit);

    // Opens the bar (or switches it) to `mode`, its first field focused; the
    // text selected in the editor becomes what is looked for.
    void open(Mode mode);
    void close();
    Mode mode() const { return mode_; }

    // Selects the next occurrence after the caret (before it, backwards),
    // going round the text's end; false when there is none.
    bool findNext(bool backwards = false);
    // Replaces the selected occurrence and finds the next.
    void replaceOne();
    // Replaces every occurrence; the number replaced.
    int replaceAll();
    // Puts the caret at the start of the line in the line field.
    void goToLine();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* row(QWidget* parent);
    bool matchesSelection() const;
    void say(const QString& text, bool failure);
    void placeNote();

    ProgramEdit& edit_;
    Mode mode_ = Mode::Find;
    QWidget* findRow_;
    QWidget* replaceRow_;
    QWidget* lineRow_;
    QLineEdit* findText_;
    QLineEdit* replaceText_;
    QCheckBox* matchCase_;
    QSpinBox* lineNumber_;
    FittedLabel* note_;
};

} // namespace veltra
