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

#include "PortsReport.h"
#include "os/ShownName.h"

namespace {

constexpr int kListed = 0;
constexpr int kFailed = 2;
constexpr int kUsageError = 64; // EX_USAGE, as veltra-check

const char* const kUsage = "usage: veltra-ports [--json]\n";

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
    bool json = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--json") {
            json = true;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return kListed;
        } else {
            std::fprintf(stderr, "veltra-ports: unknown option %s\n%s", veltra::escapedName(argv[i]).c_str(), kUsage);
            return kUsageError;
        }
    }
    try {
        return run(json);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "veltra-ports: %s\n", e.what());
        return kFailed;
    }
}
