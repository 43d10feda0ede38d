// Runs the two start-up probes in turns and compares them: wall time from
// starting the process to its first painted window, and resident memory at
// that moment. Usage: bench_startup [RUNS] (default 20).

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Sample {
    double ms = 0;
    long rssKb = 0;
};

bool runOnce(const QString& program, Sample& sample) {
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains("QT_QPA_PLATFORM")) env.insert("QT_QPA_PLATFORM", "offscreen");
    probe.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    probe.start(program, {});
    while (probe.waitForReadyRead(30000)) {
        if (probe.canReadLine()) break;
    }
    sample.ms = double(clock.nsecsElapsed()) / 1e6;
    QByteArray line = probe.readLine().trimmed();
    probe.waitForFinished(30000);
    if (!line.startsWith("painted rss_kb=")) return false;
    sample.rssKb = line.mid(15).toLong();
    return true;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    const QString dir = QCoreApplication::applicationDirPath();
    const QString programs[2] = {dir + "/bench_minimal_probe", dir + "/bench_editor_probe"};
    std::vector<double> ms[2], rss[2];
    // One warm-up each, then alternate, so that caches favour neither.
    Sample sample;
    for (const QString& program : programs)
        runOnce(program, sample);
    for (int i = 0; i < runs; ++i) {
        for (int p = 0; p < 2; ++p) {
            if (!runOnce(programs[p], sample)) {
                std::fprintf(stderr, "%s did not report its first paint\n", qPrintable(programs[p]));
                return 1;
            }
            ms[p].push_back(sample.ms);
            rss[p].push_back(double(sample.rssKb));
        }
    }
    const char* names[2] = {"minimal QMainWindow + QPlainTextEdit", "veltra"};
    std::printf("%-38s %14s %14s\n", "program (median of runs)", "first paint ms", "RSS KiB");
    for (int p = 0; p < 2; ++p)
        std::printf("%-38s %14.1f %14.0f\n", names[p], median(ms[p]), median(rss[p]));
    std::printf("%-38s %14.2f %14.2f\n", "ratio veltra / minimal", median(ms[1]) / median(ms[0]),
                median(rss[1]) / median(rss[0]));
    return 0;
}
