#include "ports/PermissionAdvice.h"

#include <QFile>

#include <algorithm>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace veltra {

namespace {

bool contains(const std::vector<gid_t>& groups, gid_t gid) {
    return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

// "rw-rw----" for 0660.
QString modeText(mode_t mode) {
    QString text;
    for (int shift = 6; shift >= 0; shift -= 3) {
        text += (mode >> shift) & 4 ? QLatin1Char('r') : QLatin1Char('-');
        text += (mode >> shift) & 2 ? QLatin1Char('w') : QLatin1Char('-');
        text += (mode >> shift) & 1 ? QLatin1Char('x') : QLatin1Char('-');
    }
    return text;
}

} // namespace

UserIdentity UserIdentity::current() {
    UserIdentity user;
    user.uid = ::geteuid();
    const int count = ::getgroups(0, nullptr);
    if (count > 0) {
        user.sessionGroups.resize(std::size_t(count));
        user.sessionGroups.resize(std::size_t(std::max(0, ::getgroups(count, user.sessionGroups.data()))));
    }
    user.sessionGroups.push_back(::getegid());
    if (const passwd* account = ::getpwuid(user.uid)) {
        int n = 64;
        std::vector<gid_t> groups(static_cast<std::size_t>(n));
        if (::getgrouplist(account->pw_name, account->pw_gid, groups.data(), &n) < 0) {
            groups.resize(std::size_t(n)); // n now says how many there are
            if (::getgrouplist(account->pw_name, account->pw_gid, groups.data(), &n) < 0) n = 0;
        }
        groups.resize(std::size_t(n));
        user.accountGroups = std::move(groups);
    }
    return user;
}

std::optional<DeviceOwnership> DeviceOwnership::of(const QByteArray& path) {
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) return std::nullopt;
    DeviceOwnership device{st.st_uid, st.st_gid, mode_t(st.st_mode & 07777), {}, {}};
    const passwd* owner = ::getpwuid(st.st_uid);
    device.ownerName = owner ? QString::fromLocal8Bit(owner->pw_name) : QString::number(st.st_uid);
    const struct group* g = ::getgrgid(st.st_gid);
    device.groupName = g ? QString::fromLocal8Bit(g->gr_name) : QString::number(st.st_gid);
    return device;
}

QStringList permissionAdvice(const QByteArray& path, const DeviceOwnership& device,
                             const UserIdentity& user) {
    const QString name = QFile::decodeName(path);
    const QString group = device.groupName;
    // Joining root's group would hand out far more than one device.
    const bool groupMayUse = (device.mode & 060) == 060 && device.group != 0;
    if (!groupMayUse) {
        return {QStringLiteral("Причина: нет прав: права устройства %1 (владелец %2, группа %3) не дают "
                               "чтения и записи ни одной группе, так что вступление в группу не поможет.")
                    .arg(modeText(device.mode), device.ownerName, group),
                QStringLiteral("Что делать: пусть администратор откроет доступ группе dialout правилом udev "
                               "(MODE=\"0660\", GROUP=\"dialout\") или до отключения устройства: "
                               "sudo chmod 0660 %1 && sudo chgrp dialout %1.")
                    .arg(name)};
    }
    if (contains(user.sessionGroups, device.group)) {
        return {QStringLiteral("Причина: вы в группе %1, которой устройство доступно, но система всё равно "
                               "отказала (список доступа или политика безопасности).")
                    .arg(group),
                QStringLiteral("Что делать: посмотрите права: ls -l %1; getfacl %1.").arg(name)};
    }
    if (contains(user.accountGroups, device.group)) {
        return {
            QStringLiteral(
                "Причина: вы уже в группе %1, но этот сеанс начат до того, как вас в неё добавили.")
                .arg(group),
            QStringLiteral("Что делать: выйдите из системы и войдите снова (или перезагрузите компьютер).")};
    }
    return {QStringLiteral(
                "Причина: нет прав: устройство принадлежит группе %1 (права %2), а вы в неё не входите.")
                .arg(group, modeText(device.mode)),
            QStringLiteral("Что делать: sudo usermod -aG %1 $USER, затем выйдите из системы и войдите снова.")
                .arg(group)};
}

} // namespace veltra
