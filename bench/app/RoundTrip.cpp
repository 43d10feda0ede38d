// The upload and a console command over a slow link: the real main window
// against the board simulator started with `--delay MS`, for each round trip
// given. Prints, per round trip, how many uploads and commands succeeded and
// how long they took (median), so that the link's limits can be read off.
//
// usage: bench_round_trip PATH-TO-veltra-board RUNS MS...

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextBlock>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/shell/VeltraApplication.h"
#include "app/window/TMainForm.h"
#include "bench/app/PlainDialogs.h"
#include "files/ProgramFolder.h"
#include "tests/support/MainFormPeer.h"

namespace {

using veltra::bench::PlainDialogs;
using veltra::bench::waitUntil;

void press(QWidget* widget, int key, const QString& text = {}) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &up);
}

struct Tally {
    int ok = 0;
    std::vector<double> ms;
    QString failure; // what the last failed one showed
    double median() {
        if (ms.empty()) return 0;
        std::sort(ms.begin(), ms.end());
        return ms[ms.size() / 2];
    }
};

// One simulator with every answer `delayMs` late, one editor, `runs` uploads
// and `runs` console commands.
bool measure(const char* boardPath, int delayMs, int runs) {
    QTemporaryDir folder;
    const QString link = folder.filePath("board");
    QProcess board;
    board.setStandardOutputFile(QProcess::nullDevice());
    board.setStandardErrorFile(QProcess::nullDevice());
    board.start(QString::fromLocal8Bit(boardPath), {"--link", link, "--memory", folder.filePath("board.nv"),
                                                    "--delay", QString::number(delayMs)});
    if (!board.waitForStarted() || !waitUntil([&] { return QFile::exists(link); }, 10000)) {
        std::fprintf(stderr, "the board simulator did not start\n");
        return false;
    }
    QFile ini(folder.filePath("Veltra.ini"));
    if (!ini.open(QIODevice::WriteOnly)) return false;
    ini.write("[PORTS]\nCOM1=" + link.toLocal8Bit() + "\n");
    ini.close();
    veltra::setProgramFolder(folder.path());
    qputenv("XDG_STATE_HOME", QFile::encodeName(folder.path()));

    Tally uploads, commands;
    {
        veltra::TMainForm form;
        form.setProgramText(QStringLiteral("свд_1 = ж,15\nпауза=10\nсвд_1 = выкл\n"));
        if (!waitUntil([&] { return form.session().link().LinkAlive(); }, 10000)) {
            std::fprintf(stderr, "no link to the simulator\n");
            return false;
        }
        auto* stError = form.findChild<QLabel*>(QStringLiteral("stError"));
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer clock;
            clock.start();
            veltra::test::TMainFormPeer(form).runSend(); // F8
            if (stError->text() == QStringLiteral("загрузка программы...ОК")) {
                ++uploads.ok;
                uploads.ms.push_back(clock.nsecsElapsed() / 1e6);
            } else {
                uploads.failure = stError->text();
            }
            waitUntil([] { return false; }, 300);
        }

        auto* console = form.findChild<QPlainTextEdit*>(QStringLiteral("editConsol"));
        auto* edit = form.findChild<QPlainTextEdit*>(QStringLiteral("edit"));
        press(edit, Qt::Key_F10);
        waitUntil([] { return false; }, 300);
        for (int run = 0; run < runs; ++run) {
            for (QChar c : QStringLiteral("реле_1 = вкл"))
                press(console, Qt::Key_unknown, QString(c));
            QElapsedTimer clock;
            clock.start();
            press(console, Qt::Key_Return, QStringLiteral("\r"));
            const int lines = console->document()->blockCount();
            const QString outcome = console->document()->findBlockByNumber(lines - 2).text();
            if (outcome == QStringLiteral(">>выполняю...  OK")) {
                ++commands.ok;
                commands.ms.push_back(clock.nsecsElapsed() / 1e6);
            } else {
                commands.failure = outcome;
            }
            waitUntil([] { return false; }, 300);
        }
        form.close();
    }
    std::printf(
        "round trip %4d ms: uploads %d/%d (median %.0f ms), console commands %d/%d (median %.0f ms)\n",
        delayMs, uploads.ok, runs, uploads.median(), commands.ok, runs, commands.median());
    for (const Tally* tally : {&uploads, &commands}) {
        if (!tally->failure.isEmpty()) std::printf("    failed with \"%s\"\n", qPrintable(tally->failure));
    }
    std::fflush(stdout);
    veltra::setProgramFolder(QString());
    board.terminate();
    board.waitForFinished(5000);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    veltra::VeltraApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s PATH-TO-veltra-board RUNS MS...\n", argv[0]);
        return 64;
    }
    const int runs = std::max(1, atoi(argv[2]));
    PlainDialogs dialogs;
    veltra::setUserDialogs(&dialogs);
    for (int i = 3; i < argc; ++i) {
        if (!measure(argv[1], atoi(argv[i]), runs)) return 1;
    }
    veltra::setUserDialogs(nullptr);
    return 0;
}
