// The entry of the benchmarks that drive the real main window: the
// application first (offscreen unless a display is asked for), then Google
// Benchmark's own run.

#include <benchmark/benchmark.h>

#include "app/shell/VeltraApplication.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    veltra::VeltraApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
