#pragma once
// The program speaks of its ports as COM1, COM2 and COM3, the names users and
// stored settings know; on this system each name stands for a device path.

#include <QString>

#include <array>
#include <optional>

namespace veltra {

// The names the program knows, and the device each stands for until the
// settings' [PORTS] section says otherwise.
constexpr std::array<const char*, 3> kPortNames = {"COM1", "COM2", "COM3"};
constexpr std::array<const char*, 3> kDefaultPortDevices = {"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2"};

struct PortMap {
    QString com1 = QString::fromLatin1(kDefaultPortDevices[0]);
    QString com2 = QString::fromLatin1(kDefaultPortDevices[1]);
    QString com3 = QString::fromLatin1(kDefaultPortDevices[2]);
};

// The device path of "COM1", "COM2" or "COM3" (exact, case-sensitive);
// nothing for any other name.
std::optional<QString> portDevicePath(const PortMap& map, const QString& portName);

// True for exactly "COM1", "COM2" and "COM3".
bool isKnownPortName(const QString& portName);

} // namespace veltra
