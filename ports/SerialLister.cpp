#include "ports/SerialLister.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace veltra {

namespace {

QString readAttribute(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.read(4096)).trimmed();
}

// A path that stands alone on a line of Veltra.ini and is read back unchanged.
bool storable(const QByteArray& path) {
    return !path.isEmpty() && !path.contains('\n') && !path.contains('\r') && path.trimmed() == path;
}

// The USB device (the folder with idVendor) that `dir` belongs to, or nothing.
QString usbDeviceOf(QString dir, const QString& sysRoot) {
    const QString root = QDir(sysRoot).canonicalPath() + QLatin1Char('/');
    while (dir.startsWith(root)) {
        if (QFileInfo::exists(dir + QStringLiteral("/idVendor"))) return dir;
        dir = QFileInfo(dir).path();
    }
    return {};
}

// The driver behind a tty's device. Newer kernels put the serial core's own
// port and controller devices (bus "serial-base", drivers "port" and "ctrl")
// between a UART's tty and its hardware; the driver that matters is above them.
QString driverOf(QString dir, const QString& sysRoot) {
    const QString root = QDir(sysRoot).canonicalPath() + QLatin1Char('/');
    for (; dir.startsWith(root); dir = QFileInfo(dir).path()) {
        auto linked = [&](const char* link) {
            return QFileInfo(QFileInfo(dir + QLatin1Char('/') + QLatin1String(link)).canonicalFilePath())
                .fileName();
        };
        if (linked("subsystem") == QLatin1String("serial-base")) continue;
        return linked("driver");
    }
    return {};
}

// Stable names by the device node they lead to; the first by name wins.
QHash<QString, QByteArray> stableNames(const QString& devRoot) {
    QHash<QString, QByteArray> names;
    const QDir byId(devRoot + QStringLiteral("/serial/by-id"));
    for (const QString& entry :
         byId.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString link = byId.filePath(entry);
        const QString node = QFileInfo(link).canonicalFilePath();
        if (!node.isEmpty() && !names.contains(node)) names.insert(node, QFile::encodeName(link));
    }
    return names;
}

PortKind kindOf(const QString& name, bool onUsb) {
    if (name.startsWith(QLatin1String("ttyACM"))) return PortKind::UsbModem;
    if (onUsb || name.startsWith(QLatin1String("ttyUSB"))) return PortKind::UsbAdapter;
    return PortKind::OnBoardUart;
}

} // namespace

QString SerialPortInfo::description() const {
    const QString where = QStringLiteral(" (") + kernelName + QLatin1Char(')');
    switch (kind) {
    case PortKind::VirtualBoard:
        return QStringLiteral("виртуальная плата") + where;
    case PortKind::OnBoardUart:
        return QStringLiteral("порт на плате") + where;
    case PortKind::UsbAdapter:
    case PortKind::UsbModem:
        break;
    }
    // Many adapters repeat the maker's name in the product's.
    QString name = product.startsWith(manufacturer) ? product : (manufacturer + QLatin1Char(' ') + product);
    name = name.trimmed();
    if (name.isEmpty()) {
        name = QStringLiteral("USB-адаптер");
        if (!vendorId.isEmpty()) name += QLatin1Char(' ') + vendorId + QLatin1Char(':') + productId;
    }
    if (!serial.isEmpty()) name += QStringLiteral(", № ") + serial;
    return name + where;
}

