// veltra-board: a simulated board on a pseudo-terminal, for trying the editor
// without hardware and for tests; or, with --scenario, a scripted run of a
// program on a virtual clock; or, with --trace, the words a program executes.

#include <QApplication>
#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "board/view/BoardView.h"
#include "os/StopSignals.h"
#include "tools/veltra-board/BesideEditor.h"
#include "tools/veltra-board/BoardOptions.h"
#include "tools/veltra-board/BoardSession.h"
#include "tools/veltra-board/ProgramTrace.h"
#include "tools/veltra-board/PtyEndpoint.h"
#include "tools/veltra-board/ScenarioRun.h"
#include "tools/veltra-board/VirtualBoard.h"

namespace {

// Without a display Qt would abort with its own message; say what is missing instead.
bool windowSystemReachable() {
    return std::getenv("QT_QPA_PLATFORM") || std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
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
    if (!options.scenarioPath.empty()) return runScenarioFile(options.scenarioPath, std::cout, std::cerr);
    if (!options.tracePath.empty())
        return runTrace(options.tracePath, options.traceWords, std::cout, std::cerr);
    if (options.view && !windowSystemReachable()) {
        std::cerr << "veltra-board: --view needs a display (DISPLAY or WAYLAND_DISPLAY is not set)\n";
        return 1;
    }

    // Only the window needs the GUI; without it the simulator runs where no display is.
    std::unique_ptr<QCoreApplication> app;
    if (options.view)
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);

    std::string error;
    veltra::StopSignals stop;
    if (!stop.install(error)) {
        std::cerr << "veltra-board: " << error << '\n';
        return 1;
    }
    QObject::connect(&stop, &veltra::StopSignals::stopRequested, app.get(), &QCoreApplication::quit);
    std::signal(SIGPIPE, SIG_IGN);

    PtyEndpoint pty;
    if (!pty.open(error) || (!options.linkPath.empty() && !pty.link(options.linkPath, error))) {
        std::cerr << "veltra-board: " << error << '\n';
        return 1;
    }
    std::printf("%s\n", pty.slavePath().c_str());
    std::fflush(stdout);

    if (options.echoOnly) {
        EchoResponder responder(options.echo);
        BoardSession session(pty.masterFd(), responder, options, std::cerr);
        app->exec();
    } else {
        VirtualBoard board(options, std::cerr, options.printState ? &std::cout : nullptr);
        board.powerOn();
        BoardSession session(pty.masterFd(), board.responder(), options, std::cerr);
        std::unique_ptr<veltra::BoardView> view;
        if (options.view) {
            view = std::make_unique<veltra::BoardView>(board.model());
            const std::string& name = options.linkPath.empty() ? pty.slavePath() : options.linkPath;
            view->setWindowTitle(view->windowTitle() + QStringLiteral(" — ") + QString::fromStdString(name));
            // The view owns its keeper.
            if (options.besideWidth > 0) keepBesideEditor(*view, options.besideWidth, std::cerr);
            view->show();
        }
        app->exec();
    }
    pty.unlink();
    return 0;
}
