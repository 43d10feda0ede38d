// Time from F8 to "загрузка программы...ОК" for a program of 1000 words,
// uploaded by the real main window to the board simulator over a
// pseudo-terminal. Prints each run and the median.
//
// usage: bench_upload_time PATH-TO-veltra-board [RUNS]

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/shell/VeltraApplication.h"
#include "app/window/TMainForm.h"
#include "bench/app/PlainDialogs.h"
#include "files/ProgramFolder.h"
#include "tests/support/MainFormPeer.h"

using veltra::bench::PlainDialogs;
using veltra::bench::waitUntil;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    veltra::VeltraApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PATH-TO-veltra-board [RUNS]\n", argv[0]);
        return 64;
    }
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 5;

    QTemporaryDir folder;
    const QString link = folder.filePath("board");
    QProcess board;
    board.start(QString::fromLocal8Bit(argv[1]), {"--link", link, "--memory", folder.filePath("board.nv")});
    if (!board.waitForStarted() || !waitUntil([&] { return QFile::exists(link); }, 10000)) {
        std::fprintf(stderr, "the board simulator did not start\n");
        return 1;
    }
    QFile ini(folder.filePath("Veltra.ini"));
    if (!ini.open(QIODevice::WriteOnly)) return 1;
    ini.write("[PORTS]\nCOM1=" + link.toLocal8Bit() + "\n");
    ini.close();
    veltra::setProgramFolder(folder.path());
    PlainDialogs dialogs;
    veltra::setUserDialogs(&dialogs);

    veltra::TMainForm form;
    QStringList program;
    for (int i = 0; i < 1000; ++i)
        program << QStringLiteral("свд_%1 = ж,%2").arg(i % 13 + 1).arg(i % 16);
    form.setProgramText(program.join('\n'));
    if (!waitUntil([&] { return form.session().link().LinkAlive(); }, 10000)) {
        std::fprintf(stderr, "no link to the simulator\n");
        return 1;
    }

    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        veltra::test::TMainFormPeer(form).runSend(); // F8
        const double ms = clock.nsecsElapsed() / 1e6;
        const QString result = form.findChild<QLabel*>(QStringLiteral("stError"))->text();
        std::printf("run %d: %.0f ms  %s\n", run + 1, ms, qPrintable(result));
        if (result != QStringLiteral("загрузка программы...ОК")) return 1;
        times.push_back(ms);
        waitUntil([] { return false; }, 300); // polling settles between runs
    }
    std::sort(times.begin(), times.end());
    std::printf("median: %.0f ms over %d runs (1000 words, %d-byte upload frame)\n", times[times.size() / 2],
                runs, 8 + 2 * 1000 + 2);
    form.close();
    veltra::setUserDialogs(nullptr);
    board.terminate();
    board.waitForFinished(5000);
    return 0;
}
