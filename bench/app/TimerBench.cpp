// What the main window's 100 ms timer costs with a 1000-line program open:
// one iteration is one second of it (ten ticks, the tenth with the clock and
// the change detection), painting included. Divide by one second for the
// share of a core.

#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <QTimer>

#include "app/EditorText.h"
#include "app/MainFormUi.h"
#include "app/ProgramFolder.h"
#include "app/TMainForm.h"
#include "app/VeltraApplication.h"
#include "bench/app/ProbeSettings.h"

namespace {

std::unique_ptr<veltra::TMainForm> openForm(int lines) {
    auto form = std::make_unique<veltra::TMainForm>();
    form->Tm->stop();
    QStringList text;
    for (int i = 0; i < lines; ++i)
        text << QStringLiteral("если кн_1==вкл тогда свд_%1 = ж,7").arg(i % 8 + 1);
    form->ui->edit->setPlainText(text.join('\n'));
    form->ui->edit->moveCursor(QTextCursor::End);
    QCoreApplication::processEvents();
    return form;
}

void OneSecondOfTimer(benchmark::State& state) {
    veltra::bench::ProbeSettings settings;
    auto form = openForm(int(state.range(0)));
    for (auto _ : state) {
        for (int i = 0; i < 10; ++i) {
            form->TmTimer();
            QCoreApplication::processEvents();
        }
    }
    form->Tm->stop();
}
BENCHMARK(OneSecondOfTimer)->Arg(1000)->Arg(10)->Unit(benchmark::kMicrosecond);

void ChangeDetectionPass(benchmark::State& state) {
    veltra::bench::ProbeSettings settings;
    auto form = openForm(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(veltra::countedTextLength(*form->ui->edit->document()));
}
BENCHMARK(ChangeDetectionPass)->Arg(1000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    veltra::VeltraApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
