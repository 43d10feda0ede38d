#pragma once
// What the process table says about a device: who holds it open, and which
// known troublemakers run. Read from /proc (or a fake one in tests); the fds
// of another user's processes are hidden from an ordinary user, so a holder
// may stay unseen.

#include <QByteArray>
#include <QString>

#include <vector>

namespace veltra {

struct ProcessInfo {
    qint64 pid = 0;
    QString name; // the command name (comm), at most 15 characters
};

// The processes with an open descriptor of the file or device `path` leads to.
std::vector<ProcessInfo> processesHolding(const QByteArray& path,
                                          const QString& procRoot = QStringLiteral("/proc"));

// True when a process of that command name runs.
bool isRunning(const QString& name, const QString& procRoot = QStringLiteral("/proc"));

} // namespace veltra
