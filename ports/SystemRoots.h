#pragma once
// Where the serial-port lister, the port doctor and the device watcher read
// the system's facts: sysfs, the device folder and the process table. The
// program always uses the real ones; tests point them at a fake tree in a
// temporary folder, which is why they are parameters and never a user option.

#include <QString>

namespace veltra {

struct SystemRoots {
    QString sys = QStringLiteral("/sys");
    QString dev = QStringLiteral("/dev");
    QString proc = QStringLiteral("/proc");

    // The machine's own tree (udev speaks only of that one).
    bool isRealSystem() const { return sys == SystemRoots{}.sys && dev == SystemRoots{}.dev; }
};

} // namespace veltra
