#include "tools/veltra-ports/PortsOptions.h"

#include "os/ShownName.h"

namespace veltra {

namespace {

constexpr int kUsageError = 64; // EX_USAGE, as veltra-check

const char* const kUsage = "usage: veltra-ports [--json]\n";

} // namespace

ParsedPortsOptions parsePortsOptions(const std::vector<std::string>& args) {
    PortsOptions options;
    for (const std::string& arg : args) {
        if (arg == "--json") {
            options.json = true;
        } else if (arg == "--help" || arg == "-h") {
            return {std::nullopt, kUsage, 0};
        } else {
            return {std::nullopt, "veltra-ports: unknown option " + escapedName(arg) + "\n" + kUsage,
                    kUsageError};
        }
    }
    return {options, {}, 0};
}

} // namespace veltra
