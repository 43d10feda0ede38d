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

  signals:
    // The view's colours changed (the settings dialog's background and text).
    void coloursChanged();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void layOutMargins();

    LineGutter* const gutter_;
    QPointer<QWidget> footBar_;
};

} // namespace veltra
