#pragma once
// The strip of line numbers at the left of the program editor: the caret's
// line stands out, and a line the live check found wrong carries a red mark
// whose tooltip is the message the check would show for it. While a program
// runs on the virtual board, its running line has a band here and in the
// text, and breakpoints are square marks that a click sets or clears.

#include <QString>
#include <QWidget>
#include <map>
#include <set>

namespace veltra {

class ProgramEdit;

class LineGutter : public QWidget {
    Q_OBJECT

  public:
    explicit LineGutter(ProgramEdit& edit);

    // Wide enough for the numbers of `lineCount` lines, three digits at least
    // so that it does not widen while a short program grows.
    int widthFor(int lineCount) const;

    // Line (from 1) -> the text its mark shows; replaces the marks.
    void setMarks(std::map<int, QString> marks);
    const std::map<int, QString>& marks() const { return marks_; }
    // The first marked line, 0 when none.
    int firstMarkedLine() const { return marks_.empty() ? 0 : marks_.begin()->first; }
    // The line shown at `y` (gutter coordinates), 0 below the last one.
    int lineAt(int y) const;

    // The running line's band (0: none) and the breakpoints' marks.
    void setRunLine(int line);
    int runLine() const { return runLine_; }
    void setBreakpoints(std::set<int> lines);
    const std::set<int>& breakpoints() const { return breakpoints_; }

  signals:
    // A left click on a line's number or mark.
    void lineClicked(int line);

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    ProgramEdit& edit_;
    std::map<int, QString> marks_;
    std::set<int> breakpoints_;
    int runLine_ = 0;
};

} // namespace veltra
