#pragma once
// Settings for a measured editor in a temporary folder: COM1 on a fresh
// pseudo-terminal whose other side (boardFd) the probe reads, so that no real
// Veltra.ini and no real port are ever touched, and a runtime folder of its
// own, so that an editor the user runs (its instance lock, its socket) is
// neither met nor disturbed. Keep the object alive while the editor runs.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <pty.h>
#include <unistd.h>

#include "files/ProgramFolder.h"

namespace veltra::bench {

class ProbeSettings {
  public:
    ProbeSettings() {
        char slaveName[256] = {};
        int slave = -1;
        if (openpty(&master_, &slave, slaveName, nullptr, nullptr) != 0) return;
        ::close(slave);
        QFile ini(folder_.filePath("Veltra.ini"));
        if (!ini.open(QIODevice::WriteOnly)) return;
        ini.write(QByteArray("[PORTS]\nCOM1=") + slaveName + "\n");
        ini.close();
        setProgramFolder(folder_.path());
        // No recovery copy of the user's own is offered to the probe.
        qputenv("XDG_STATE_HOME", QFile::encodeName(folder_.path()));
        if (!runtime_.isValid()) return;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime_.path()));
        ok_ = true;
    }
    ~ProbeSettings() {
        setProgramFolder(QString());
        if (master_ >= 0) ::close(master_);
    }
    bool ok() const { return ok_; }
    // The board's side of the pseudo-terminal: what the editor sends arrives here.
    int boardFd() const { return master_; }

  private:
    // On a tmpfs where there is one, as a desktop session's runtime folder
    // (/run/user/UID) is: the instance lock is flushed to it at every start.
    static QString runtimeTemplate() {
        return QDir(QStringLiteral("/dev/shm")).exists()
                   ? QStringLiteral("/dev/shm/veltra-probe-XXXXXX")
                   : QDir::tempPath() + QStringLiteral("/veltra-probe-XXXXXX");
    }

    QTemporaryDir folder_;
    QTemporaryDir runtime_{runtimeTemplate()};
    int master_ = -1;
    bool ok_ = false;
};

} // namespace veltra::bench
