#pragma once
// Command line of the board simulator.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/veltra-board/BoardResponder.h"

namespace veltra::board_sim {

struct BoardOptions {
    std::string linkPath; // symlink to the slave side, when given
    // --silent, --reject and --memory-fail: they decide the answer before the
    // board model (or the echo) is asked.
    EchoOptions echo;
    int delayMs = 0;
    bool noise = false;

    bool echoOnly = false;   // answer without a board model, as a line tester
    bool printState = false; // one JSON line on standard output per change
    bool view = false;       // show the board window
    int besideWidth = 0;     // --beside: the window stands left of a centred window this wide
    std::string memoryPath;  // the non-volatile copy; empty: beside the link

    std::string scenarioPath; // --scenario: run this scenario instead of a terminal
    std::string tracePath;    // --trace: print the first traceWords words this program executes
    std::int64_t traceWords = 0;
};

struct ParsedOptions {
    std::optional<BoardOptions> options; // nothing when the command line is wrong or asks for help
    std::string message;                 // usage text or the error
    int exitCode = 0;
};

ParsedOptions parseBoardOptions(const std::vector<std::string>& args);

// Where the board keeps its non-volatile copy: --memory, else the link path
// with ".nv" appended, else nowhere (the copy then lives as long as the process).
std::string nonVolatilePath(const BoardOptions& options);

} // namespace veltra::board_sim
