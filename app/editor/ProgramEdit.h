#pragma once
// The program editor: a plain-text view whose left edge holds the line
// gutter and whose foot holds the find or go-to bar while one is open. Both
// sit inside the view's own rectangle (viewport margins), so the window keeps
// its layout and the view its place and size.

#include <QPlainTextEdit>
#include <QPointer>
#include <vector>

namespace veltra {

class LineGutter;

// A line of the text as it stands on the screen.
struct ShownLine {
    int number; // counted from 1
    int top;    // in viewport coordinates
    int height;
};

class ProgramEdit : public QPlainTextEdit {
    Q_OBJECT

  public:
    explicit ProgramEdit(QWidget* parent = nullptr);

    LineGutter& gutter() const { return *gutter_; }

    // The lines the viewport shows now, top to bottom.
    std::vector<ShownLine> shownLines() const;

    // Shows `bar` (a child of this view) under the text; nullptr hides it.
    void setFootBar(QWidget* bar);

    // Keeps the gutter wide enough for `lines` lines (0: for the lines there
    // are) while a long text goes in or out. A change of the gutter's width
    // narrows or widens the text's room, which lays out every line of the
    // text anew; done while the text is short, it costs nothing.
    void reserveLines(int lines);

  signals:
    // The view's colours changed (the settings dialog's background and text).
    void coloursChanged();
    // The part `area` of the viewport is about to be painted.
    void aboutToPaint(const QRect& area);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void layOutMargins();

    LineGutter* const gutter_;
    QPointer<QWidget> footBar_;
    int reservedLines_ = 0;
};

} // namespace veltra
