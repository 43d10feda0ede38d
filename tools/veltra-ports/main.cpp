// veltra-ports: lists the serial devices with their stable names, what they
// are, and whether this user can open them (and if not, why).
//
//   veltra-ports          for people
//   veltra-ports --json   for scripts (the format is in README.md)
//
// Exit code: 0 when the devices could be listed (also when there are none),
// 2 when they could not (sysfs unreadable, an internal failure), 64 for a
// usage error. Nothing is opened: opening a serial port may reset the board.

#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "PortsReport.h"
#include "os/ShownName.h"
#include "tools/veltra-ports/PortsOptions.h"

namespace {

constexpr int kListed = 0;
constexpr int kFailed = 2;

int run(bool json) {
    using namespace veltra;
    const PortListing listing = listSerialPorts();
    if (!listing.error.isEmpty()) {
        std::fprintf(stderr, "veltra-ports: cannot list serial devices: %s\n",
                     qUtf8Printable(shownName(listing.error.toUtf8())));
        return kFailed;
    }
    std::vector<SerialPortInfo> ports = listing.ports;
    // A virtual board started beside the tools keeps its link here or one folder up.
    QDir folder(QCoreApplication::applicationDirPath());
    QStringList folders{folder.absolutePath()};
    if (folder.cdUp()) folders << folder.absolutePath();
    for (SerialPortInfo& link : findBoardLinks({}, folders))
        ports.push_back(std::move(link));

    const std::vector<PortEntry> entries = surveyPorts(std::move(ports));
    const QByteArray out = json ? portsJson(entries) : portsText(entries).toUtf8();
    std::fwrite(out.constData(), 1, std::size_t(out.size()), stdout);
    return std::fflush(stdout) == 0 ? kListed : kFailed;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const veltra::ParsedPortsOptions parsed =
        veltra::parsePortsOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::fputs(parsed.message.c_str(), parsed.exitCode == 0 ? stdout : stderr);
        return parsed.exitCode;
    }
    try {
        return run(parsed.options->json);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "veltra-ports: %s\n", e.what());
        return kFailed;
    }
}
