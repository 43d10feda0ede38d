#pragma once
// One program file checked as the editor checks it, with everything each
// output format needs.

#include <cstdint>
#include <string>
#include <vector>

#include "compiler/ProgramCheck.h"
#include "files/SourceLines.h"

namespace veltra::check {

constexpr int kCannotRead = 66;  // EX_NOINPUT: missing, unreadable or too large
constexpr int kInternal = 70;    // EX_SOFTWARE: this Qt lacks the text codec
constexpr int kOutOfMemory = 71; // EX_OSERR
constexpr int kCannotWrite = 74; // EX_IOERR: standard output refused the result

struct FileCheck {
    std::string file;   // as named on the command line
    int exitCode = 0;   // the check's value (0; 1, 2, 3, 5) or one of the codes above
    std::string error;  // why the file could not be checked; empty when it was
    CheckReport report; // message and line, when it was checked
    std::vector<std::uint16_t> words;
    std::vector<int> wordLines;       // the 1-based source line of each word
    std::vector<std::string> sources; // the text of each word's line, UTF-8
    bool readAsUtf8 = false;          // asked for Windows-1251, but the file is valid UTF-8

    bool checked() const { return error.empty(); }
};

// Never throws: a file that cannot be read, decoded or held in memory comes
// back with its reason in `error`. A file asked for as Windows-1251 that is
// valid UTF-8 with bytes above 0x7F is read as UTF-8 (looksLikeUtf8).
FileCheck checkFile(const std::string& path, TextEncoding encoding);

} // namespace veltra::check
