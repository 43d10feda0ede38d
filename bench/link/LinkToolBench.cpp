// veltra-link as a user runs it, against virtual boards on pseudo-terminals:
//  - the upload of a 1000-word program to one board, and to ten at once
//    (wall time of the whole command, and the upload itself as veltra-link
//    reports it in its JSON, without opening the port);
//  - what `status --watch` costs: its CPU time over ten seconds.
// veltra-board and veltra-link are taken from beside this program.
//
//   link-tool-bench [--benchmark_filter=...]

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kBoards = 10;

QString besideMe(const char* name) {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(name));
}

// Ten virtual boards and a 1000-word program, for the whole run.
struct Rig {
    QTemporaryDir dir;
    std::vector<std::unique_ptr<QProcess>> boards;
    QStringList links;
    QString program;

    bool start() {
        for (int i = 0; i < kBoards; ++i) {
            auto board = std::make_unique<QProcess>();
            const QString link = dir.filePath(QStringLiteral("board%1").arg(i));
            board->setStandardErrorFile(QProcess::nullDevice());
            board->start(besideMe("veltra-board"), {"--link", link});
            if (!board->waitForStarted(10000)) return false;
            boards.push_back(std::move(board));
            links << link;
        }
        for (const QString& link : links) {
            QElapsedTimer clock;
            clock.start();
            while (!QFile::exists(link) && clock.elapsed() < 10000)
                QThread::msleep(10);
            if (!QFile::exists(link)) return false;
        }
        QStringList lines;
        for (int i = 0; i < 1000; ++i)
            lines << QStringLiteral("свд_%1 = ж,%2").arg(i % 13 + 1).arg(i % 16);
        program = dir.filePath(QStringLiteral("program.txt"));
        QFile file(program);
        if (!file.open(QIODevice::WriteOnly)) return false;
        file.write(lines.join('\n').toUtf8());
        return true;
    }
    ~Rig() {
        for (auto& board : boards) {
            board->terminate();
            board->waitForFinished(5000);
        }
    }
};

Rig* rig = nullptr;

// The upload on the first `boards` boards; each iteration's time is the whole
// command's. Of the slowest board as veltra-link timed it: open_ms the port's
// opening, run_ms the job (the wait for the link to come alive, then the
// upload), upload_ms the upload's two steps alone.
void BM_Upload1000Words(benchmark::State& state) {
    const int boards = static_cast<int>(state.range(0));
    QStringList args{"upload", "--utf8", "--json"};
    for (int i = 0; i < boards; ++i)
        args << "--port" << rig->links[i];
    args << rig->program;
    double runMs = 0;
    double openMs = 0;
    double uploadMs = 0;
    for (auto _ : state) {
        QProcess link;
        QElapsedTimer clock;
        clock.start();
        link.start(besideMe("veltra-link"), args);
        if (!link.waitForFinished(120000) || link.exitCode() != 0) {
            state.SkipWithError("the upload failed");
            return;
        }
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        for (const QByteArray& line : link.readAllStandardOutput().trimmed().split('\n')) {
            const QJsonObject timings = QJsonDocument::fromJson(line).object().value("timings").toObject();
            runMs = std::max(runMs, timings.value("run_ms").toDouble());
            openMs = std::max(openMs, timings.value("open_ms").toDouble());
            uploadMs = std::max(uploadMs, timings.value("upload_ms").toDouble());
        }
    }
    state.counters["run_ms"] = runMs;
    state.counters["open_ms"] = openMs;
    state.counters["upload_ms"] = uploadMs;
}
BENCHMARK(BM_Upload1000Words)
    ->Arg(1)
    ->Arg(kBoards)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// CPU time (user + system) of a process, from /proc.
double cpuSeconds(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return -1;
    const QByteArray text = stat.readAll();
    // Fields after the command name, which ends with the last ')'.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double ticks = fields.value(11).toDouble() + fields.value(12).toDouble();
    return ticks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// status --watch on one board for ten seconds after it has opened the port.
void BM_StatusWatchCpu(benchmark::State& state) {
    double percent = 0;
    for (auto _ : state) {
        QProcess watch;
        watch.start(besideMe("veltra-link"), {"status", "--watch", "--port", rig->links[0]});
        // The first report: the port is open and the link settled.
        if (!watch.waitForReadyRead(20000)) {
            state.SkipWithError("no report from the watch");
            return;
        }
        const double cpu0 = cpuSeconds(watch.processId());
        QElapsedTimer clock;
        clock.start();
        QThread::sleep(10);
        const double cpu = cpuSeconds(watch.processId()) - cpu0;
        const double wall = clock.nsecsElapsed() / 1e9;
        ::kill(static_cast<pid_t>(watch.processId()), SIGINT);
        watch.waitForFinished(10000);
        state.SetIterationTime(wall);
        percent = 100.0 * cpu / wall;
    }
    state.counters["cpu_percent_of_a_core"] = percent;
}
BENCHMARK(BM_StatusWatchCpu)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Rig theRig;
    if (!theRig.start()) {
        std::fprintf(stderr, "the virtual boards did not start\n");
        return 1;
    }
    rig = &theRig;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
