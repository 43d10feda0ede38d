#include "tools/veltra-board/ProgramFile.h"

#include "compiler/ProgramCheck.h"
#include "files/SourceLines.h"

namespace veltra::board_sim {

bool readCheckedProgram(const std::string& path, CheckedProgramFile& program, std::string& error) {
    std::string bytes;
    if (!readProgramBytes(path, bytes, error)) return false;
    std::u32string text;
    if (!decodeProgramText(bytes, TextEncoding::Windows1251, text)) {
        error = "this Qt cannot decode windows-1251";
        return false;
    }
    program.lines = splitLines(text);
    CheckReport report;
    if (buildProgram(program.lines, *program.image, report) == 0) return true;
    error = path + " does not check: " + report.message;
    return false;
}

} // namespace veltra::board_sim
