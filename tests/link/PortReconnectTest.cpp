// The configured port opens again by itself: at once when its device appears.

#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include "link/PortReconnect.h"
#include "tests/link/LinkFixture.h"

namespace veltra::test {
namespace {

TEST_F(LinkOverPty, AConfiguredDeviceThatAppearsIsOpenedAtOnce) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("virtual-board"));
    port = std::make_unique<ComPort>(&client, mapTo(link.toStdString()), portTurns);
    RecordingReporter reporter;
    PortReconnect reconnect(*port, reporter, nullptr);
    reconnect.setRetryInterval(3600 * 1000); // only the device's appearing can open it here
    reconnect.setPortName(QStringLiteral("COM1"));
    reconnect.start();
    pumpFor(200);
    ASSERT_FALSE(port->IsOpen());

    // The virtual board starts and makes its link.
    ASSERT_TRUE(QFile::link(QString::fromStdString(peer.slavePath()), link));
    ASSERT_TRUE(waitFor([&] { return port->IsOpen(); }));
    EXPECT_EQ(reporter.calls.back(), QStringLiteral("panel:Порт COM1 - ОК"));
    EXPECT_TRUE(waitFor([&] { return peer.countOf(0x10) > 0; })); // and the link runs
}

TEST_F(LinkOverPty, AReopenTakesThePathsBytesAsTheyAre) {
    // The board's pseudo-terminal through a link in a folder named in
    // Windows-1251 bytes ("проект"), which are not UTF-8.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray folder = QFile::encodeName(dir.path()) + "/\xef\xf0\xee\xe5\xea\xf2";
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    const QByteArray device = folder + "/vb";
    ASSERT_EQ(::symlink(peer.slavePath().c_str(), device.constData()), 0);
    port = std::make_unique<ComPort>(&client, mapTo(device.toStdString()), portTurns);
    ASSERT_TRUE(port->Reopen(QStringLiteral("COM1")));
    port->SetRun(true);
    EXPECT_TRUE(waitFor([&] { return peer.countOf(0x10) > 0; }));
}

} // namespace
} // namespace veltra::test
