#pragma once
// The serial devices present now, read from sysfs and the device folder: USB
// adapters under their stable /dev/serial/by-id name with what their USB
// descriptors say, ttyACM and ttyUSB devices without one, on-board UARTs that
// really exist, and the device folder's own links to them (a udev rule's
// fixed name). Apart from those, links to pseudo-terminals (the virtual
// board's --link).
// Nothing is opened: opening a serial port can reset the board behind it.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

#include "ports/SystemRoots.h"

namespace veltra {

enum class PortKind { UsbAdapter, UsbModem, OnBoardUart, VirtualBoard };

struct SerialPortInfo {
    QByteArray path;    // what is stored and opened: the stable name when there is one
    QByteArray node;    // the device node it leads to ("/dev/ttyUSB0", "/dev/pts/3")
    QString kernelName; // "ttyUSB0", "pts/3"
    PortKind kind = PortKind::OnBoardUart;
    QString driver; // "ch341-uart", "cdc_acm", "serial8250", ...
    // From the USB device's descriptors; empty for other kinds.
    QString manufacturer, product, serial, vendorId, productId;

    // One line for people, in Russian: "QinHeng Electronics USB Serial, № 1234 (ttyUSB0)".
    QString description() const;
};

struct PortListing {
    // USB adapters, USB modems, UARTs; by path within each. A device with a
    // fixed name of its own is listed under that name as well.
    std::vector<SerialPortInfo> ports;
    QString error;                     // why nothing could be listed; empty when listing worked
};

PortListing listSerialPorts(const SystemRoots& roots = {});

// Symbolic links that lead to a pseudo-terminal under the device folder's
// pts/, taken from `candidates` (paths that may or may not be such links) and
// from the entries of `folders` (not their subfolders). Each link once.
std::vector<SerialPortInfo> findBoardLinks(const QList<QByteArray>& candidates, const QStringList& folders,
                                           const SystemRoots& roots = {});

// The port among `ports` whose device `path` leads to (the same node), or null.
const SerialPortInfo* portLeadingTo(const std::vector<SerialPortInfo>& ports, const QByteArray& path);

// The device node a path leads to once every link is followed; empty when it leads nowhere.
QByteArray resolvedNode(const QByteArray& path);

} // namespace veltra
