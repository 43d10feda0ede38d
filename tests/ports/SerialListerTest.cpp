// Which serial devices are listed, under which name, and how they are described.

#include <QFile>
#include <QTemporaryDir>

#include <pty.h>
#include <unistd.h>

#include "ports/SerialLister.h"
#include "tests/ports/FakeSystemTree.h"

namespace veltra::test {
namespace {

TEST(SerialLister, ListsRealSerialDevicesUnderTheirStableNames) {
    FakeSystemTree tree;
    tree.addUsbAdapter(
        {"ttyUSB0", "ch341-uart", "1a86", "7523", "", "USB Serial", "", "usb-1a86_USB_Serial-if00-port0"});
    tree.addUsbAdapter({"ttyACM0", "cdc_acm", "2341", "0043", "Arduino (www.arduino.cc)", "Arduino Uno",
                        "7563331", "usb-Arduino__www.arduino.cc__0043_7563331-if00"});
    // Without udev there is no stable name, and some adapters say nothing of themselves.
    tree.addUsbAdapter({"ttyUSB1", "ftdi_sio", "0403", "6001", "", "", "", ""});
    // Unplugged while listed in sysfs: its node is gone.
    tree.addUsbAdapter({"ttyUSB2", "pl2303", "067b", "2303", "Prolific", "USB-Serial", "", ""});
    QFile::remove(tree.devPath("ttyUSB2"));
    tree.addUart("ttyS0", "4");
    tree.addUart("ttyS1", "0"); // no UART behind the name
    tree.addVirtualTty("tty1");
    FakeSystemTree::link(tree.devPath("veltra"), tree.devPath("ttyUSB0")); // a udev rule's own name
    FakeSystemTree::link(tree.devPath("stdin"), tree.roots.proc + "/self/fd/0");

    struct Row {
        QString path, kernelName;
        PortKind kind;
        QString driver, description;
    };
    const QString dev = tree.roots.dev;
    const Row expected[] = {
        {dev + "/serial/by-id/usb-1a86_USB_Serial-if00-port0", "ttyUSB0", PortKind::UsbAdapter, "ch341-uart",
         "USB Serial (ttyUSB0)"},
        {dev + "/ttyUSB1", "ttyUSB1", PortKind::UsbAdapter, "ftdi_sio", "USB-адаптер 0403:6001 (ttyUSB1)"},
        {dev + "/veltra", "ttyUSB0", PortKind::UsbAdapter, "ch341-uart", "USB Serial (ttyUSB0)"},
        {dev + "/serial/by-id/usb-Arduino__www.arduino.cc__0043_7563331-if00", "ttyACM0", PortKind::UsbModem,
         "cdc_acm", "Arduino (www.arduino.cc) Arduino Uno, № 7563331 (ttyACM0)"},
        {dev + "/ttyS0", "ttyS0", PortKind::OnBoardUart, "serial8250", "порт на плате (ttyS0)"},
    };
    const PortListing listing = listSerialPorts(tree.roots);
    EXPECT_TRUE(listing.error.isEmpty()) << listing.error.toStdString();
    ASSERT_EQ(listing.ports.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const SerialPortInfo& port = listing.ports[i];
        const Row& row = expected[i];
        SCOPED_TRACE(row.kernelName.toStdString());
        EXPECT_EQ(QFile::decodeName(port.path), row.path);
        EXPECT_EQ(QFile::decodeName(port.node), dev + "/" + row.kernelName);
        EXPECT_EQ(port.kernelName, row.kernelName);
        EXPECT_EQ(port.kind, row.kind);
        EXPECT_EQ(port.driver, row.driver);
        EXPECT_EQ(port.description(), row.description);
    }
    EXPECT_EQ(portLeadingTo(listing.ports, QFile::encodeName(dev + "/ttyUSB0")), &listing.ports[0]);

    FakeSystemTree empty;
    QDir(empty.roots.sys).removeRecursively();
    EXPECT_FALSE(listSerialPorts(empty.roots).error.isEmpty()); // said, not an empty list
}

TEST(SerialLister, FindsLinksToPseudoTerminalsOnly) {
    int master = -1, slave = -1;
    char name[64] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    QTemporaryDir folder, elsewhere;
    const QString pty = QString::fromLocal8Bit(name);
    const QString board = folder.filePath("virtual-board");
    const QString configured = elsewhere.filePath("my-board");
    ASSERT_TRUE(QFile::link(pty, board));
    ASSERT_TRUE(QFile::link(pty, configured));
    ASSERT_TRUE(QFile::link("/dev/pts/999999", folder.filePath("stopped-board"))); // its board ended
    FakeSystemTree::write(folder.filePath("notes.txt"), "x");
    ASSERT_TRUE(QFile::link(folder.filePath("notes.txt"), folder.filePath("notes-link")));

    const std::vector<SerialPortInfo> links =
        findBoardLinks({QFile::encodeName(configured), QFile::encodeName(board)}, {folder.path()});
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(QFile::decodeName(links[0].path), configured);
    EXPECT_EQ(QFile::decodeName(links[1].path), board); // once, though named twice
    for (const SerialPortInfo& link : links) {
        EXPECT_EQ(link.kind, PortKind::VirtualBoard);
        EXPECT_EQ(QFile::decodeName(link.node), pty);
        EXPECT_EQ(link.description(), "виртуальная плата (" + pty.mid(5) + ")");
    }
    ::close(slave);
    ::close(master);
}

} // namespace
} // namespace veltra::test
