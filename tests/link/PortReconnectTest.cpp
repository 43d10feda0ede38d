// The configured port opens again by itself: at once when its device appears.

#include <QFile>
#include <QTemporaryDir>

#include "link/PortReconnect.h"
#include "tests/link/LinkFixture.h"

namespace veltra::test {
namespace {

TEST_F(LinkOverPty, AConfiguredDeviceThatAppearsIsOpenedAtOnce) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("virtual-board"));
    port = std::make_unique<ComPort>(&client, mapTo(link.toStdString()));
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

} // namespace
} // namespace veltra::test