PortListing listSerialPorts(const SystemRoots& roots) {
    PortListing listing;
    const QString classDir = roots.sys + QStringLiteral("/class/tty");
    const QDir ttys(classDir);
    if (!ttys.exists() || !ttys.isReadable()) {
        listing.error = QStringLiteral("cannot read ") + classDir;
        return listing;
    }
    const QHash<QString, QByteArray> stable = stableNames(roots.dev);
    for (const QString& name : ttys.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QString entry = ttys.filePath(name);
        const QFileInfo device(entry + QStringLiteral("/device"));
        if (!device.exists()) continue; // virtual terminals, the console, ptmx
        // A serial-core port of type 0 has no UART behind it: the dozens of
        // ttyS names the 8250 driver makes on every PC.
        if (readAttribute(entry + QStringLiteral("/type")) == QLatin1String("0")) continue;
        const QString node = roots.dev + QLatin1Char('/') + name;
        if (!QFileInfo::exists(node)) continue;

        SerialPortInfo port;
        port.kernelName = name;
        port.node = QFile::encodeName(node);
        port.driver = driverOf(device.canonicalFilePath(), roots.sys);
        const QString usb = usbDeviceOf(device.canonicalFilePath(), roots.sys);
        if (!usb.isEmpty()) {
            port.manufacturer = readAttribute(usb + QStringLiteral("/manufacturer"));
            port.product = readAttribute(usb + QStringLiteral("/product"));
            port.serial = readAttribute(usb + QStringLiteral("/serial"));
            port.vendorId = readAttribute(usb + QStringLiteral("/idVendor"));
            port.productId = readAttribute(usb + QStringLiteral("/idProduct"));
        }
        port.kind = kindOf(name, !usb.isEmpty());
        port.path = stable.value(QFileInfo(node).canonicalFilePath(), port.node);
        if (!storable(port.path)) port.path = port.node;
        if (!storable(port.path)) continue;
        listing.ports.push_back(std::move(port));
    }
    // Names of the administrator's own (a udev rule's SYMLINK+="veltra") are offered too.
    const QDir dev(roots.dev);
    const std::size_t devices = listing.ports.size();
    for (const QString& entry : dev.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QFileInfo alias(dev.filePath(entry));
        const QByteArray path = QFile::encodeName(alias.filePath());
        if (!alias.isSymLink() || !storable(path)) continue;
        const QString node = alias.canonicalFilePath();
        for (std::size_t i = 0; i < devices; ++i) {
            if (QFileInfo(QFile::decodeName(listing.ports[i].node)).canonicalFilePath() != node) continue;
            SerialPortInfo named = listing.ports[i];
            named.path = path;
            listing.ports.push_back(std::move(named));
            break;
        }
    }
    std::sort(listing.ports.begin(), listing.ports.end(),
              [](const SerialPortInfo& a, const SerialPortInfo& b) {
                  return a.kind != b.kind ? a.kind < b.kind : a.path < b.path;
              });
    return listing;
}

std::vector<SerialPortInfo> findBoardLinks(const QList<QByteArray>& candidates, const QStringList& folders,
                                           const SystemRoots& roots) {
    std::vector<SerialPortInfo> links;
    const QString devRoot = QDir(roots.dev).canonicalPath();
    const QString pts = devRoot + QStringLiteral("/pts/");
    auto consider = [&](const QByteArray& path) {
        const QFileInfo link(QFile::decodeName(path));
        if (!link.isSymLink() || !storable(path)) return;
        const QString target = link.canonicalFilePath();
        if (!target.startsWith(pts)) return;
        if (std::any_of(links.begin(), links.end(), [&](const SerialPortInfo& p) { return p.path == path; }))
            return;
        SerialPortInfo port;
        port.path = path;
        port.node = QFile::encodeName(target);
        port.kernelName = target.mid(devRoot.size() + 1);
        port.kind = PortKind::VirtualBoard;
        links.push_back(std::move(port));
    };
    for (const QByteArray& candidate : candidates)
        consider(candidate);
    for (const QString& folder : folders) {
        const QDir dir(folder);
        for (const QString& entry :
             dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name))
            consider(QFile::encodeName(dir.absoluteFilePath(entry)));
    }
    return links;
}

QByteArray resolvedNode(const QByteArray& path) {
    return QFile::encodeName(QFileInfo(QFile::decodeName(path)).canonicalFilePath());
}

const SerialPortInfo* portLeadingTo(const std::vector<SerialPortInfo>& ports, const QByteArray& path) {
    const QByteArray node = resolvedNode(path);
    if (node.isEmpty()) return nullptr;
    for (const SerialPortInfo& port : ports)
        if (resolvedNode(port.node) == node) return &port;
    return nullptr;
}

} // namespace veltra
