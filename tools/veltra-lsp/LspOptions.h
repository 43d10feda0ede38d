#pragma once
// The command line of veltra-lsp: it serves on standard input and output,
// or prints its usage or version.

#include <string>
#include <vector>

namespace veltra::lsp {

struct ParsedLspOptions {
    bool serve = false;  // false: print `message` and exit with `exitCode`
    std::string message; // for standard output when `exitCode` is 0, else for standard error
    int exitCode = 0;    // 0 for --help and --version, 64 for a usage error
};

ParsedLspOptions parseLspOptions(const std::vector<std::string>& args);

} // namespace veltra::lsp
