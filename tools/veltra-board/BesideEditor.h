#pragma once
// Keeps the board's window beside the centred editor (--beside): placed when
// it is shown, and once more when the window manager has framed it, since
// only then are the frames' sizes known. After that the user moves it.

#include <QObject>

#include <ostream>

class QWidget;

namespace veltra::board_sim {

class BesideEditor : public QObject {
  public:
    // Watches `window` (and is its child); `log` gets one line when the
    // screen has no room for the window beside the editor.
    BesideEditor(QWidget& window, int editorWidth, std::ostream& log);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void place();

    QWidget& window_;
    int editorWidth_;
    std::ostream& log_;
    bool framed_ = false;
    bool saidNoRoom_ = false;
};

} // namespace veltra::board_sim
