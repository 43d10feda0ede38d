// The run view's costs: the board model as fast as it goes, a keystroke in
// a 1000-line program while the run view runs it at real speed, and what a
// second of the event loop costs with the run paused and running.

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

#include "app/run/RunDesk.h"
#include "app/run/RunSession.h"
#include "app/window/TMainForm.h"
#include "bench/app/ProbeSettings.h"
#include "board/BoardModel.h"

namespace {

using Phase = veltra::RunSession::Phase;

// A loop over 1000 lines: LEDs set, a pause every tenth line, a jump back.
QString thousandLines() {
    QStringList text{QStringLiteral("метка_1:")};
    for (int i = 1; i < 999; ++i)
        text << (i % 10 == 0 ? QStringLiteral("пауза+") : QStringLiteral("свд_%1 = к").arg(i % 13 + 1));
    text << QStringLiteral("переход метка_1");
    return text.join('\n');
}

double cpuMs() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return use.ru_utime.tv_sec * 1e3 + use.ru_utime.tv_usec / 1e3 + use.ru_stime.tv_sec * 1e3 +
           use.ru_stime.tv_usec / 1e3;
}

// The board model alone, every pause ended at once: words per second.
void BoardModelFastest(benchmark::State& state) {
    veltra::BoardModel board;
    // метка_1: свд_1=к / пауза+ / свд_1=выкл / А=А+1 / если А<250 тогда переход метка_1 / переход метка_1
    const std::vector<std::uint16_t> words{0xA1F1, 0x4101, 0xA100, 0x9301, 0x74FA, 0xE000, 0xE000};
    if (!board.loadProgram(words)) return state.SkipWithError("the board refused the program");
    veltra::BoardTime now{0};
    std::int64_t executed = 0;
    for (auto _ : state) {
        if (board.state().paused) now = board.pauseEnds();
        executed += board.run(now, {100'000, {}}).words;
    }
    state.counters["words/s"] = benchmark::Counter(double(executed), benchmark::Counter::kIsRate);
}
BENCHMARK(BoardModelFastest)->Unit(benchmark::kMicrosecond);

std::unique_ptr<veltra::TMainForm> openRunning(veltra::RunSession::Speed speed) {
    auto form = std::make_unique<veltra::TMainForm>();
    while (form->isStarting())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    auto* edit = form->findChild<QPlainTextEdit*>(QStringLiteral("edit"));
    form->setProgramText(thousandLines());
    edit->moveCursor(QTextCursor::End);
    form->run().session().setSpeed(speed);
    form->run().runOrContinue(); // checked first, as F5 does
    QCoreApplication::processEvents();
    return form;
}

// The run view through its own session at full speed: words per second.
void RunViewFastest(benchmark::State& state) {
    veltra::bench::ProbeSettings settings;
    auto form = openRunning(veltra::RunSession::Speed::Fastest);
    veltra::RunSession& run = form->run().session();
    if (run.phase() != Phase::Running) return state.SkipWithError("the program did not start");
    const auto from = run.wordsExecuted();
    for (auto _ : state)
        QCoreApplication::processEvents(); // a slice, and the repaint when it is due
    state.counters["words/s"] =
        benchmark::Counter(double(run.wordsExecuted() - from), benchmark::Counter::kIsRate);
    run.stop();
}
BENCHMARK(RunViewFastest)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// A key typed into the editor until the editor has painted it, while the run
// view runs the same 1000-line program at real speed. Reported as the median.
void KeystrokeToRepaintWhileRunning(benchmark::State& state) {
    veltra::bench::ProbeSettings settings;
    auto form = openRunning(veltra::RunSession::Speed::RealTime);
    auto* edit = form->findChild<QPlainTextEdit*>(QStringLiteral("edit"));
    edit->setFocus();
    QElapsedTimer clock;
    for (auto _ : state) {
        // The run's slices and repaints come due between keystrokes, as they do while typing.
        QTest::qWait(20);
        clock.start();
        QTest::keyClick(edit, Qt::Key_A);
        QCoreApplication::processEvents();
        edit->viewport()->repaint();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
    if (form->run().session().phase() != Phase::Running) state.SkipWithError("the run did not keep running");
    form->run().stop();
}
BENCHMARK(KeystrokeToRepaintWhileRunning)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(100)
    ->Repetitions(5)
    ->ComputeStatistics("max",
                        [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); })
    ->ReportAggregatesOnly();

// One second of the event loop with the run stopped (the editor's own cost:
// the link's worker polls the board), paused, and running at real speed: the
// process's CPU time in it.
void OneSecondOfTheEventLoop(benchmark::State& state) {
    veltra::bench::ProbeSettings settings;
    auto form = openRunning(veltra::RunSession::Speed::RealTime);
    // The main window's own 100 ms timer is not the run view's cost.
    form->findChild<QTimer*>(QStringLiteral("Tm"))->stop();
    if (state.range(0) == 0) form->run().stop();
    if (state.range(0) == 1) form->run().pause();
    double cpu = 0;
    for (auto _ : state) {
        const double from = cpuMs();
        QEventLoop loop;
        QTimer::singleShot(1000, &loop, &QEventLoop::quit);
        loop.exec();
        cpu += cpuMs() - from;
    }
    state.counters["cpu_ms_per_s"] = cpu / double(state.iterations());
    state.counters["ticking"] = form->run().session().ticking();
    form->run().stop();
}
BENCHMARK(OneSecondOfTheEventLoop)->Arg(0)->Arg(1)->Arg(2)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
