#pragma once
// The program speaks of its ports as COM1, COM2 and COM3, the names users and
// stored settings know; on this system each name stands for a device path.
// Paths are the file system's bytes, carried unchanged from the settings file
// to open(): a path is not text in any one encoding, and a decoded and
// re-encoded path may name nothing (a folder named in Windows-1251 bytes, or
// in UTF-8 read as Windows-1251).

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

namespace veltra {

// The names the program knows, and the device each stands for until the
// settings' [PORTS] section says otherwise.
constexpr std::array<const char*, 3> kPortNames = {"COM1", "COM2", "COM3"};
constexpr std::array<const char*, 3> kDefaultPortDevices = {"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2"};

struct PortMap {
    QByteArray com1 = kDefaultPortDevices[0];
    QByteArray com2 = kDefaultPortDevices[1];
    QByteArray com3 = kDefaultPortDevices[2];
};

// The device path of "COM1", "COM2" or "COM3" (exact, case-sensitive);
// nothing for any other name.
std::optional<QByteArray> portDevicePath(const PortMap& map, const QString& portName);

// True for exactly "COM1", "COM2" and "COM3".
bool isKnownPortName(const QString& portName);

} // namespace veltra
