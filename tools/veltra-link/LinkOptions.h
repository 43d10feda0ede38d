#pragma once
// The command line of veltra-link: a command (upload, console, status), the
// boards it runs on (--port, as often as there are boards), and how it tells
// its results (text, or --json).

#include <optional>
#include <string>
#include <vector>

namespace veltra::linktool {

// Exit codes, the same for every command (--help, README, manual page).
constexpr int kExitOk = 0;            // every board did what was asked
constexpr int kExitBoard = 1;         // a board refused or did not answer
constexpr int kExitCheck = 2;         // the program failed its check (nothing was sent)
constexpr int kExitPort = 3;          // a port could not be opened
constexpr int kExitUsage = 64;        // EX_USAGE, as the other tools
constexpr int kExitInterrupted = 130; // Ctrl+C (or SIGTERM, SIGHUP): 128 + SIGINT, as shells report it

enum class Command { Upload, Console, Status };

struct LinkOptions {
    Command command = Command::Upload;
    std::vector<std::string> ports; // as given: COM1..COM3 or device paths; empty: the configured port
    std::string settingsPath;       // --settings: another Veltra.ini
    bool utf8 = false;              // --utf8: FILE is UTF-8
    bool json = false;
    bool watch = false;                // status --watch
    std::string file;                  // upload FILE ("-": standard input)
    std::vector<std::string> commands; // console COMMAND...; none: standard input
};

struct ParsedLinkOptions {
    std::optional<LinkOptions> options; // nothing: print `message`, exit with `exitCode`
    std::string message;
    int exitCode = 0;
};

ParsedLinkOptions parseLinkOptions(const std::vector<std::string>& args);

} // namespace veltra::linktool
