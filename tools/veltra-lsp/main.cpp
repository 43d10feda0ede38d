// veltra-lsp: the board language in any editor that speaks the language
// server protocol (3.17): the check's errors as the program is typed, the
// language help on a word, completion, labels (definition, references,
// rename, outline) and the editor's colouring as semantic tokens.
//
//   veltra-lsp [--stdio]   serve on standard input and output
//   veltra-lsp --help | --version
//
// Exit code: 0 after the client's shutdown and exit; 1 when the client
// ended without shutdown (exit alone, the input closed, its process gone, the
// output no longer read); 64 for a usage error.

#include <cstdio>
#include <cstring>

#include "tools/veltra-lsp/ServerLoop.h"

namespace {

constexpr int kUsageError = 64; // EX_USAGE, as veltra-check

const char* const kUsage =
    "usage: veltra-lsp [--stdio]\n"
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

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("veltra-lsp %s\n", VELTRA_VERSION);
            return 0;
        }
        // Editors often start servers with --stdio; it is the only way here.
        if (std::strcmp(argv[i], "--stdio") == 0) continue;
        std::fprintf(stderr, "veltra-lsp: unknown option\n%s", kUsage);
        return kUsageError;
    }
    return veltra::lsp::runServer(0, 1);
}
