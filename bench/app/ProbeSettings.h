#pragma once
// Settings for a measured editor in a temporary folder: COM1 on a fresh
// pseudo-terminal whose other side (boardFd) the probe reads, so that no real
// Veltra.ini and no real port are ever touched. Keep the object alive while
// the editor runs.

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
    QTemporaryDir folder_;
    int master_ = -1;
    bool ok_ = false;
};

} // namespace veltra::bench
