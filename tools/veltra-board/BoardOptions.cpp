#include "tools/veltra-board/BoardOptions.h"

#include <cstdlib>

#include "os/ShownName.h"
#include "tools/veltra-board/ProgramTrace.h"

namespace veltra::board_sim {

namespace {

constexpr int kUsageError = 64;

const char* kUsage =
    "usage: veltra-board [--link PATH] [--memory FILE] [--state] [--view [--beside WIDTH]]\n"
    "                    [--silent] [--reject CODE]... [--memory-fail] [--delay MS] [--noise]\n"
    "       veltra-board --echo [--link PATH] [--silent] [--reject CODE]... [--memory-fail]\n"
    "                    [--delay MS] [--noise]\n"
    "       veltra-board --scenario FILE\n"
    "       veltra-board --trace N PROGRAM\n"
    "A simulated board on a pseudo-terminal. Prints the terminal's path on the first\n"
    "line. The board stores uploaded programs and runs them, executes console\n"
    "commands at once and keeps a non-volatile copy of its program.\n"
    "  --link PATH     keep a symlink PATH to the terminal while running\n"
    "  --memory FILE   the non-volatile copy (default: PATH.nv beside the link;\n"
    "                  without --link it lasts only while the simulator runs)\n"
    "  --state         print the board's state as one JSON line on standard output\n"
    "                  after every change\n"
    "  --view          show the board in a window (LEDs, ports, buttons 1, 2, 3)\n"
    "  --beside WIDTH  put that window left of a window WIDTH pixels wide centred\n"
    "                  on the screen (the editor), never over it, narrower where\n"
    "                  it must be; without room there, at the screen's left edge\n"
    "  --echo          no board: answer every request with its code and status 0\n"
    "  --silent        answer nothing and act on nothing\n"
    "  --reject CODE   answer requests with this code (0x25 or 37) with status 1,\n"
    "                  0x11 for uploads and memory requests as a refused upload,\n"
    "                  without acting on them\n"
    "  --memory-fail   answer 0x24, 0x30 and 0x31 with status 0x10, storing nothing\n"
    "  --delay MS      answer MS milliseconds late\n"
    "  --noise         put random bytes on the line between answers\n"
    "  --scenario FILE run the program FILE names on a virtual clock, without a\n"
    "                  terminal, and check what it expects (docs/scenarios.md);\n"
    "                  exit 0 when every expectation held, 1 when one failed,\n"
    "                  2 when the scenario or its program is wrong\n"
    "  --trace N PROGRAM  run the program file on a virtual clock with the buttons\n"
    "                  released and print its first N executed words, one a line:\n"
    "                  source line, word index, hex word, board time, line text;\n"
    "                  exit 0, or 2 when the program is wrong\n"
    "Received frames and what the board did are logged on standard error.\n"
    "Stop with Ctrl+C (or close the window).\n";

std::optional<long> number(const std::string& text, long max) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 0);
    if (*end != '\0' || value < 0 || value > max) return std::nullopt;
    return value;
}

ParsedOptions usageError(const std::string& what) {
    return {std::nullopt, what + "\n" + kUsage, kUsageError};
}

} // namespace

ParsedOptions parseBoardOptions(const std::vector<std::string>& args) {
    BoardOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) return std::nullopt;
            return args[++i];
        };
        if (arg == "--help" || arg == "-h") return {std::nullopt, kUsage, 0};
        if (arg == "--silent") {
            options.echo.silent = true;
        } else if (arg == "--memory-fail") {
            options.echo.memoryFail = true;
        } else if (arg == "--noise") {
            options.noise = true;
        } else if (arg == "--echo") {
            options.echoOnly = true;
        } else if (arg == "--state") {
            options.printState = true;
        } else if (arg == "--view") {
            options.view = true;
        } else if (arg == "--link") {
            auto path = value();
            if (!path || path->empty()) return usageError("--link needs a path");
            options.linkPath = *path;
        } else if (arg == "--memory") {
            auto path = value();
            if (!path || path->empty()) return usageError("--memory needs a file");
            options.memoryPath = *path;
        } else if (arg == "--scenario") {
            auto path = value();
            if (!path || path->empty()) return usageError("--scenario needs a file");
            options.scenarioPath = *path;
        } else if (arg == "--trace") {
            auto text = value();
            // 0 stands for a missing or wrong number, which is refused as 0 is.
            const auto count = text ? number(*text, kMaxTraceWords).value_or(0) : 0;
            auto path = value();
            if (count == 0 || !path || path->empty())
                return usageError("--trace needs a number of words from 1 to 10000000 and a program file");
            options.traceWords = count;
            options.tracePath = *path;
        } else if (arg == "--reject") {
            auto text = value();
            auto code = text ? number(*text, 255) : std::nullopt;
            if (!code) return usageError("--reject needs a request code from 0 to 255");
            options.echo.rejected.insert(static_cast<std::uint8_t>(*code));
        } else if (arg == "--beside") {
            auto text = value();
            auto width = text ? number(*text, 100000) : std::nullopt;
            if (!width || *width == 0) return usageError("--beside needs a width in pixels");
            options.besideWidth = static_cast<int>(*width);
        } else if (arg == "--delay") {
            auto text = value();
            auto ms = text ? number(*text, 60000) : std::nullopt;
            if (!ms) return usageError("--delay needs milliseconds from 0 to 60000");
            options.delayMs = static_cast<int>(*ms);
        } else {
            return usageError("unknown option: " + escapedName(arg));
        }
    }
    if (!options.scenarioPath.empty() && args.size() != 2)
        return usageError("--scenario runs alone: it has no terminal, window or line faults");
    if (!options.tracePath.empty() && args.size() != 3)
        return usageError("--trace runs alone: it has no terminal, window or line faults");
    if (options.besideWidth > 0 && !options.view) return usageError("--beside places the window of --view");
    if (options.echoOnly && (options.printState || options.view || !options.memoryPath.empty()))
        return usageError("--echo has no board: --state, --view and --memory need one");
    return {options, {}, 0};
}

std::string nonVolatilePath(const BoardOptions& options) {
    if (!options.memoryPath.empty()) return options.memoryPath;
    if (!options.linkPath.empty()) return options.linkPath + ".nv";
    return {};
}

} // namespace veltra::board_sim
