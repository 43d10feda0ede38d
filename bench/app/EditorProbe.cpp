// The editor's own start (the same entry the program uses: instance lock,
// main window, help windows, settings dialog, message loop). It reports its
// first paint, then "Порт COM1 - ОК" in the status bar, then the first poll the
// board (a pseudo-terminal here) receives, and closes. With --paint-only it
// closes at its first paint, for timing the whole process against the minimal
// window's.

#include <QLabel>
#include <QSocketNotifier>
#include <cstdlib>
#include <unistd.h>

#include "app/Startup.h"
#include "app/shell/VeltraApplication.h"
#include "app/window/TMainForm.h"
#include "bench/app/FirstPaint.h"
#include "bench/app/ProbeSettings.h"

int main(int argc, char** argv) {
    const bool paintOnly = argc > 1 && QByteArray(argv[1]) == "--paint-only";
    veltra::VeltraApplication app(argc, argv);
    veltra::bench::ProbeSettings settings;
    if (!settings.ok()) return 1;

    QTimer portWatch;
    QSocketNotifier board(settings.boardFd(), QSocketNotifier::Read);
    board.setEnabled(false);
    veltra::TMainForm* form = nullptr;
    veltra::bench::FirstPaint probe([](QWidget* w) { return qobject_cast<veltra::TMainForm*>(w) != nullptr; },
                                    [&](QWidget* w) {
                                        form = static_cast<veltra::TMainForm*>(w);
                                        if (paintOnly) std::_Exit(0); // no shutdown in the timing
                                        portWatch.start(2);
                                        board.setEnabled(true);
                                    });
    QObject::connect(&portWatch, &QTimer::timeout, [&] {
        if (form->findChild<QLabel*>(QStringLiteral("stBarPanel0"))->text() !=
            QStringLiteral("Порт COM1 - ОК"))
            return;
        portWatch.stop();
        veltra::bench::report("port-ok");
    });
    QByteArray heard;
    QObject::connect(&board, &QSocketNotifier::activated, [&] {
        char bytes[256];
        const ssize_t n = ::read(settings.boardFd(), bytes, sizeof bytes);
        if (n > 0) heard.append(bytes, n);
        if (!heard.contains(QByteArray("\x77\x70\x61\x10", 4))) return;
        board.setEnabled(false);
        veltra::bench::report("polled");
        form->close();
    });
    return veltra::runVeltra();
}
