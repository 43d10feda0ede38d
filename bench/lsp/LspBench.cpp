// What the language server costs with a program of 1000 lines open:
//
//   BM_DiagnosticsAfterAChange     one edit applied and its diagnostics built
//                                  and framed, in process (goal: 5 ms)
//   BM_ChangeToDiagnosticsOverPipes  the same through the real veltra-lsp:
//                                  from writing the change to reading the
//                                  published diagnostics
//   BM_MemoryAndIdleCpu            the real server's resident memory with the
//                                  program open (goal: under 20 MB), and the
//                                  CPU it uses in 10 s of waiting (goal: none)

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QJsonArray>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QThread>

#include <unistd.h>

#include "tools/veltra-lsp/LanguageServer.h"
#include "tools/veltra-lsp/Transport.h"

namespace {

// A mix of every kind of command; labels are defined once each.
const char* const kBlock[] = {
    "// следующий шаг",      "метка_#:",        "свд_3 = к,7",  "свд = ж",         "порт_1 = 01000000",
    "порт_2.3 = вкл",        "порт = выкл",     "реле_1 = вкл", "ярк_2 = 9",       "ярк = 15",
    "сохр_1 = свд_3",        "свд_3 = сохр_1",  "пауза+++",     "пауза=20",        "А=А+1",
    "В=В-А",                 "   если А>100 тогда А=0", "если кн_2==вкл тогда переход метка_#",
    "вм свд_4 = с,12",       "переход метка_#", "возврат",
};
constexpr int kLines = 1000;
constexpr int kChangedLine = 500; // "свд_3 = к,7" there: its letter is toggled

QString thousandLines() {
    QStringList lines;
    for (int block = 0; lines.size() < kLines; ++block) {
        const QString n = QString::number(block % 15 + 1);
        for (const char* line : kBlock) {
            QString text = QString::fromUtf8(line);
            if (text.startsWith(QStringLiteral("метка_")) && block >= 15) continue;
            lines << text.replace('#', n);
            if (lines.size() == kLines) break;
        }
    }
    return lines.join('\n') + '\n';
}

using veltra::lsp::framed;

QJsonObject initialize() {
    return {{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", QJsonObject{{"capabilities", QJsonObject{}}}}};
}

QJsonObject open(const QString& text) {
    return {{"jsonrpc", "2.0"},
            {"method", "textDocument/didOpen"},
            {"params", QJsonObject{{"textDocument", QJsonObject{{"uri", "file:///bench.vel"},
                                                                {"languageId", "veltra"},
                                                                {"version", 1},
                                                                {"text", text}}}}}};
}

// Line kChangedLine's colour letter, 'к' or 'х' (a wrong one) in turn.
QJsonObject change(int version) {
    const QJsonObject at{{"line", kChangedLine}, {"character", 8}};
    const QJsonObject after{{"line", kChangedLine}, {"character", 9}};
    return {{"jsonrpc", "2.0"},
            {"method", "textDocument/didChange"},
            {"params", QJsonObject{{"textDocument", QJsonObject{{"uri", "file:///bench.vel"}, {"version", version}}},
                                   {"contentChanges", QJsonArray{QJsonObject{{"range", QJsonObject{{"start", at}, {"end", after}}},
                                                                             {"text", version % 2 ? "к" : "х"}}}}}}};
}

QByteArray bodyOf(const QByteArray& frame) {
    return frame.mid(frame.indexOf("\r\n\r\n") + 4);
}

void BM_DiagnosticsAfterAChange(benchmark::State& state) {
    qint64 published = 0;
    veltra::lsp::Transport transport([&](const QByteArray& frame) {
        published += frame.size();
        return true;
    });
    veltra::lsp::LanguageServer server([&](const QJsonObject& message) { transport.send(message); });
    server.handleMessage(bodyOf(framed(initialize())));
    server.handleMessage(bodyOf(framed(open(thousandLines()))));
    server.publishPending();
    int version = 2;
    for (auto _ : state) {
        server.handleMessage(bodyOf(framed(change(version++))));
        server.publishPending();
    }
    state.counters["bytes_out"] = benchmark::Counter(double(published), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_DiagnosticsAfterAChange)->Unit(benchmark::kMicrosecond);

// The real server on pipes; reads its messages whole.
class ServerProcess {
  public:
    ServerProcess() {
        process_.start(QStringLiteral(VELTRA_LSP), {});
        process_.waitForStarted();
    }
    ~ServerProcess() {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(5000)) process_.kill();
    }
    void send(const QJsonObject& message) {
        process_.write(framed(message));
        process_.waitForBytesWritten();
    }
    // Reads until a message containing `word` has come whole.
    bool await(const QByteArray& word) {
        for (;;) {
            const qsizetype end = input_.indexOf("\r\n\r\n");
            if (end >= 0) {
                const qsizetype length = input_.mid(16, end - 16).trimmed().toLongLong();
                if (input_.size() >= end + 4 + length) {
                    const bool found = input_.mid(end + 4, length).contains(word);
                    input_.remove(0, end + 4 + length);
                    if (found) return true;
                    continue;
                }
            }
            if (!process_.waitForReadyRead(10000)) return false;
            input_ += process_.readAllStandardOutput();
        }
    }
    qint64 pid() const { return process_.processId(); }

  private:
    QProcess process_;
    QByteArray input_;
};

void BM_ChangeToDiagnosticsOverPipes(benchmark::State& state) {
    ServerProcess server;
    server.send(initialize());
    server.await("capabilities");
    server.send(open(thousandLines()));
    server.await("publishDiagnostics");
    int version = 2;
    for (auto _ : state) {
        server.send(change(version++));
        if (!server.await("publishDiagnostics")) state.SkipWithError("no diagnostics");
    }
}
BENCHMARK(BM_ChangeToDiagnosticsOverPipes)->Unit(benchmark::kMicrosecond)->UseRealTime();

// From /proc/PID/status, in KiB.
double statusKiB(qint64 pid, const char* key) {
    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith(key)) return line.mid(qsizetype(qstrlen(key))).trimmed().split(' ').front().toDouble();
    return -1;
}

// User and system CPU time of PID so far, in milliseconds.
double cpuMs(qint64 pid) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) return -1;
    const QByteArray stat = file.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    // Fields 14 and 15 of the line, counted from the state (field 3).
    return (fields[11].toDouble() + fields[12].toDouble()) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

void BM_MemoryAndIdleCpu(benchmark::State& state) {
    for (auto _ : state) {
        ServerProcess server;
        server.send(initialize());
        server.await("capabilities");
        server.send(open(thousandLines()));
        server.await("publishDiagnostics");
        // Everything an editor asks once on opening a file.
        server.send({{"jsonrpc", "2.0"}, {"id", 2}, {"method", "textDocument/semanticTokens/full"},
                     {"params", QJsonObject{{"textDocument", QJsonObject{{"uri", "file:///bench.vel"}}}}}});
        server.await("\"id\":2");
        server.send({{"jsonrpc", "2.0"}, {"id", 3}, {"method", "textDocument/completion"},
                     {"params", QJsonObject{{"textDocument", QJsonObject{{"uri", "file:///bench.vel"}}},
                                            {"position", QJsonObject{{"line", 3}, {"character", 0}}}}}});
        server.await("\"id\":3");
        for (int version = 2; version < 50; ++version) {
            server.send(change(version));
            server.await("publishDiagnostics");
        }
        state.counters["rss_MiB"] = statusKiB(server.pid(), "VmRSS:") / 1024.0;
        state.counters["peak_rss_MiB"] = statusKiB(server.pid(), "VmHWM:") / 1024.0;
        const double before = cpuMs(server.pid());
        QThread::sleep(10);
        state.counters["idle_cpu_ms_in_10s"] = cpuMs(server.pid()) - before;
    }
}
BENCHMARK(BM_MemoryAndIdleCpu)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv); // for QProcess
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
