#include "tools/veltra-check/CheckOptions.h"

#include <string_view>

#include "os/ShownName.h"

namespace veltra::check {

namespace {

constexpr int kUsageError = 64; // EX_USAGE

const char* const kUsage =
    "usage: veltra-check [--utf8] FILE    check a program file (Windows-1251, or UTF-8 with --utf8\n"
    "                                     or when it is valid UTF-8; \"-\" reads standard input)\n"
    "       veltra-check [--utf8] --json FILE...          one JSON object per file, one per line\n"
    "       veltra-check [--utf8] --format=gcc FILE...    FILE:LINE: error: MESSAGE for each failing file\n"
    "       veltra-check [--utf8] --listing FILE          each word: index, hex word, source line and text\n"
    "       veltra-check [--utf8] --json --listing FILE...  the JSON objects with a \"listing\" array\n"
    "       veltra-check --line TEXT          compile one program line\n"
    "       veltra-check --console-line TEXT  compile one console line\n"
    "Exit code: the check's value (0; 1, 2, 3, 5), the highest of all files; 64 usage,\n"
    "66 a file that cannot be read or is larger than 16 MiB, 71 out of memory,\n"
    "74 output that cannot be written.\n";

ParsedCommandLine usageError(const std::string& why) {
    return {std::nullopt, "veltra-check: " + why + "\n" + kUsage, kUsageError};
}

std::optional<Format> formatNamed(std::string_view name) {
    if (name == "text") return Format::Text;
    if (name == "json") return Format::Json;
    if (name == "gcc") return Format::Gcc;
    return std::nullopt;
}

} // namespace

ParsedCommandLine parseCheckOptions(const std::vector<std::string>& args) {
    CheckOptions options;
    bool formatGiven = false;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (!isOption) {
            options.files.emplace_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            return {std::nullopt, kUsage, 0};
        } else if (arg == "--utf8") {
            options.encoding = TextEncoding::Utf8;
        } else if (arg == "--listing") {
            options.listing = true;
        } else if (arg == "--json" || arg.starts_with("--format=")) {
            const auto format = arg == "--json" ? Format::Json : formatNamed(arg.substr(9));
            if (!format) return usageError("unknown format " + escapedName(arg.substr(9)));
            options.format = *format;
            formatGiven = true;
        } else if (arg == "--line" || arg == "--console-line") {
            if (options.mode != Mode::Files) return usageError("only one line can be compiled at a time");
            if (i + 1 >= args.size()) return usageError(std::string(arg) + " needs a TEXT");
            options.mode = arg == "--line" ? Mode::ProgramLine : Mode::ConsoleLine;
            options.lineText = args[++i];
        } else {
            return usageError("unknown option " + escapedName(arg));
        }
    }

    if (options.mode != Mode::Files) {
        if (!options.files.empty()) return usageError("--line and --console-line take exactly one TEXT");
        if (formatGiven || options.listing)
            return usageError("--line and --console-line print their own format");
        return {options, {}, 0};
    }
    if (options.files.empty()) return usageError("no FILE given");
    if (options.listing && options.format == Format::Gcc)
        return usageError("--listing goes with the text or JSON output");
    // The plain format is one message and a word list: it cannot tell files apart.
    if (options.format == Format::Text && options.files.size() > 1)
        return usageError("only one FILE can be checked at a time (--json and --format=gcc take several)");
    return {options, {}, 0};
}

} // namespace veltra::check
