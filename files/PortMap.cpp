#include "files/PortMap.h"

namespace veltra {

std::optional<QByteArray> portDevicePath(const PortMap& map, const QString& portName) {
    if (portName == QLatin1String(kPortNames[0])) return map.com1;
    if (portName == QLatin1String(kPortNames[1])) return map.com2;
    if (portName == QLatin1String(kPortNames[2])) return map.com3;
    return std::nullopt;
}

bool isKnownPortName(const QString& portName) {
    return portDevicePath(PortMap{}, portName).has_value();
}

} // namespace veltra
