#include "link/PortMap.h"

namespace veltra {

std::optional<QByteArray> portDevicePath(const PortMap& map, const QString& portName) {
    if (portName == QLatin1String("COM1")) return map.com1;
    if (portName == QLatin1String("COM2")) return map.com2;
    if (portName == QLatin1String("COM3")) return map.com3;
    return std::nullopt;
}

bool isKnownPortName(const QString& portName) {
    return portDevicePath(PortMap{}, portName).has_value();
}

} // namespace veltra
