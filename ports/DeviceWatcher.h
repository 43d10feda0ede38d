#pragma once
// Tells when serial devices may have come or gone, so that a list can be
// refreshed and a missing port opened the moment it appears.
//
// On the real system with udev running, the udev monitor (libudev) reports
// tty devices after udev has made their /dev/serial names and set their
// permissions. Without udev (a container, a fake tree in tests) the device
// folder and its serial/by-id are watched with inotify instead
// (QFileSystemWatcher). Other folders (where the virtual board keeps its link,
// the folder of a configured path) are always watched with inotify. A folder
// that does not exist yet is watched through its nearest existing ancestor and
// the watch moves down as folders appear. Nothing here ever fails loudly: a
// watch that cannot be had only leaves the caller's own polling.
//
// Lives on the thread that made it (the GUI thread); its events arrive through
// that thread's event loop. Bursts are merged: one devicesChanged about 50 ms
// after the first event of a burst.

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>

#include "ports/SystemRoots.h"

class QFileSystemWatcher;

namespace veltra {

class DeviceWatcher : public QObject {
    Q_OBJECT

  public:
    explicit DeviceWatcher(SystemRoots roots = {}, QObject* parent = nullptr);
    ~DeviceWatcher() override;

    // Folders whose entries count as devices too; replaces the earlier set.
    void setExtraFolders(const QStringList& folders);
    void start();
    void stop();

    // The udev monitor is in use (else the device folder is watched).
    bool usesUdev() const { return udev_ != nullptr; }

  signals:
    void devicesChanged();

  private:
    struct UdevMonitor;

    // Brings the folder watches in line with the folders wanted now.
    void rewatch();
    void noteEvent();

    SystemRoots roots_;
    QStringList extraFolders_;
    bool running_ = false;
    std::unique_ptr<UdevMonitor> udev_;
    std::unique_ptr<QFileSystemWatcher> folders_;
    QTimer settle_;
};

} // namespace veltra
