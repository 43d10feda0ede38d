// libFuzzer target: the command lines of the tools. The input, cut at its
// NUL bytes, is the argument list (an argument holds no NUL), and goes to
// each tool's own parser in turn: veltra-check, veltra-board, veltra-link,
// veltra-ports and veltra-lsp. (The editor takes no options of its own: its
// first argument is the file it opens.) Besides crashes and sanitizer
// reports it traps when a parser breaks its promises: it either gives
// options that hold together or a message and the exit code of help (0) or
// of a usage error (64); a message is visible text in whole lines, whatever
// the arguments held, since it goes to a terminal.

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "os/ShownName.h"
#include "tests/fuzz/Require.h"
#include "tools/veltra-board/BoardOptions.h"
#include "tools/veltra-check/CheckOptions.h"
#include "tools/veltra-link/LinkOptions.h"
#include "tools/veltra-lsp/LspOptions.h"
#include "tools/veltra-ports/PortsOptions.h"

namespace {

using veltra::fuzz::require;

// Characters a terminal acts on or that hide or reorder text, as the
// programs' escaping takes them.
bool hidden(char32_t c) {
    return (c < 0x20 && c != U'\n') || (c >= 0x7F && c <= 0x9F) || c == 0x061C ||
           (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) || (c >= 0x2060 && c <= 0x206F) ||
           c == 0xFEFF;
}

void checkMessage(const std::string& message, int exitCode) {
    require(exitCode == 0 || exitCode == 64);
    require(!message.empty() && message.back() == '\n' && veltra::isUtf8(message));
    for (const char32_t c : QString::fromStdString(message).toStdU32String())
        require(!hidden(c));
}

void checkCheck(const std::vector<std::string>& args) {
    using namespace veltra::check;
    const ParsedCommandLine parsed = parseCheckOptions(args);
    if (!parsed.options) return checkMessage(parsed.message, parsed.exitCode);
    const CheckOptions& o = *parsed.options;
    if (o.mode == Mode::Files) {
        require(!o.files.empty() && (o.format != Format::Text || o.files.size() == 1));
        require(!(o.listing && o.format == Format::Gcc));
    } else {
        require(o.files.empty() && o.format == Format::Text && !o.listing);
    }
}

void checkBoard(const std::vector<std::string>& args) {
    using namespace veltra::board_sim;
    const ParsedOptions parsed = parseBoardOptions(args);
    if (!parsed.options) return checkMessage(parsed.message, parsed.exitCode);
    const BoardOptions& o = *parsed.options;
    require(o.delayMs >= 0 && o.delayMs <= 60000 && o.besideWidth >= 0 && o.besideWidth <= 100000);
    require(o.besideWidth == 0 || o.view);
    require(o.tracePath.empty() == (o.traceWords == 0) && o.traceWords >= 0 && o.traceWords <= 10000000);
    require(o.scenarioPath.empty() || args.size() == 2);
    require(o.tracePath.empty() || args.size() == 3);
    require(!o.echoOnly || (!o.printState && !o.view && o.memoryPath.empty()));
}

void checkLink(const std::vector<std::string>& args) {
    using namespace veltra::linktool;
    const ParsedLinkOptions parsed = parseLinkOptions(args);
    if (!parsed.options) return checkMessage(parsed.message, parsed.exitCode);
    const LinkOptions& o = *parsed.options;
    for (const std::string& port : o.ports)
        require(!port.empty());
    require(!o.watch || o.command == Command::Status);
    require(!o.utf8 || o.command == Command::Upload);
    require(o.command == Command::Console || o.commands.empty());
    require(o.command == Command::Upload || o.file.empty());
}

void checkPorts(const std::vector<std::string>& args) {
    const veltra::ParsedPortsOptions parsed = veltra::parsePortsOptions(args);
    if (!parsed.options) checkMessage(parsed.message, parsed.exitCode);
}

void checkLsp(const std::vector<std::string>& args) {
    const veltra::lsp::ParsedLspOptions parsed = veltra::lsp::parseLspOptions(args);
    if (!parsed.serve) checkMessage(parsed.message, parsed.exitCode);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (std::size_t at = 0; size > 0 && at <= text.size();) {
        const std::size_t end = std::min(text.find('\0', at), text.size());
        args.emplace_back(text.substr(at, end - at));
        at = end + 1;
    }
    checkCheck(args);
    checkBoard(args);
    checkLink(args);
    checkPorts(args);
    checkLsp(args);
    return 0;
}
