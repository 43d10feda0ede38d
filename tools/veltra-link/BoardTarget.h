#pragma once
// Which board a --port names, resolved as the editor resolves its port: COM1,
// COM2 and COM3 stand for the devices of Veltra.ini's [PORTS] (the editor's
// file, or --settings FILE), and the default is the editor's own PORT_NAME.
// Any other name is a device path, which the link opens as it would open
// COM1 (the link's procedures know only those three names).

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>
#include <vector>

#include "files/PortMap.h"

namespace veltra::linktool {

struct BoardTarget {
    QByteArray given;    // the port as the user named it (or the configured name)
    PortMap ports;       // the map the link opens it with
    QString name;        // COM1..COM3
    bool byPath = false; // named by a device path, not by a COM name

    // The device the name stands for, and the node it leads to now (for the
    // results; the link itself opens the path).
    QByteArray devicePath() const;
    QByteArray deviceNode() const;
};

struct ResolvedTargets {
    std::vector<BoardTarget> targets;
    std::string error; // why not (a settings file that cannot be read), for standard error
};

// `settingsPath` empty: the editor's Veltra.ini, which is not created when it
// is missing (every key then has its default, as for the editor).
ResolvedTargets resolveTargets(const std::vector<std::string>& ports, const std::string& settingsPath);

} // namespace veltra::linktool
