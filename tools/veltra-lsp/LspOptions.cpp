#include "tools/veltra-lsp/LspOptions.h"

namespace veltra::lsp {

namespace {

constexpr int kUsageError = 64; // EX_USAGE, as veltra-check

const char* const kUsage = "usage: veltra-lsp [--stdio]\n"
                           "       veltra-lsp --help | --version\n"
                           "\n"
                           "A language server (protocol 3.17, JSON-RPC over standard input and output)\n"
                           "for Veltra KX-LED programs: diagnostics, hover, completion, labels and\n"
                           "semantic tokens. Start it from the editor; docs/editors.md shows how.\n"
                           "\n"
                           "exit codes: 0 after shutdown and exit, 1 when the client ended without a\n"
                           "shutdown (exit alone, input closed, client process gone, output unread),\n"
                           "64 for a usage error.\n";

} // namespace

ParsedLspOptions parseLspOptions(const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") return {false, kUsage, 0};
        if (arg == "--version") return {false, std::string("veltra-lsp ") + VELTRA_VERSION + "\n", 0};
        // Editors often start servers with --stdio; it is the only way here.
        if (arg == "--stdio") continue;
        return {false, std::string("veltra-lsp: unknown option\n") + kUsage, kUsageError};
    }
    return {true, {}, 0};
}

} // namespace veltra::lsp
