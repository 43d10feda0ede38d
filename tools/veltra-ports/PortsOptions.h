#pragma once
// The command line of veltra-ports: the report for people, or --json for
// scripts.

#include <optional>
#include <string>
#include <vector>

namespace veltra {

struct PortsOptions {
    bool json = false;
};

struct ParsedPortsOptions {
    std::optional<PortsOptions> options; // nothing: print `message` and exit with `exitCode`
    std::string message;                 // for standard output when `exitCode` is 0, else for standard error
    int exitCode = 0;                    // 0 for --help, 64 for a usage error
};

ParsedPortsOptions parsePortsOptions(const std::vector<std::string>& args);

} // namespace veltra
