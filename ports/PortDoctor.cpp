#include "ports/PortDoctor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "os/ShownName.h"
#include "ports/ProcessTable.h"
#include "ports/SerialLister.h"

namespace veltra {

namespace {

const QString kElsewhere = QStringLiteral("выберите другое устройство в окне настроек");
// With no board at hand, the editor runs a virtual one: its entry in the same list.
const QString kNoBoard = QStringLiteral(" (без платы: «виртуальная плата»)");

QString presentDevices(const SystemRoots& roots) {
    const PortListing listing = listSerialPorts(roots);
    if (listing.ports.empty()) return QStringLiteral("Последовательных устройств сейчас нет.");
    QStringList names;
    for (const SerialPortInfo& port : listing.ports)
        names << port.description();
    return QStringLiteral("Сейчас есть: ") + names.join(QStringLiteral("; ")) + QLatin1Char('.');
}

QStringList missingDevice(const QByteArray& path, bool nodeWithoutHardware, const SystemRoots& roots) {
    const QString name = QFile::decodeName(path);
    const QFileInfo info(name);
    QString cause;
    QString remedy = QStringLiteral("Что делать: подключите адаптер платы или ") + kElsewhere + kNoBoard +
                     QLatin1Char('.');
    if (nodeWithoutHardware) {
        cause = QStringLiteral("Причина: файл устройства %1 есть, но оборудования за ним нет "
                               "(адаптер отключён или такого порта на плате нет).")
                    .arg(name);
    } else if (info.isSymLink()) {
        const QString target = info.symLinkTarget();
        cause = QStringLiteral("Причина: %1 ведёт на %2, а его нет").arg(name, target);
        if (target.startsWith(QDir(roots.dev).absolutePath() + QStringLiteral("/pts/"))) {
            // A link into the pseudo-terminals is what the virtual board leaves behind.
            cause += QStringLiteral(" (виртуальная плата не запущена)");
            remedy = QStringLiteral("Что делать: запустите виртуальную плату (veltra-board --link %1) или ")
                         .arg(name) +
                     kElsewhere + kNoBoard + QLatin1Char('.');
        }
        cause += QLatin1Char('.');
    } else {
        cause = QStringLiteral("Причина: устройства %1 нет.").arg(name);
    }
    return {cause, presentDevices(roots), remedy};
}

QStringList busyDevice(const QByteArray& path, const SystemRoots& roots) {
    const QString name = QFile::decodeName(path);
    std::vector<ProcessInfo> holders = processesHolding(path, roots.proc);
    const qint64 self = ::getpid();
    const bool heldHere =
        std::any_of(holders.begin(), holders.end(), [&](const ProcessInfo& p) { return p.pid == self; });
    std::erase_if(holders, [&](const ProcessInfo& p) { return p.pid == self; });
    if (holders.empty() && heldHere)
        return {QStringLiteral("Причина: порт занят: его уже открыла эта же программа."),
                QStringLiteral("Что делать: ") + kElsewhere + QLatin1Char('.')};
    if (holders.empty())
        return {QStringLiteral("Причина: порт занят другой программой; её не видно (она запущена другим "
                               "пользователем)."),
                QStringLiteral("Что делать: найдите её (sudo fuser -v %1) и закройте или ").arg(name) +
                    kElsewhere + QLatin1Char('.')};
    QStringList named;
    for (const ProcessInfo& p : holders)
        named << QStringLiteral("%1 (PID %2)").arg(p.name).arg(p.pid);
    return {QStringLiteral("Причина: порт занят: его держит ") + named.join(QStringLiteral(", ")) +
                QLatin1Char('.'),
            QStringLiteral("Что делать: закройте эту программу или ") + kElsewhere + QLatin1Char('.')};
}

// A CH340/CH341 adapter is plugged in (brltty's udev rules claim these ids).
bool ch341Plugged(const SystemRoots& roots) {
    const QDir usb(roots.sys + QStringLiteral("/bus/usb/devices"));
    for (const QString& entry : usb.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        auto attribute = [&](const char* file) {
            QFile f(usb.filePath(entry) + QLatin1Char('/') + QLatin1String(file));
            return f.open(QIODevice::ReadOnly) ? f.read(16).trimmed() : QByteArray();
        };
        const QByteArray product = attribute("idProduct");
        if (attribute("idVendor") == "1a86" && (product == "7523" || product == "5523")) return true;
    }
    return false;
}

QStringList culprits(const QByteArray& path, const SystemRoots& roots) {
    QStringList lines;
    const QString kernelName = QFileInfo(QFile::decodeName(resolvedNode(path))).fileName();
    if (kernelName.startsWith(QLatin1String("ttyACM")) &&
        isRunning(QStringLiteral("ModemManager"), roots.proc))
        lines << QStringLiteral(
            "Замечен ModemManager: он опрашивает устройства ttyACM как модемы и на это время "
            "занимает их; если модема у вас нет: sudo systemctl disable --now ModemManager.");
    if (ch341Plugged(roots) && isRunning(QStringLiteral("brltty"), roots.proc))
        lines << QStringLiteral("Замечен brltty: он забирает себе адаптеры CH341, и их порт пропадает; если "
                                "брайлевского дисплея у вас нет: sudo apt remove brltty.");
    return lines;
}

// Something at `path` that is not a character device: what it is, or
// nothing when it is a device (or nothing is there).
QString notADevice(const QByteArray& path) {
    struct stat st {};
    if (::stat(path.constData(), &st) != 0 || S_ISCHR(st.st_mode)) return {};
    if (S_ISDIR(st.st_mode)) return QStringLiteral("папка");
    if (S_ISSOCK(st.st_mode)) return QStringLiteral("сокет");
    if (S_ISFIFO(st.st_mode)) return QStringLiteral("канал (FIFO)");
    if (S_ISBLK(st.st_mode)) return QStringLiteral("блочное устройство (диск)");
    return QStringLiteral("обычный файл");
}

} // namespace

QStringList diagnoseOpenFailure(const QByteArray& path, int err, const SystemRoots& roots,
                                const UserIdentity& user) {
    // A folder or a socket at the port's path fails with EISDIR or ENXIO,
    // which would read as "no hardware": say what the path is instead.
    if (const QString what = notADevice(path); !what.isEmpty() && err != EACCES && err != EPERM)
        return QStringList{QStringLiteral("Причина: %1 — это %2, а не файл устройства порта.")
                               .arg(shownName(path), what),
                           QStringLiteral("Что делать: ") + kElsewhere +
                               QStringLiteral(" (порт — файл устройства, например /dev/ttyUSB0).")} +
               culprits(path, roots);
    QStringList lines;
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        lines = missingDevice(path, false, roots);
        break;
    case ENXIO:
    case ENODEV:
    case EIO:
        lines = missingDevice(path, true, roots);
        break;
    case EACCES:
    case EPERM:
        if (const auto device = DeviceOwnership::of(path)) lines = permissionAdvice(path, *device, user);
        break;
    case EBUSY:
        lines = busyDevice(path, roots);
        break;
    case ENOTTY:
        lines = {QStringLiteral("Причина: %1 не последовательный порт.").arg(QFile::decodeName(path)),
                 QStringLiteral("Что делать: ") + kElsewhere + QLatin1Char('.')};
        break;
    default:
        break;
    }
    return lines + culprits(path, roots);
}

AccessReport checkAccess(const QByteArray& path, const SystemRoots& roots, const UserIdentity& user) {
    AccessReport report;
    if (resolvedNode(path).isEmpty()) {
        report.access = PortAccess::Missing;
        report.problem = diagnoseOpenFailure(path, ENOENT, roots, user);
    } else if (::faccessat(AT_FDCWD, path.constData(), R_OK | W_OK, AT_EACCESS) != 0 &&
               (errno == EACCES || errno == EPERM)) {
        report.access = PortAccess::Denied;
        report.problem = diagnoseOpenFailure(path, EACCES, roots, user);
    } else if (const auto holders = processesHolding(path, roots.proc);
               std::any_of(holders.begin(), holders.end(),
                           [](const ProcessInfo& p) { return p.pid != ::getpid(); })) {
        report.access = PortAccess::Busy;
        report.problem = diagnoseOpenFailure(path, EBUSY, roots, user);
    } else {
        report.problem = culprits(path, roots);
    }
    return report;
}

} // namespace veltra
