#include "ports/ProcessTable.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace veltra {

namespace {

// The numbered entries of the process table.
QStringList processIds(const QString& procRoot) {
    QStringList ids;
    for (const QString& entry : QDir(procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        entry.toLongLong(&number);
        if (number) ids << entry;
    }
    return ids;
}

QString commandName(const QString& procRoot, const QString& pid) {
    QFile comm(procRoot + QLatin1Char('/') + pid + QStringLiteral("/comm"));
    if (!comm.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(comm.read(64)).trimmed();
}

// The same file: a device by its number (a node may have several names),
// anything else by its inode.
bool sameFile(const struct stat& a, const struct stat& b) {
    if (S_ISCHR(a.st_mode) && S_ISCHR(b.st_mode)) return a.st_rdev == b.st_rdev;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

std::vector<ProcessInfo> processesHolding(const QByteArray& path, const QString& procRoot) {
    std::vector<ProcessInfo> holders;
    struct stat device {};
    if (::stat(path.constData(), &device) != 0) return holders;
    for (const QString& pid : processIds(procRoot)) {
        const QDir fds(procRoot + QLatin1Char('/') + pid + QStringLiteral("/fd"));
        // The entries are links to what the process holds; stat follows them.
        for (const QString& fd : fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            struct stat held {};
            if (::stat(QFile::encodeName(fds.filePath(fd)).constData(), &held) != 0 ||
                !sameFile(held, device))
                continue;
            holders.push_back({pid.toLongLong(), commandName(procRoot, pid)});
            break;
        }
    }
    return holders;
}

bool isRunning(const QString& name, const QString& procRoot) {
    for (const QString& pid : processIds(procRoot))
        if (commandName(procRoot, pid) == name) return true;
    return false;
}

} // namespace veltra
