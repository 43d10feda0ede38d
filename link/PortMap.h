#pragma once
// The program speaks of its ports as COM1, COM2 and COM3, the names users and
// stored settings know; on this system each name stands for a device path.

#include <QString>

#include <optional>

namespace veltra {

struct PortMap {
    QString com1 = QStringLiteral("/dev/ttyS0");
    QString com2 = QStringLiteral("/dev/ttyS1");
    QString com3 = QStringLiteral("/dev/ttyS2");
};

// The device path of "COM1", "COM2" or "COM3" (exact, case-sensitive);
// nothing for any other name.
std::optional<QString> portDevicePath(const PortMap& map, const QString& portName);

// True for exactly "COM1", "COM2" and "COM3".
bool isKnownPortName(const QString& portName);

} // namespace veltra
