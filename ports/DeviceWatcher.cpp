#include "ports/DeviceWatcher.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSet>
#include <QSocketNotifier>

#include <libudev.h>
#include <unistd.h>

namespace veltra {

namespace {

constexpr int kSettleMs = 50;

// `folder`, or the nearest ancestor of it that exists.
QString nearestExisting(QString folder) {
    folder = QDir::cleanPath(QDir(folder).absolutePath());
    while (!QFileInfo(folder).isDir()) {
        const QString up = QFileInfo(folder).path();
        if (up == folder) return {};
        folder = up;
    }
    return folder;
}

} // namespace

struct DeviceWatcher::UdevMonitor {
    udev* context = nullptr;
    udev_monitor* monitor = nullptr;
    std::unique_ptr<QSocketNotifier> notifier;

    ~UdevMonitor() {
        notifier.reset();
        if (monitor) udev_monitor_unref(monitor);
        if (context) udev_unref(context);
    }

    // A monitor of tty devices, or nothing when udev does not run here: its
    // netlink messages would simply never come.
    static std::unique_ptr<UdevMonitor> open() {
        if (::access("/run/udev/control", F_OK) != 0) return nullptr;
        auto m = std::make_unique<UdevMonitor>();
        m->context = udev_new();
        if (!m->context) return nullptr;
        m->monitor = udev_monitor_new_from_netlink(m->context, "udev");
        if (!m->monitor || udev_monitor_filter_add_match_subsystem_devtype(m->monitor, "tty", nullptr) < 0 ||
            udev_monitor_enable_receiving(m->monitor) < 0)
            return nullptr;
        return m;
    }
};

DeviceWatcher::DeviceWatcher(SystemRoots roots, QObject* parent) : QObject(parent), roots_(std::move(roots)) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, &DeviceWatcher::devicesChanged);
}

DeviceWatcher::~DeviceWatcher() = default;

void DeviceWatcher::setExtraFolders(const QStringList& folders) {
    if (folders == extraFolders_) return;
    extraFolders_ = folders;
    if (running_) rewatch();
}

void DeviceWatcher::start() {
    if (running_) return;
    running_ = true;
    if (roots_.isRealSystem()) udev_ = UdevMonitor::open();
    if (udev_) {
        udev_->notifier =
            std::make_unique<QSocketNotifier>(udev_monitor_get_fd(udev_->monitor), QSocketNotifier::Read);
        connect(udev_->notifier.get(), &QSocketNotifier::activated, this, [this] {
            // Each message must be taken, or the notifier fires again at once.
            if (udev_device* device = udev_monitor_receive_device(udev_->monitor)) udev_device_unref(device);
            noteEvent();
        });
    }
    folders_ = std::make_unique<QFileSystemWatcher>();
    connect(folders_.get(), &QFileSystemWatcher::directoryChanged, this, [this] {
        rewatch();
        noteEvent();
    });
    rewatch();
}

void DeviceWatcher::stop() {
    running_ = false;
    settle_.stop();
    udev_.reset();
    folders_.reset();
}

void DeviceWatcher::rewatch() {
    if (!folders_) return;
    QStringList wanted = extraFolders_;
    if (!udev_) wanted << roots_.dev << roots_.dev + QStringLiteral("/serial/by-id");
    QSet<QString> paths;
    for (const QString& folder : wanted)
        if (const QString existing = nearestExisting(folder); !existing.isEmpty()) paths.insert(existing);
    const QStringList watched = folders_->directories();
    for (const QString& folder : watched)
        if (!paths.contains(folder)) folders_->removePath(folder);
    for (const QString& folder : paths)
        if (!watched.contains(folder)) folders_->addPath(folder);
}

void DeviceWatcher::noteEvent() {
    if (!settle_.isActive()) settle_.start();
}

} // namespace veltra
