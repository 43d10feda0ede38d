#pragma once
// A top-level window's place is the place of its outer frame, and that frame
// is known only once the window manager has framed the window. So a window is
// placed when it is shown (its frame is its inner area then) and once more at
// its first move or resize after the frame is known; after that the user
// moves it.

#include <QObject>

#include <functional>

class QWidget;

namespace veltra {

class PlaceWhenFramed : public QObject {
  public:
    // Watches `window` (and is its child); `place` moves it.
    PlaceWhenFramed(QWidget& window, std::function<void()> place);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget& window_;
    std::function<void()> place_;
    bool framed_ = false;
};

} // namespace veltra
