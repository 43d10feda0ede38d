#include "PortsReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "os/ShownName.h"

namespace veltra {

namespace {

// The words scripts match on; they never change with the language.
const char* kindWord(PortKind kind) {
    switch (kind) {
    case PortKind::UsbAdapter:
        return "usb";
    case PortKind::UsbModem:
        return "usb-modem";
    case PortKind::OnBoardUart:
        return "uart";
    case PortKind::VirtualBoard:
        return "virtual-board";
    }
    return "unknown";
}

const char* accessWord(PortAccess access) {
    switch (access) {
    case PortAccess::Usable:
        return "ok";
    case PortAccess::Missing:
        return "missing";
    case PortAccess::Denied:
        return "denied";
    case PortAccess::Busy:
        return "busy";
    }
    return "unknown";
}

QString accessText(PortAccess access) {
    switch (access) {
    case PortAccess::Usable:
        return QStringLiteral("можно открыть");
    case PortAccess::Missing:
        return QStringLiteral("нельзя открыть: устройства нет");
    case PortAccess::Denied:
        return QStringLiteral("нельзя открыть: нет прав");
    case PortAccess::Busy:
        return QStringLiteral("нельзя открыть: занят");
    }
    return {};
}

bool onUsb(PortKind kind) {
    return kind == PortKind::UsbAdapter || kind == PortKind::UsbModem;
}

} // namespace

std::vector<PortEntry> surveyPorts(std::vector<SerialPortInfo> ports, const SystemRoots& roots) {
    std::vector<PortEntry> entries;
    for (SerialPortInfo& port : ports) {
        AccessReport access = checkAccess(port.path, roots);
        entries.push_back({std::move(port), std::move(access)});
    }
    return entries;
}

QByteArray portsJson(const std::vector<PortEntry>& entries) {
    QJsonArray list;
    for (const PortEntry& entry : entries) {
        const SerialPortInfo& port = entry.port;
        QJsonObject item{
            {QStringLiteral("name"), port.kernelName},
            {QStringLiteral("kind"), QLatin1String(kindWord(port.kind))},
            {QStringLiteral("description"), port.description()},
            {QStringLiteral("driver"), port.driver},
            {QStringLiteral("access"), QLatin1String(accessWord(entry.access.access))},
            {QStringLiteral("problem"), QJsonArray::fromStringList(entry.access.problem)},
        };
        // Paths are bytes; one that is not UTF-8 also comes as "path_bytes".
        insertName(item, QStringLiteral("path"), port.path);
        insertName(item, QStringLiteral("device"), port.node);
        if (onUsb(port.kind)) {
            item.insert(QStringLiteral("usb"), QJsonObject{
                                                   {QStringLiteral("vendor_id"), port.vendorId},
                                                   {QStringLiteral("product_id"), port.productId},
                                                   {QStringLiteral("manufacturer"), port.manufacturer},
                                                   {QStringLiteral("product"), port.product},
                                                   {QStringLiteral("serial"), port.serial},
                                               });
        }
        list.append(item);
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("ports"), list}}).toJson(QJsonDocument::Indented);
}

QString portsText(const std::vector<PortEntry>& entries) {
    if (entries.empty()) return QStringLiteral("Последовательных устройств нет.\n");
    // Names of links and devices, and what a USB device says of itself, are
    // anybody's bytes: escaped, each stays one line of visible text.
    const auto shown = [](const QString& text) { return shownName(text.toUtf8()); };
    QString text;
    for (const PortEntry& entry : entries) {
        text += shownName(entry.port.path) + QLatin1Char('\n');
        text += QStringLiteral("    ") + shown(entry.port.description());
        if (!entry.port.driver.isEmpty()) text += QStringLiteral(", драйвер ") + shown(entry.port.driver);
        text += QLatin1Char('\n');
        text += QStringLiteral("    ") + accessText(entry.access.access) + QLatin1Char('\n');
        for (const QString& line : entry.access.problem)
            text += QStringLiteral("    ") + shown(line) + QLatin1Char('\n');
    }
    return text;
}

} // namespace veltra
