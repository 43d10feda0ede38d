// The yardstick: the smallest Qt Widgets editor window, a QMainWindow holding
// a QPlainTextEdit, started the same way and ended at its first paint.

#include <QMainWindow>
#include <QPlainTextEdit>
#include <cstdlib>

#include "bench/app/FirstPaint.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new QPlainTextEdit(&window));
    window.resize(642, 607);
    veltra::bench::FirstPaint probe([&](QWidget* w) { return w == &window; },
                                    [](QWidget*) { std::_Exit(0); }); // no shutdown in the timing
    window.show();
    return app.exec();
}
