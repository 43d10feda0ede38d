#pragma once
// A program file as the board simulator's runs take it: read as the editor
// reads it (Windows-1251), checked as the editor checks it.

#include <memory>
#include <string>
#include <vector>

#include "compiler/ProgramImage.h"

namespace veltra::board_sim {

struct CheckedProgramFile {
    // 24 KiB of words and lines: kept off the stack.
    std::unique_ptr<ProgramImage> image = std::make_unique<ProgramImage>();
    std::vector<std::u32string> lines;
};

// False with `error` ("cannot open PATH: ...", "PATH does not check: MESSAGE").
bool readCheckedProgram(const std::string& path, CheckedProgramFile& program, std::string& error);

} // namespace veltra::board_sim
