#include "tools/veltra-board/ScenarioRun.h"

#include <QStringDecoder>

#include <algorithm>

#include "board/BoardModel.h"
#include "board/BoardRequests.h"
#include "board/WordText.h"
#include "files/SourceLines.h"
#include "os/ShownName.h"
#include "tools/veltra-board/ProgramFile.h"

namespace veltra::board_sim {

namespace {

// A failure that stops the run before any expectation: exit code 2.
struct RunError {
    int line;
    std::string message;
};

// The scenario's lines, which must be UTF-8.
std::vector<std::string> readScenarioLines(const std::string& path) {
    std::string bytes, error;
    if (!readProgramBytes(path, bytes, error)) throw RunError{0, error};
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (utf8.hasError()) throw RunError{0, "the scenario is not UTF-8 text"};
    std::vector<std::string> lines;
    for (const std::u32string& line : splitLines(text.toStdU32String()))
        lines.push_back(QString::fromStdU32String(line).toStdString());
    return lines;
}

// The program a scenario names, relative to the scenario's folder. The
// folder stays the bytes the command line gave: decoded, a name that is not
// UTF-8 would name nothing.
std::string programBeside(const std::string& scenarioPath, const std::string& program) {
    if (program.starts_with('/')) return program;
    const std::size_t slash = scenarioPath.rfind('/');
    if (slash == std::string::npos) return "./" + program;
    const std::size_t folderEnd = scenarioPath.find_last_not_of('/', slash);
    if (folderEnd == std::string::npos) return "/" + program; // a scenario in the root folder
    return scenarioPath.substr(0, folderEnd + 1) + "/" + program;
}

// The program as the editor would upload it: checked, then its words.
std::vector<std::uint8_t> programUpload(const std::string& path, int line) {
    CheckedProgramFile program;
    std::string error;
    if (!readCheckedProgram(path, program, error)) throw RunError{line, error};
    std::vector<std::uint8_t> upload;
    for (std::size_t i = 0; i < program.image->count; ++i) {
        upload.push_back(static_cast<std::uint8_t>(program.image->words[i] & 0xFF));
        upload.push_back(static_cast<std::uint8_t>(program.image->words[i] >> 8));
    }
    return upload;
}

// A program the board accepted cannot meet a word it cannot run; should it
// happen all the same, the run fails there rather than quietly standing still.
void reportHalts(BoardModel& board, const std::string& name, std::ostream& report, ScenarioOutcome& outcome) {
    for (const BoardEvent& e : board.takeEvents()) {
        if (e.kind != BoardEvent::Kind::Halted) continue;
        ++outcome.failed;
        report << escapedName(name) << ": the program halted at [" << e.index << "] " << describeWord(e.word)
               << '\n';
    }
}

} // namespace

ScenarioOutcome runScenario(const Scenario& scenario, BoardModel& board, const std::string& name,
                            std::ostream& report) {
    ScenarioOutcome outcome;
    BoardTime now{0};
    board.advance(now);
    for (const ScenarioStep& step : scenario.steps) {
        switch (step.kind) {
        case ScenarioStep::Kind::Advance:
            while (now < step.until) {
                now = std::min(now + kScenarioStep, step.until);
                board.advance(now);
                reportHalts(board, name, report, outcome);
            }
            break;
        case ScenarioStep::Kind::Press:
        case ScenarioStep::Kind::Release:
            board.setButton(step.button, step.kind == ScenarioStep::Kind::Press);
            break;
        case ScenarioStep::Kind::Execute:
            board.executeNow(step.word);
            break;
        case ScenarioStep::Kind::Expect: {
            ++outcome.expectations;
            bool holds = false;
            const std::string found = foundText(board.state(), step.expectation, holds);
            if (holds) break;
            ++outcome.failed;
            report << escapedName(name) << ':' << step.line << ": at " << timeText(now) << ": expected "
                   << escapedName(step.expectation.written) << ", found " << found << '\n';
            break;
        }
        }
    }
    return outcome;
}

int runScenarioFile(const std::string& path, std::ostream& out, std::ostream& err) {
    try {
        Scenario scenario;
        ScenarioError parseError;
        if (!parseScenario(readScenarioLines(path), scenario, parseError))
            throw RunError{parseError.line, parseError.message};

        const std::string program = programBeside(path, scenario.program);
        BoardModel board;
        const BoardReply reply =
            applyBoardRequest(board, board_request::Upload, programUpload(program, scenario.programLine));
        if (reply.status != kBoardAccepted)
            throw RunError{scenario.programLine, "the board refused " + program + ": " + reply.note};

        const ScenarioOutcome outcome = runScenario(scenario, board, path, out);
        if (outcome.failed == 0) {
            out << escapedName(path) << ": all " << outcome.expectations << " expectations held\n"
                << std::flush;
            return kScenarioHeld;
        }
        out << escapedName(path) << ": " << outcome.failed << " of " << outcome.expectations
            << " expectations failed\n"
            << std::flush;
        return kScenarioFailed;
    } catch (const RunError& e) {
        // The message may quote the scenario's text and name files: escaped too.
        err << escapedName(path) << (e.line > 0 ? ":" + std::to_string(e.line) : std::string())
            << ": error: " << escapedName(e.message) << '\n'
            << std::flush;
        return kScenarioError;
    }
}

} // namespace veltra::board_sim
