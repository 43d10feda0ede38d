#pragma once
// A label of a fixed size for one line of text that is never cut off unseen:
// a text too wide for it is drawn in a smaller font, down to a least size,
// and when even that is too wide, cut with an ellipsis, the whole text then
// being its tooltip. text() is always the whole text, as set; it is shown as
// plain text (a name in it that looks like markup stays as written).

#include <QLabel>

namespace veltra {

class FittedLabel : public QLabel {
    Q_OBJECT

  public:
    explicit FittedLabel(QWidget* parent = nullptr);

    // The smallest pixel size the text may be drawn in; by default the
    // label's own, so the text is only ever cut.
    void setLeastPixelSize(int pixels);

    // What is drawn: the font, and the text (elided when it is too wide).
    QFont shownFont() const;
    QString shownText() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

  private:
    // The width the text has: the contents less the margins and the indent.
    int room() const;

    int least_ = 0; // 0: the font's own size
};

} // namespace veltra
