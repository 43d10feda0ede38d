// What the main window's 100 ms timer costs with a 1000-line program open:
// one iteration is one second of it (ten ticks, the tenth with the clock and
// the change detection), painting included. Divide by one second for the
// share of a core.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>

#include "app/editor/EditorText.h"
#include "app/window/TMainForm.h"
#include "bench/app/ProbeSettings.h"
#include "files/ProgramFolder.h"
#include "tests/support/MainFormPeer.h"

namespace {

QPlainTextEdit* editor(veltra::TMainForm& form) {
    return form.findChild<QPlainTextEdit*>(QStringLiteral("edit"));
}

std::unique_ptr<veltra::TMainForm> openForm(int lines) {
    auto form = std::make_unique<veltra::TMainForm>();
    // Once the port's steps (after the first paint) are done, the timer is
    // run by hand.
    while (form->isStarting())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    form->findChild<QTimer*>(QStringLiteral("Tm"))->stop();
    QStringList text;
    for (int i = 0; i < lines; ++i)
        text << QStringLiteral("если кн_1==вкл тогда свд_%1 = ж,7").arg(i % 8 + 1);
    editor(*form)->setPlainText(text.join('\n'));
    editor(*form)->moveCursor(QTextCursor::End);
    QCoreApplication::processEvents();
    return form;
}

void OneSecondOfTimer(benchmark::State& state) {
    veltra::bench::ProbeSettings settings;
    auto form = openForm(int(state.range(0)));
    veltra::test::TMainFormPeer timer(*form);
    for (auto _ : state) {
        for (int i = 0; i < 10; ++i) {
            timer.TmTimer();
            QCoreApplication::processEvents();
        }
    }
    form->findChild<QTimer*>(QStringLiteral("Tm"))->stop();
}
BENCHMARK(OneSecondOfTimer)->Arg(1000)->Arg(10)->Unit(benchmark::kMicrosecond);

void ChangeDetectionPass(benchmark::State& state) {
    veltra::bench::ProbeSettings settings;
    auto form = openForm(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(veltra::countedTextLength(*editor(*form)->document()));
}
BENCHMARK(ChangeDetectionPass)->Arg(1000)->Unit(benchmark::kMicrosecond);

} // namespace
