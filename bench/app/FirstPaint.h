#pragma once
// Start-up probes: once the main window has been painted for the first time,
// print one line "painted rss_kb=N" on standard output; a probe may report
// later moments the same way ("port-ok", "polled"). The driver measures the
// time from starting the process to each line.

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <functional>

namespace veltra::bench {

inline long residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

inline void report(const char* moment) {
    std::printf("%s rss_kb=%ld\n", moment, residentKb());
    std::fflush(stdout);
}

// Watches every event of the application for the first paint of a widget in
// the window `isMain` accepts; the rest of that frame is painted in the same
// pass, so the report goes out on the next turn of the loop.
class FirstPaint : public QObject {
  public:
    FirstPaint(std::function<bool(QWidget*)> isMain, std::function<void(QWidget*)> finish)
        : isMain_(std::move(isMain)), finish_(std::move(finish)) {
        qApp->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (done_ || event->type() != QEvent::Paint) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || !isMain_(widget->window())) return false;
        done_ = true;
        QWidget* window = widget->window();
        QTimer::singleShot(0, qApp, [this, window] {
            report("painted");
            finish_(window);
        });
        return false;
    }

  private:
    std::function<bool(QWidget*)> isMain_;
    std::function<void(QWidget*)> finish_;
    bool done_ = false;
};

} // namespace veltra::bench
