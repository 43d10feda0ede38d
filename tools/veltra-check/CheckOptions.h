#pragma once
// The command line of veltra-check. Options may stand anywhere before "--";
// --line and --console-line take the next argument as their TEXT.

#include <optional>
#include <string>
#include <vector>

#include "files/SourceLines.h"

namespace veltra::check {

enum class Mode { Files, ProgramLine, ConsoleLine };
enum class Format { Text, Json, Gcc };

struct CheckOptions {
    Mode mode = Mode::Files;
    Format format = Format::Text;
    TextEncoding encoding = TextEncoding::Windows1251;
    bool listing = false;           // --listing: each word with its source line
    std::vector<std::string> files; // Mode::Files
    std::string lineText;           // the line modes, UTF-8
};

struct ParsedCommandLine {
    std::optional<CheckOptions> options; // nothing: print `message` and exit with `exitCode`
    std::string message;                 // the usage text, after the error when there is one
    int exitCode = 0;                    // 0 for --help, 64 for a usage error
};

ParsedCommandLine parseCheckOptions(const std::vector<std::string>& args);

} // namespace veltra::check
