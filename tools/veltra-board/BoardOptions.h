#pragma once
// Command line of the board simulator.

#include <optional>
#include <string>
#include <vector>

#include "tools/veltra-board/BoardResponder.h"

namespace veltra::board_sim {

struct BoardOptions {
    std::string linkPath; // symlink to the slave side, when given
    EchoOptions echo;
    int delayMs = 0;
    bool noise = false;
};

struct ParsedOptions {
    std::optional<BoardOptions> options; // nothing when the command line is wrong or asks for help
    std::string message;                 // usage text or the error
    int exitCode = 0;
};

ParsedOptions parseBoardOptions(const std::vector<std::string>& args);

} // namespace veltra::board_sim
