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
#include <string>
#include <vector>

#include "tools/veltra-lsp/LspOptions.h"
#include "tools/veltra-lsp/ServerLoop.h"

int main(int argc, char** argv) {
    const veltra::lsp::ParsedLspOptions parsed =
        veltra::lsp::parseLspOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.serve) {
        std::fputs(parsed.message.c_str(), parsed.exitCode == 0 ? stdout : stderr);
        return parsed.exitCode;
    }
    return veltra::lsp::runServer(0, 1);
}
