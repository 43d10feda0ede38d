#pragma once
// Why this user may not open a device and what helps, from the device's owner,
// group and mode and the user's groups. The user's groups come in two lists
// because they differ after `usermod -aG`: the account's (the group database)
// and this session's (fixed at login).

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <sys/types.h>
#include <vector>

namespace veltra {

struct UserIdentity {
    uid_t uid = 0;
    std::vector<gid_t> sessionGroups; // this process's groups
    std::vector<gid_t> accountGroups; // what the group database gives the account now

    // The effective user of this process.
    static UserIdentity current();
};

struct DeviceOwnership {
    uid_t owner = 0;
    gid_t group = 0;
    mode_t mode = 0;
    QString ownerName;
    QString groupName;

    // The device `path` leads to; nothing when it leads nowhere.
    static std::optional<DeviceOwnership> of(const QByteArray& path);
};

// "Причина: ..." and "Что делать: ..." for a refused open. Joining a group is
// advised only for a group (other than root) that may read and write the device.
QStringList permissionAdvice(const QByteArray& path, const DeviceOwnership& device, const UserIdentity& user);

} // namespace veltra
