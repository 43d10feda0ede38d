#pragma once
// What a window does only once it is on screen: run right after its first
// paint, queued, so that the painted frame is shown first. A window that is
// never painted (started minimised) still gets its steps, `latestMs` after
// it was made; its first paint, whenever it comes, is announced all the same.

#include <QObject>
#include <QTimer>

#include <functional>

class QWidget;

namespace veltra {

class AfterFirstPaint : public QObject {
  public:
    // Watches `window` (and is its child). After its first paint, `painted`
    // then `steps`; `steps` alone when no paint has come within `latestMs`.
    // The steps must make a second run do nothing.
    AfterFirstPaint(QWidget& window, int latestMs, std::function<void()> painted,
                    std::function<void()> steps);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget& window_;
    std::function<void()> painted_;
    std::function<void()> steps_;
    QTimer latest_;
};

} // namespace veltra
