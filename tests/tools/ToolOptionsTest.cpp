// The tools' command lines: an argument that is not understood is named in
// the usage error as one line of visible text, whatever bytes it holds,
// since the message goes to a terminal.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/veltra-board/BoardOptions.h"
#include "tools/veltra-check/CheckOptions.h"
#include "tools/veltra-link/LinkOptions.h"
#include "tools/veltra-ports/PortsOptions.h"

namespace veltra {
namespace {

struct Parsed {
    std::string message;
    int exitCode;
};

template <typename Result> Parsed parsed(const Result& result) {
    return {result.message, result.exitCode};
}

TEST(ToolOptions, AnArgumentNotUnderstoodIsNamedEscaped) {
    const std::string clear = "\x1b[2J";
    const struct {
        const char* what;
        Parsed parsed;
        std::string shown;
    } cases[] = {
        {"veltra-check, an option", parsed(check::parseCheckOptions({"--" + clear})), "--\\e[2J"},
        {"veltra-check, a format", parsed(check::parseCheckOptions({"--format=a\nb", "f.txt"})), "a\\nb"},
        {"veltra-board", parsed(board_sim::parseBoardOptions({"--" + clear})), "--\\e[2J"},
        {"veltra-link", parsed(linktool::parseLinkOptions({clear})), "\\e[2J"},
        {"veltra-ports", parsed(parsePortsOptions({"--" + clear})), "--\\e[2J"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.parsed.exitCode, 64) << c.what;
        const std::string first = c.parsed.message.substr(0, c.parsed.message.find('\n'));
        EXPECT_NE(first.find(c.shown), std::string::npos) << c.what << ": " << first;
        EXPECT_EQ(c.parsed.message.find('\x1b'), std::string::npos) << c.what;
    }
}

} // namespace
} // namespace veltra
