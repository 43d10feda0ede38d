// How fast the compiler is: the whole check of a full-size program, and one
// line of each kind of command.

#include <benchmark/benchmark.h>

#include <string>
#include <string_view>
#include <vector>

#include "compiler/LineCompiler.h"
#include "compiler/ProgramCheck.h"

namespace {

using veltra::CmdKind;
using veltra::CmdStatus;

// A mix of what real programs hold, comments and labels included; '#' stands
// for the label number of the repetition.
const std::u32string_view kBlock[] = {
    U"// следующий шаг",
    U"метка_#:",
    U"свд_3 = к,7",
    U"свд = ж",
    U"порт_1 = 01000000",
    U"порт_2.3 = вкл",
    U"порт = выкл",
    U"реле_1 = вкл",
    U"ярк_2 = 9",
    U"ярк = 15",
    U"сохр_1 = свд_3",
    U"свд_3 = сохр_1",
    U"пауза+++",
    U"пауза=20",
    U"А=А+1",
    U"В=В-А",
    U"   если А>100 тогда А=0",
    U"если кн_2==вкл тогда переход метка_#",
    U"вм свд_4 = с,12",
    U"переход метка_#",
    U"возврат",
};

unsigned wordsOf(std::u32string_view line) {
    const veltra::CmdRecord rec = veltra::compileProgramLine(line);
    if (rec.kind == CmdKind::Conditional || rec.kind == CmdKind::External) return 2;
    return rec.word != 0 ? 1 : 0;
}

// Repeats the block until the program holds exactly 1000 words. Repetition k
// uses label k % 15 + 1; a label is defined only by the first repetition that
// uses it, since a second definition is an error.
std::vector<std::u32string> thousandWordProgram() {
    std::vector<std::u32string> lines;
    unsigned words = 0;
    for (unsigned block = 0; words < veltra::kMaxProgramWords; ++block) {
        const unsigned n = block % 15 + 1;
        std::u32string number;
        for (unsigned v = n; v > 0; v /= 10)
            number.insert(number.begin(), static_cast<char32_t>(U'0' + v % 10));
        for (std::u32string_view pattern : kBlock) {
            std::u32string line(pattern);
            if (const std::size_t at = line.find(U'#'); at != std::u32string::npos) {
                if (line.back() == U':' && block >= 15) continue;
                line.replace(at, 1, number);
            }
            const unsigned w = wordsOf(line);
            if (words + w > veltra::kMaxProgramWords) continue;
            words += w;
            lines.push_back(std::move(line));
        }
    }
    return lines;
}

void BM_CheckThousandWordProgram(benchmark::State& state) {
    const std::vector<std::u32string> lines = thousandWordProgram();
    veltra::ProgramImage image;
    veltra::CheckReport report;
    if (veltra::buildProgram(lines, image, report) != 0 || image.count != veltra::kMaxProgramWords) {
        state.SkipWithError(("the program does not check: " + report.message).c_str());
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(veltra::buildProgram(lines, image, report));
        benchmark::ClobberMemory();
    }
    state.counters["lines"] = static_cast<double>(lines.size());
    state.counters["words"] = image.count;
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(lines.size()));
}
BENCHMARK(BM_CheckThousandWordProgram)->Unit(benchmark::kMicrosecond);

// 1000 single-word lines: the longest text a program can be without
// comments or labels.
void BM_CheckThousandLines(benchmark::State& state) {
    std::vector<std::u32string> lines;
    for (unsigned i = 0; i < veltra::kMaxProgramWords; ++i) {
        lines.emplace_back(i % 2 ? U"свд_12 = б, 3" : U"порт_1 = 01000000");
    }
    veltra::ProgramImage image;
    veltra::CheckReport report;
    for (auto _ : state) {
        benchmark::DoNotOptimize(veltra::buildProgram(lines, image, report));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(lines.size()));
}
BENCHMARK(BM_CheckThousandLines)->Unit(benchmark::kMicrosecond);

// The editor's live check of the same program: every error found, none here.
void BM_FindErrorsThousandWordProgram(benchmark::State& state) {
    const std::vector<std::u32string> lines = thousandWordProgram();
    for (auto _ : state)
        benchmark::DoNotOptimize(veltra::findProgramErrors(lines));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(lines.size()));
}
BENCHMARK(BM_FindErrorsThousandWordProgram)->Unit(benchmark::kMicrosecond);

void BM_ProgramLine(benchmark::State& state, std::u32string_view line) {
    if (veltra::compileProgramLine(line).status != CmdStatus::Ok) {
        state.SkipWithError("the line does not compile");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(veltra::compileProgramLine(line));
}

void BM_ConsoleLine(benchmark::State& state, std::u32string_view line) {
    if (veltra::compileConsoleLine(line).status != CmdStatus::Ok) {
        state.SkipWithError("the line does not compile");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(veltra::compileConsoleLine(line));
}

BENCHMARK_CAPTURE(BM_ProgramLine, led, U"свд_12 = б, 3");
BENCHMARK_CAPTURE(BM_ProgramLine, led_all, U"свд = А,В");
BENCHMARK_CAPTURE(BM_ProgramLine, port_all, U"порт = выкл");
BENCHMARK_CAPTURE(BM_ProgramLine, port_bit, U"порт_2.3 = вкл");
BENCHMARK_CAPTURE(BM_ProgramLine, port, U"порт_3 = 00110011");
BENCHMARK_CAPTURE(BM_ProgramLine, relay, U"реле_2 = выкл");
BENCHMARK_CAPTURE(BM_ProgramLine, brightness, U"ярк_2 = 9");
BENCHMARK_CAPTURE(BM_ProgramLine, brightness_all, U"ярк = 15");
BENCHMARK_CAPTURE(BM_ProgramLine, store, U"сохр_2 = свд_8");
BENCHMARK_CAPTURE(BM_ProgramLine, pause, U"пауза=20");
BENCHMARK_CAPTURE(BM_ProgramLine, var_a, U"А=А+1");
BENCHMARK_CAPTURE(BM_ProgramLine, var_b, U"В = сохр_1");
BENCHMARK_CAPTURE(BM_ProgramLine, label, U"метка_12:");
BENCHMARK_CAPTURE(BM_ProgramLine, jump, U"переход метка_5");
BENCHMARK_CAPTURE(BM_ProgramLine, return, U"возврат");
BENCHMARK_CAPTURE(BM_ProgramLine, if_button, U"если кн_2==вкл тогда переход метка_2");
BENCHMARK_CAPTURE(BM_ProgramLine, if_variable, U"если А>100 тогда А=0");
BENCHMARK_CAPTURE(BM_ProgramLine, external, U"вм свд_4 = с,12");
BENCHMARK_CAPTURE(BM_ProgramLine, indented, U"\t    свд_1 = к");
BENCHMARK_CAPTURE(BM_ConsoleLine, console_led, U">свд_3 = А,7");
BENCHMARK_CAPTURE(BM_ConsoleLine, console_eeprom, U">ППЗУ = записать");
BENCHMARK_CAPTURE(BM_ConsoleLine, console_external, U">вм свд=б");

} // namespace

BENCHMARK_MAIN();
