#pragma once
// A small sysfs, /dev and /proc in a temporary folder, laid out as the kernel
// and udev lay out the real ones (relative links between the folders, so the
// tree can live anywhere), for the serial-port lister and the port doctor.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "ports/SystemRoots.h"

namespace veltra::test {

struct UsbAdapter {
    QString tty;    // "ttyUSB0" or "ttyACM0"
    QString driver; // "ch341-uart", "cdc_acm", ...
    QString vendorId, productId, manufacturer, product, serial;
    QString stableName; // under /dev/serial/by-id; empty: udev made none
};

class FakeSystemTree {
  public:
    FakeSystemTree() {
        roots.sys = dir.filePath(QStringLiteral("sys"));
        roots.dev = dir.filePath(QStringLiteral("dev"));
        roots.proc = dir.filePath(QStringLiteral("proc"));
        for (const QString& folder :
             {roots.sys + "/class/tty", roots.sys + "/bus/usb/devices", roots.dev, roots.proc})
            QDir().mkpath(folder);
    }

    void addUsbAdapter(const UsbAdapter& a) {
        const QString usb = sys("devices/pci0000:00/usb1/1-" + QString::number(++usbPorts_));
        write(usb + "/idVendor", a.vendorId);
        write(usb + "/idProduct", a.productId);
        if (!a.manufacturer.isEmpty()) write(usb + "/manufacturer", a.manufacturer);
        if (!a.product.isEmpty()) write(usb + "/product", a.product);
        if (!a.serial.isEmpty()) write(usb + "/serial", a.serial);
        link(sys("bus/usb/devices/" + QFileInfo(usb).fileName()), usb);
        const QString interface = usb + "/" + QFileInfo(usb).fileName() + ":1.0";
        // A USB serial converter has a port device of its own under the
        // interface; a modem (ACM) hangs its tty on the interface itself.
        const bool modem = a.tty.startsWith("ttyACM");
        const QString device = modem ? interface : interface + "/" + a.tty;
        const QString bus = modem ? "usb" : "usb-serial";
        driverLink(device, bus, a.driver);
        addTty(a.tty, device);
        if (!a.stableName.isEmpty())
            link(roots.dev + "/serial/by-id/" + a.stableName, roots.dev + "/" + a.tty);
    }

    // An on-board UART of the 8250 driver; type 0 is a name with no UART behind it.
    void addUart(const QString& tty, const QString& type) {
        const QString device = sys("devices/platform/serial8250");
        driverLink(device, "platform", "serial8250");
        addTty(tty, device);
        write(sys("class/tty/" + tty + "/type"), type);
    }

    // A tty with no device behind it (virtual terminals, the console).
    void addVirtualTty(const QString& tty) {
        const QString entry = sys("devices/virtual/tty/" + tty);
        QDir().mkpath(entry);
        link(sys("class/tty/" + tty), entry);
        node(tty);
    }

    void addProcess(int pid, const QString& command) {
        write(roots.proc + "/" + QString::number(pid) + "/comm", command + "\n");
    }

    void node(const QString& name) { write(roots.dev + "/" + name, QString()); }

    QString devPath(const QString& name) const { return roots.dev + "/" + name; }

    // A relative symbolic link at `at` to `target`, as sysfs and udev make them.
    static void link(const QString& at, const QString& target) {
        QDir().mkpath(QFileInfo(at).path());
        ASSERT_TRUE(QFile::link(QDir(QFileInfo(at).path()).relativeFilePath(target), at)) << at.toStdString();
    }

    static void write(const QString& path, const QString& text) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(text.toUtf8());
    }

    QTemporaryDir dir;
    SystemRoots roots;

  private:
    QString sys(const QString& relative) const { return roots.sys + "/" + relative; }

    void driverLink(const QString& device, const QString& bus, const QString& driver) {
        const QString drivers = sys("bus/" + bus + "/drivers/" + driver);
        QDir().mkpath(drivers);
        QDir().mkpath(device);
        if (!QFileInfo(device + "/driver").isSymLink()) link(device + "/driver", drivers);
    }

    // The class entry of a tty on `device`, and its node.
    void addTty(const QString& tty, const QString& device) {
        const QString entry = device + "/tty/" + tty;
        QDir().mkpath(entry);
        link(entry + "/device", device);
        link(sys("class/tty/" + tty), entry);
        node(tty);
    }

    int usbPorts_ = 0;
};

} // namespace veltra::test
