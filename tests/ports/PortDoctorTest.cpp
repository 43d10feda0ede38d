// What the port doctor says about a device that could not be opened.

#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "ports/PortDoctor.h"
#include "tests/ports/FakeSystemTree.h"

namespace veltra::test {
namespace {

TEST(PortDoctor, AdvisesJoiningOnlyAGroupThatMayUseTheDevice) {
    struct Case {
        const char* what;
        mode_t mode;
        gid_t group;
        const char* groupName;
        bool inAccount, inSession;
        QString says, never;
    };
    const Case cases[] = {
        {"not in the group", 0660, 20, "dialout", false, false, "sudo usermod -aG dialout $USER",
         "не поможет"},
        {"added, not logged in again", 0660, 20, "dialout", true, false, "войдите снова", "usermod"},
        {"in the group, refused all the same", 0660, 20, "dialout", true, true, "getfacl", "usermod"},
        {"mode 000", 0000, 0, "root", false, false, "не поможет", "usermod"},
        {"nogroup with mode 000", 0000, 65534, "nogroup", false, false, "не поможет", "usermod"},
        {"the owner alone", 0600, 20, "dialout", false, false, "не поможет", "usermod"},
        {"a group that may only write", 0620, 5, "tty", false, false, "не поможет", "usermod"},
        {"root's group", 0660, 0, "root", false, false, "не поможет", "usermod"},
    };
    for (const Case& c : cases) {
        const DeviceOwnership device{0, c.group, c.mode, "root", c.groupName};
        UserIdentity user{1000, {1000}, {1000}};
        if (c.inAccount) user.accountGroups.push_back(c.group);
        if (c.inSession) user.sessionGroups.push_back(c.group);
        const QString text = permissionAdvice("/dev/ttyUSB0", device, user).join('\n');
        EXPECT_TRUE(text.contains(c.says)) << c.what << "\n" << text.toStdString();
        EXPECT_FALSE(text.contains(c.never)) << c.what << "\n" << text.toStdString();
    }
}

TEST(PortDoctor, NamesTheDevicesThereAndTheCulpritsSeenRunning) {
    struct Case {
        const char* what;
        bool ch341Plugged, modemPlugged;
        QStringList running;
        QString device; // under the fake /dev
        int err;
        QStringList says;
        QStringList never;
    };
    const Case cases[] = {
        {"a missing adapter",
         false,
         true,
         {},
         "ttyUSB9",
         ENOENT,
         {"Причина: устройства %dev/ttyUSB9 нет.", "Сейчас есть: Arduino Uno (ttyACM0).",
          "Что делать: ", "«виртуальная плата»"},
         {"ModemManager", "brltty"}},
        {"a stopped virtual board",
         false,
         true,
         {},
         "../board",
         ENOENT,
         {"виртуальная плата не запущена", "veltra-board --link %dev/../board"},
         {}},
        {"nothing plugged in", false, false, {}, "ttyUSB0", ENOENT, {}, {"Сейчас есть"}},
        {"ModemManager and a modem",
         false,
         true,
         {"ModemManager"},
         "ttyACM0",
         EBUSY,
         {"sudo systemctl disable --now ModemManager"},
         {"brltty"}},
        {"ModemManager leaves other adapters alone",
         true,
         true,
         {"ModemManager"},
         "ttyUSB0",
         EBUSY,
         {},
         {"ModemManager"}},
        {"brltty and a CH341", true, false, {"brltty"}, "ttyUSB9", ENOENT, {"sudo apt remove brltty"}, {}},
        {"brltty without a CH341", false, true, {"brltty"}, "ttyUSB9", ENOENT, {}, {"brltty"}},
    };
    for (const Case& c : cases) {
        FakeSystemTree tree;
        if (c.ch341Plugged)
            tree.addUsbAdapter({"ttyUSB0", "ch341-uart", "1a86", "7523", "", "USB Serial", "", ""});
        if (c.modemPlugged)
            tree.addUsbAdapter({"ttyACM0", "cdc_acm", "2341", "0043", "", "Arduino Uno", "", ""});
        FakeSystemTree::link(tree.roots.dev + "/../board", tree.roots.dev + "/pts/7");
        for (int i = 0; i < c.running.size(); ++i)
            tree.addProcess(100 + i, c.running[i]);
        const QString text =
            diagnoseOpenFailure(QFile::encodeName(tree.devPath(c.device)), c.err, tree.roots).join('\n');
        for (QString expected : c.says)
            EXPECT_TRUE(text.contains(expected.replace("%dev", tree.roots.dev))) << c.what << "\n"
                                                                                 << text.toStdString();
        for (const QString& wrong : c.never)
            EXPECT_FALSE(text.contains(wrong)) << c.what << "\n" << text.toStdString();
    }
}

} // namespace
TEST(PortDoctor, SaysWhatSomethingOtherThanADeviceAtThePortsPathIs) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("folder");
    ::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600);
    QFile plain(dir.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(dir.filePath("socket")).constData(),
                 sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    // The error each gives when the port opens it.
    const struct {
        const char* name;
        int err;
        const char* what;
    } cases[] = {{"folder", EISDIR, "папка"},
                 {"socket", ENXIO, "сокет"},
                 {"fifo", ENOTTY, "канал (FIFO)"},
                 {"plain", ENOTTY, "обычный файл"}};
    for (const auto& c : cases) {
        const QStringList lines = diagnoseOpenFailure(QFile::encodeName(dir.filePath(c.name)), c.err);
        ASSERT_GE(lines.size(), 2) << c.name;
        EXPECT_EQ(lines[0], QStringLiteral("Причина: %1 — это %2, а не файл устройства порта.")
                                .arg(dir.filePath(c.name), QString::fromUtf8(c.what)));
        EXPECT_TRUE(lines[1].startsWith("Что делать: ")) << c.name;
    }
    ::close(sock);
}

} // namespace veltra::test
