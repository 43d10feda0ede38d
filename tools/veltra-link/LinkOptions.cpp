#include "tools/veltra-link/LinkOptions.h"

#include <string_view>

#include "os/ShownName.h"

namespace veltra::linktool {

namespace {

const char* const kUsage =
    "usage: veltra-link upload  [--port P]... [--settings FILE] [--utf8] [--json] FILE\n"
    "       veltra-link console [--port P]... [--settings FILE] [--json] [COMMAND...]\n"
    "       veltra-link status  [--port P]... [--settings FILE] [--json] [--watch]\n"
    "Talks to Veltra boards as the editor does, without the editor.\n"
    "  upload FILE      check FILE (Windows-1251, or UTF-8 with --utf8 or when it is\n"
    "                   valid UTF-8; \"-\" reads standard input) and upload it, printing\n"
    "                   the upload window's log\n"
    "  console COMMAND  run console commands ('>' added where missing), printing each\n"
    "                   outcome; stops at the first that is not \" OK\". Without\n"
    "                   COMMAND, one command a line from standard input, or a prompt\n"
    "                   with history when standard input is a terminal\n"
    "  status           poll the board for a second and print the link's health:\n"
    "                   polls, replies, round trip, errors, timeouts, losses, reconnects\n"
    "  --port P         COM1, COM2 or COM3 (their devices from Veltra.ini, as the\n"
    "                   editor has them) or a device path; default: the editor's port.\n"
    "                   Given several times, every board runs at once, each on its\n"
    "                   own link, and a table of the results follows\n"
    "  --settings FILE  read the ports from FILE instead of the editor's Veltra.ini\n"
    "  --utf8           FILE is UTF-8\n"
    "  --json           one JSON object per board (port, device, ok, outcome, status,\n"
    "                   timings, health)\n"
    "  --watch          status: print the health once a second until Ctrl+C\n"
    "Exit code: 0 every board succeeded; 1 a board refused or did not answer;\n"
    "2 the program failed its check; 3 a port could not be opened (why, on\n"
    "standard error); 64 usage; 66 FILE cannot be read; 130 ended by Ctrl+C.\n"
    "Ctrl+C ends at any moment, with every port's line settings restored and\n"
    "its lock released.\n";

ParsedLinkOptions usageError(const std::string& why) {
    return {std::nullopt, "veltra-link: " + why + "\n" + kUsage, kExitUsage};
}

std::optional<Command> commandNamed(std::string_view name) {
    if (name == "upload") return Command::Upload;
    if (name == "console") return Command::Console;
    if (name == "status") return Command::Status;
    return std::nullopt;
}

} // namespace

ParsedLinkOptions parseLinkOptions(const std::vector<std::string>& args) {
    LinkOptions options;
    std::optional<Command> command;
    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) return std::nullopt;
            return args[++i];
        };
        if (!isOption) {
            if (!command) {
                command = commandNamed(arg);
                if (!command) return usageError("unknown command " + escapedName(arg));
            } else {
                operands.emplace_back(arg);
            }
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            return {std::nullopt, kUsage, kExitOk};
        } else if (arg == "--port" || arg == "--settings") {
            const auto given = value();
            if (!given || given->empty()) return usageError(std::string(arg) + " needs a value");
            if (arg == "--port") {
                options.ports.push_back(*given);
            } else {
                options.settingsPath = *given;
            }
        } else if (arg == "--utf8") {
            options.utf8 = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--watch") {
            options.watch = true;
        } else {
            return usageError("unknown option " + escapedName(arg));
        }
    }
    if (!command) return usageError("no command given (upload, console or status)");
    options.command = *command;
    switch (options.command) {
    case Command::Upload:
        if (operands.size() != 1) return usageError("upload takes exactly one FILE");
        options.file = operands.front();
        break;
    case Command::Console:
        options.commands = operands;
        break;
    case Command::Status:
        if (!operands.empty()) return usageError("status takes no operands");
        break;
    }
    if (options.watch && options.command != Command::Status) return usageError("--watch is for status");
    if (options.utf8 && options.command != Command::Upload) return usageError("--utf8 is for upload");
    return {options, {}, kExitOk};
}

} // namespace veltra::linktool
