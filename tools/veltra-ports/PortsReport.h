#pragma once
// What veltra-ports prints: every serial device with its stable name, its
// description and whether this user can open it (and if not, why), as text
// for people or as JSON for scripts (the format is in README.md).

#include <QByteArray>
#include <QString>

#include <vector>

#include "ports/PortDoctor.h"
#include "ports/SerialLister.h"

namespace veltra {

struct PortEntry {
    SerialPortInfo port;
    AccessReport access;
};

// The devices of `ports`, each with its access found now.
std::vector<PortEntry> surveyPorts(std::vector<SerialPortInfo> ports, const SystemRoots& roots = {});

QByteArray portsJson(const std::vector<PortEntry>& entries);
QString portsText(const std::vector<PortEntry>& entries);

} // namespace veltra
