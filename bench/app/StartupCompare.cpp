// Runs the two start-up probes in turns and compares them: wall time from
// starting the process to its first painted window and resident memory at
// that moment; for the editor also to "Порт COM1 - ОК" in its status bar and
// to the first poll its board receives. Usage: bench_startup [RUNS] (default 20).

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMap>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The moments a probe reported: label -> {ms since start, resident KiB then}.
using Moments = QMap<QByteArray, std::pair<double, long>>;

bool runOnce(const QString& program, const QByteArray& last, Moments& moments) {
    moments.clear();
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains("QT_QPA_PLATFORM")) env.insert("QT_QPA_PLATFORM", "offscreen");
    probe.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    probe.start(program, {});
    while (!moments.contains(last) && probe.waitForReadyRead(30000)) {
        while (probe.canReadLine()) {
            const QList<QByteArray> words = probe.readLine().trimmed().split(' ');
            const double ms = double(clock.nsecsElapsed()) / 1e6;
            moments[words.value(0)] = {ms, words.value(1).mid(7).toLong()}; // "rss_kb=N"
        }
    }
    probe.waitForFinished(30000);
    return moments.contains(last);
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
    const QByteArray last[2] = {"painted", "polled"};
    std::vector<double> paint[2], rss[2], portOk, polled;
    // One warm-up each, then alternate, so that caches favour neither.
    Moments moments;
    for (int p = 0; p < 2; ++p)
        runOnce(programs[p], last[p], moments);
    for (int i = 0; i < runs; ++i) {
        for (int p = 0; p < 2; ++p) {
            if (!runOnce(programs[p], last[p], moments) || !moments.contains("painted")) {
                std::fprintf(stderr, "%s did not report all its moments\n", qPrintable(programs[p]));
                return 1;
            }
            paint[p].push_back(moments["painted"].first);
            rss[p].push_back(double(moments["painted"].second));
            if (p == 1) {
                portOk.push_back(moments.value("port-ok").first);
                polled.push_back(moments["polled"].first);
            }
        }
    }
    const char* names[2] = {"minimal QMainWindow + QPlainTextEdit", "veltra"};
    std::printf("%-38s %14s %14s\n", "program (median of runs)", "first paint ms", "RSS KiB");
    for (int p = 0; p < 2; ++p)
        std::printf("%-38s %14.1f %14.0f\n", names[p], median(paint[p]), median(rss[p]));
    std::printf("%-38s %14.2f %14.2f\n", "ratio veltra / minimal", median(paint[1]) / median(paint[0]),
                median(rss[1]) / median(rss[0]));
    std::vector<double> pollAfterPaint;
    for (std::size_t i = 0; i < polled.size(); ++i)
        pollAfterPaint.push_back(polled[i] - paint[1][i]);
    std::printf(
        "veltra: \"Порт COM1 - ОК\" at %.1f ms, first poll at %.1f ms (%.1f ms after the first paint)\n",
        median(portOk), median(polled), median(pollAfterPaint));
    return 0;
}
