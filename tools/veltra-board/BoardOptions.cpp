#include "tools/veltra-board/BoardOptions.h"

#include <cstdlib>

namespace veltra::board_sim {

namespace {

constexpr int kUsageError = 64;

const char* kUsage = "usage: veltra-board [--link PATH] [--silent] [--reject CODE]... [--memory-fail]\n"
                     "                    [--delay MS] [--noise]\n"
                     "A simulated board on a pseudo-terminal. Prints the terminal's path on the first\n"
                     "line, then answers every request frame with its code and status 0.\n"
                     "  --link PATH     keep a symlink PATH to the terminal while running\n"
                     "  --silent        answer nothing\n"
                     "  --reject CODE   answer requests with this code (0x25 or 37) with status 1\n"
                     "  --memory-fail   answer 0x24, 0x30 and 0x31 with status 0x10\n"
                     "  --delay MS      answer MS milliseconds late\n"
                     "  --noise         put random bytes on the line between answers\n"
                     "Received frames are logged in hex on standard error. Stop with Ctrl+C.\n";

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
        } else if (arg == "--link") {
            auto path = value();
            if (!path || path->empty()) return usageError("--link needs a path");
            options.linkPath = *path;
        } else if (arg == "--reject") {
            auto text = value();
            auto code = text ? number(*text, 255) : std::nullopt;
            if (!code) return usageError("--reject needs a request code from 0 to 255");
            options.echo.rejected.insert(static_cast<std::uint8_t>(*code));
        } else if (arg == "--delay") {
            auto text = value();
            auto ms = text ? number(*text, 60000) : std::nullopt;
            if (!ms) return usageError("--delay needs milliseconds from 0 to 60000");
            options.delayMs = static_cast<int>(*ms);
        } else {
            return usageError("unknown option: " + arg);
        }
    }
    return {options, {}, 0};
}

} // namespace veltra::board_sim
