#pragma once
// Says, in plain Russian, why a serial device could not be opened and what the
// user can do about it: a missing device (with the devices that are there), no
// permission (the device's group and how to join it, or that joining would not
// help), a port held by another program (its name and PID), and the known
// culprits when they are seen running: ModemManager probing ttyACM devices,
// brltty taking CH341 adapters. The system's own reason (strerror) is not
// repeated here; the caller shows it.

#include <QByteArray>
#include <QStringList>

#include "ports/PermissionAdvice.h"
#include "ports/SystemRoots.h"

namespace veltra {

// The cause and the remedy for an open of `path` that failed with `err`, a
// line each ("Причина: ...", "Что делать: ..."), then a line per culprit seen.
// Empty when there is nothing to add to the system's reason.
QStringList diagnoseOpenFailure(const QByteArray& path, int err, const SystemRoots& roots = {},
                                const UserIdentity& user = UserIdentity::current());

enum class PortAccess { Usable, Missing, Denied, Busy };

struct AccessReport {
    PortAccess access = PortAccess::Usable;
    QStringList problem; // the doctor's lines; culprits may be named even for a usable port
};

// Whether this user could open `path` now, found without opening it (opening
// a serial port can reset the board behind it): the device's existence, the
// user's rights, the processes that hold it.
AccessReport checkAccess(const QByteArray& path, const SystemRoots& roots = {},
                         const UserIdentity& user = UserIdentity::current());

} // namespace veltra
