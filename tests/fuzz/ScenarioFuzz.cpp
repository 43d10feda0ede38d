// libFuzzer target: the scenario language. Any UTF-8 text is a scenario, cut
// into lines as veltra-board --scenario cuts it. Besides crashes and sanitizer
// reports it traps when the parser breaks its promises: an error names a
// line of the text, a parsed scenario keeps every value in the board's
// ranges and its clock going forward within the hour, and what a run reports
// as found is written in the notation the parser reads: pasted back as an
// expectation it parses and holds. Short scenarios are also run on the model.

#include <QString>
#include <QStringDecoder>

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "board/BoardModel.h"
#include "files/SourceLines.h"
#include "tests/fuzz/Require.h"
#include "tools/veltra-board/Scenario.h"
#include "tools/veltra-board/ScenarioRun.h"

namespace {

using veltra::fuzz::require;
using namespace veltra;
using namespace veltra::board_sim;
using Object = Expectation::Object;

void checkExpectation(const Expectation& e) {
    switch (e.object) {
    case Object::Led:
        require(e.index >= 1 && e.index <= kLedCount);
        break;
    case Object::Port:
        require(e.index >= 1 && e.index <= kPortCount && e.value >= 0 && e.value <= 255);
        break;
    case Object::PortBit:
        require(e.index >= 1 && e.index <= kPortCount && e.bit >= 1 && e.bit <= 8);
        break;
    case Object::Brightness:
        require(e.index >= 1 && e.index <= kLampPortCount && e.value >= 0 && e.value <= kMaxBrightness);
        break;
    case Object::Relay:
        require(e.index >= 1 && e.index <= kRelayCount);
        break;
    default:
        break;
    }
    for (const LedExpectation& led : e.leds)
        require(led.colour >= 0 && led.colour <= kMaxColour && led.brightness >= -1 &&
                led.brightness <= kMaxBrightness);
    require(!e.written.empty());
}

// What the board shows, written back as an expectation, is read as one that holds.
void checkFoundReadsBack(const BoardState& state, const Expectation& e) {
    bool holds = false;
    const std::string found = foundText(state, e, holds);
    std::string line = "expect ";
    if (e.object == Object::Running) {
        line += found;
    } else {
        const std::size_t eq = e.written.find('=');
        require(eq != std::string::npos);
        line += e.written.substr(0, eq) + "= " + found;
    }
    Scenario again;
    ScenarioError error;
    require(parseScenario({"program p.txt", line}, again, error));
    require(again.steps.size() == 1);
    foundText(state, again.steps[0].expectation, holds);
    require(holds);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8.decode(QByteArrayView(data, qsizetype(size)));
    if (utf8.hasError()) return 0; // the runner refuses such a file before parsing
    std::vector<std::string> lines;
    for (const std::u32string& line : splitLines(text.toStdU32String()))
        lines.push_back(QString::fromStdU32String(line).toStdString());

    Scenario scenario;
    ScenarioError error;
    if (!parseScenario(lines, scenario, error)) {
        require(error.line >= 0 && std::size_t(error.line) <= lines.size() && !error.message.empty());
        return 0;
    }
    require(!scenario.program.empty() && scenario.programLine >= 1);
    BoardTime now{0};
    int line = 0;
    BoardModel board;
    for (const ScenarioStep& step : scenario.steps) {
        require(step.line > line && std::size_t(step.line) <= lines.size());
        line = step.line;
        switch (step.kind) {
        case ScenarioStep::Kind::Advance:
            require(step.until >= now && step.until <= kMaxScenarioTime);
            now = step.until;
            break;
        case ScenarioStep::Kind::Press:
        case ScenarioStep::Kind::Release:
            require(step.button >= 1 && step.button <= kButtonCount);
            break;
        case ScenarioStep::Kind::Execute:
            require(step.word != 0);
            break;
        case ScenarioStep::Kind::Expect:
            checkExpectation(step.expectation);
            checkFoundReadsBack(board.state(), step.expectation);
            break;
        }
    }
    // A few seconds of board time at most, so that one input stays quick.
    if (now <= BoardTime(2000)) {
        std::ostringstream report;
        const ScenarioOutcome outcome = runScenario(scenario, board, "fuzz", report);
        require(outcome.failed <= outcome.expectations);
    }
    return 0;
}
