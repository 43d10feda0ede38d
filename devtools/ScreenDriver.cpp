#include "devtools/ScreenDriver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace veltra::shots {

namespace {

// A window a shot waits for; any other modal window is unexpected.
bool awaitingModal = false;

} // namespace

bool settle(const std::function<bool()>& ready, int boundMs) {
    QElapsedTimer timer;
    timer.start();
    while (!ready()) {
        if (timer.elapsed() > boundMs) return false;
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    return true;
}

void pause(int ms) {
    settle([] { return false; }, ms);
}

QPixmap screenArea(const QRect& area) {
    return QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
}

QPixmap screenOf(const QWidget& window) {
    return screenArea(window.frameGeometry());
}

void type(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void whileModal(const std::function<void()>& open, const std::function<void(QWidget&)>& inside,
                const char* kind) {
    QTimer watch;
    watch.setInterval(50);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || !modal->inherits(kind)) return;
        watch.stop();
        pause(300);
        inside(*modal);
    });
    watch.start();
    awaitingModal = true;
    open();
    awaitingModal = false;
    watch.stop();
}

void closeUnexpectedBoxes(QTimer& timer) {
    timer.setInterval(5000);
    QObject::connect(&timer, &QTimer::timeout, [] {
        QWidget* modal = QApplication::activeModalWidget();
        if (awaitingModal || !modal) return;
        std::fprintf(stderr, "an unexpected window is closed: %s\n", qUtf8Printable(modal->windowTitle()));
        modal->close();
    });
    timer.start();
}

} // namespace veltra::shots
