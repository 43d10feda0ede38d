// veltra-link: uploads, console commands and the link's health from the
// terminal, on one board or many at once, as the editor talks to a board.
//
//   veltra-link upload  [--port P]... [--utf8] [--json] FILE
//   veltra-link console [--port P]... [--json] [COMMAND...]
//   veltra-link status  [--port P]... [--json] [--watch]
//
// Exit code: 0 success; 1 a board refused or did not answer; 2 the program
// failed its check; 3 a port could not be opened; 64 usage; 66 FILE cannot be
// read; 130 ended by Ctrl+C. The usage text has the details.

#include <QCoreApplication>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/veltra-link/LinkOptions.h"
#include "tools/veltra-link/LinkTool.h"

int main(int argc, char** argv) {
    using namespace veltra::linktool;
    QCoreApplication app(argc, argv);
    const ParsedLinkOptions parsed = parseLinkOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::fputs(parsed.message.c_str(), parsed.exitCode == 0 ? stdout : stderr);
        return parsed.exitCode;
    }
    return runLinkTool(*parsed.options);
}
