// veltra-board: a simulated board on a pseudo-terminal, for trying the editor
// without hardware and for tests.

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "tools/veltra-board/BoardOptions.h"
#include "tools/veltra-board/BoardSession.h"
#include "tools/veltra-board/PtyEndpoint.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void onStopSignal(int) {
    stopRequested = 1;
}

} // namespace

int main(int argc, char** argv) {
    using namespace veltra::board_sim;
    auto parsed = parseBoardOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        (parsed.exitCode == 0 ? std::cout : std::cerr) << parsed.message;
        return parsed.exitCode;
    }
    const BoardOptions& options = *parsed.options;

    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    PtyEndpoint pty;
    std::string error;
    if (!pty.open(error) || (!options.linkPath.empty() && !pty.link(options.linkPath, error))) {
        std::cerr << "veltra-board: " << error << '\n';
        return 1;
    }
    std::printf("%s\n", pty.slavePath().c_str());
    std::fflush(stdout);

    EchoResponder responder(options.echo);
    BoardSession session(pty.masterFd(), responder, options, std::cerr);
    session.run(stopRequested);
    pty.unlink();
    return 0;
}
