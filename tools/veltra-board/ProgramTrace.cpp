#include "tools/veltra-board/ProgramTrace.h"

#include <QString>

#include <cstdio>
#include <span>

#include "board/BoardModel.h"
#include "os/ShownName.h"
#include "tools/veltra-board/ProgramFile.h"
#include "tools/veltra-board/Scenario.h"
#include "tools/veltra-board/ScenarioRun.h"

namespace veltra::board_sim {

int runTrace(const std::string& path, std::int64_t words, std::ostream& out, std::ostream& err) {
    CheckedProgramFile program;
    std::string error;
    BoardModel board;
    const ProgramImage& image = *program.image;
    if (!readCheckedProgram(path, program, error)) {
        err << "veltra-board: " << escapedName(error) << '\n' << std::flush;
        return kScenarioError;
    }
    if (!board.loadProgram(std::span(image.words.data(), image.count))) {
        err << "veltra-board: the board refused " << escapedName(path) << '\n' << std::flush;
        return kScenarioError;
    }
    // Each word runs at the moment the pause before it ends: one word a call.
    BoardTime clock{0};
    for (std::int64_t n = 0; n < words; ++n) {
        if (board.state().paused) clock = board.pauseEnds();
        if (board.run(clock, {1, {}}).words == 0) {
            err << "veltra-board: the program ended after " << n << " words at " << timeText(clock) << '\n';
            break;
        }
        const int index = board.lastExecuted();
        const int line = image.wordLine[static_cast<std::size_t>(index)];
        const std::string text =
            QString::fromStdU32String(program.lines[static_cast<std::size_t>(line - 1)]).toStdString();
        char head[64];
        std::snprintf(head, sizeof head, "%5d  %5d  %04X  %8s  ", line, index, image.words[index],
                      timeText(clock).c_str());
        out << head << escapedName(text) << '\n';
    }
    out << std::flush;
    return 0;
}

} // namespace veltra::board_sim
