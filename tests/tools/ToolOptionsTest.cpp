// The tools' command lines: an argument that is not understood is named in
// the usage error as one line of visible text, whatever bytes it holds,
// since the message goes to a terminal.

#include <gtest/gtest.h>

#include <functional>
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

TEST(ToolOptions, AnArgumentNotUnderstoodIsNamedEscaped) {
    const std::string clear = "\x1b[2J";
    const struct {
        const char* what;
        std::function<Parsed()> parse;
        std::string shown;
    } cases[] = {
        {"veltra-check, an option",
         [&] {
             auto p = check::parseCheckOptions({"--" + clear});
             return Parsed{p.message, p.exitCode};
         },
         "--\\e[2J"},
        {"veltra-check, a format",
         [&] {
             auto p = check::parseCheckOptions({"--format=a\nb", "f.txt"});
             return Parsed{p.message, p.exitCode};
         },
         "a\\nb"},
        {"veltra-board",
         [&] {
             auto p = board_sim::parseBoardOptions({"--" + clear});
             return Parsed{p.message, p.exitCode};
         },
         "--\\e[2J"},
        {"veltra-link",
         [&] {
             auto p = linktool::parseLinkOptions({clear});
             return Parsed{p.message, p.exitCode};
         },
         "\\e[2J"},
        {"veltra-ports",
         [&] {
             auto p = parsePortsOptions({"--" + clear});
             return Parsed{p.message, p.exitCode};
         },
         "--\\e[2J"},
    };
    for (const auto& c : cases) {
        const Parsed parsed = c.parse();
        EXPECT_EQ(parsed.exitCode, 64) << c.what;
        const std::string first = parsed.message.substr(0, parsed.message.find('\n'));
        EXPECT_NE(first.find(c.shown), std::string::npos) << c.what << ": " << first;
        EXPECT_EQ(parsed.message.find('\x1b'), std::string::npos) << c.what;
    }
}

} // namespace
} // namespace veltra
