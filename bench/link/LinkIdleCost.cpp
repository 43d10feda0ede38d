// Measures an active link with nothing to do: the editor's side (GUI thread in
// its event loop, the port worker) against veltra-board on a pseudo-terminal.
// Prints the poll rate and this process's CPU use over the measured time.
//
//   link-idle-cost [SECONDS]     (default 10; veltra-board is looked up beside this program)

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <sys/resource.h>

#include "link/ComPort.h"
#include "link/LinkProtocol.h"
#include "link/ProtocolClient.h"
#include "link/TCOMport.h"

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void runEventLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;

    QTemporaryDir dir;
    const QString linkPath = dir.filePath(QStringLiteral("board"));
    QProcess board;
    board.setProgram(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("veltra-board")));
    board.setArguments({QStringLiteral("--link"), linkPath});
    board.setStandardErrorFile(QProcess::nullDevice());
    board.start();
    if (!board.waitForStarted(5000) || !board.waitForReadyRead(5000)) {
        std::fprintf(stderr, "cannot start veltra-board\n");
        return 1;
    }

    veltra::LinkProtocol link;
    veltra::ProtocolClient client(link);
    veltra::PortMap ports;
    ports.com1 = QFile::encodeName(linkPath);
    int status = 0;
    {
        veltra::PlainTurns turns;
        veltra::ComPort port(&client, ports, turns);
        if (!port.Open(QStringLiteral("COM1"))) {
            std::fprintf(stderr, "%s\n", port.OpenFailureMessage().toLocal8Bit().constData());
            return 1;
        }
        port.SetRun(true);
        runEventLoopFor(1000); // settle: link alive, priorities set

        const unsigned long cycles0 = port.worker().ActiveCycles();
        const int io0 = link.ioCount();
        const double cpu0 = cpuSeconds();
        QElapsedTimer wall;
        wall.start();
        runEventLoopFor(seconds * 1000);
        const double elapsed = wall.elapsed() / 1000.0;
        const double cpu = cpuSeconds() - cpu0;
        const double cycles = static_cast<double>(port.worker().ActiveCycles() - cycles0);

        std::printf("measured %.2f s of an idle active link\n", elapsed);
        std::printf("poll rate: %.2f cycles/s, %.2f answers/s\n", cycles / elapsed,
                    (link.ioCount() - io0) / elapsed);
        std::printf("CPU: %.3f s in %.2f s = %.2f %% of one core\n", cpu, elapsed, 100.0 * cpu / elapsed);
        status = link.LinkAlive() ? 0 : 2;
    }
    board.terminate();
    board.waitForFinished(5000);
    return status;
}
