// veltra-ports: its JSON for scripts, and the real command.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "PortsReport.h"
#include "ports/SerialLister.h"
#include "tests/ports/FakeSystemTree.h"

namespace veltra::test {
namespace {

TEST(VeltraPorts, JsonGivesEachDeviceItsNamesDescriptionAndAccess) {
    FakeSystemTree tree;
    tree.addUsbAdapter(
        {"ttyUSB0", "ch341-uart", "1a86", "7523", "QinHeng", "USB Serial", "A1", "usb-1a86-if00"});
    tree.addUart("ttyS0", "4");
    std::vector<SerialPortInfo> ports = listSerialPorts(tree.roots).ports;
    SerialPortInfo gone = ports.back();
    gone.path = QFile::encodeName(tree.devPath("ttyS5"));
    ports.push_back(gone);

    const QJsonDocument json = QJsonDocument::fromJson(portsJson(surveyPorts(ports, tree.roots)));
    const QJsonArray list = json.object()["ports"].toArray();
    ASSERT_EQ(list.size(), 3);
    const QJsonObject usb = list[0].toObject();
    EXPECT_EQ(usb["path"].toString(), tree.roots.dev + "/serial/by-id/usb-1a86-if00");
    EXPECT_EQ(usb["device"].toString(), tree.devPath("ttyUSB0"));
    EXPECT_EQ(usb["name"].toString(), "ttyUSB0");
    EXPECT_EQ(usb["kind"].toString(), "usb");
    EXPECT_EQ(usb["description"].toString(), "QinHeng USB Serial, № A1 (ttyUSB0)");
    EXPECT_EQ(usb["driver"].toString(), "ch341-uart");
    EXPECT_EQ(usb["usb"].toObject()["vendor_id"].toString(), "1a86");
    EXPECT_EQ(usb["usb"].toObject()["serial"].toString(), "A1");
    EXPECT_EQ(usb["access"].toString(), "ok");
    EXPECT_TRUE(usb["problem"].toArray().isEmpty());
    EXPECT_EQ(list[1].toObject()["kind"].toString(), "uart");
    EXPECT_FALSE(list[1].toObject().contains("usb"));
    const QJsonObject missing = list[2].toObject();
    EXPECT_EQ(missing["access"].toString(), "missing");
    EXPECT_TRUE(missing["problem"].toArray()[0].toString().startsWith("Причина: "))
        << json.toJson().toStdString();
}

TEST(VeltraPorts, TheTextShowsNamesEscapedAndJsonKeepsTheirBytes) {
    FakeSystemTree tree;
    tree.addUart("ttyS0", "4");
    std::vector<SerialPortInfo> ports = listSerialPorts(tree.roots).ports;
    ASSERT_EQ(ports.size(), 1u);
    ports[0].path = QFile::encodeName(tree.roots.dev) + "/board\x1b]0;owned\a\n\xff";
    const std::vector<PortEntry> entries = surveyPorts(ports, tree.roots);
    const QString text = portsText(entries);
    EXPECT_TRUE(text.startsWith(tree.roots.dev + "/board\\e]0;owned\\a\\n\\xFF\n")) << text.toStdString();
    EXPECT_FALSE(text.contains(QChar(0x1b)) || text.contains(QChar(0x07)));
    const QJsonObject port = QJsonDocument::fromJson(portsJson(entries)).object()["ports"].toArray()[0].toObject();
    EXPECT_EQ(QByteArray::fromBase64(port["path_bytes"].toString().toLatin1()), ports[0].path);
}

TEST(VeltraPorts, TheCommandListsAndExitsWithZero) {
    struct Case {
        QStringList args;
        int exitCode;
        bool json;
    };
    const Case cases[] = {{{"--json"}, 0, true}, {{}, 0, false}, {{"--jsn"}, 64, false}};
    for (const Case& c : cases) {
        QProcess tool;
        tool.start(VELTRA_PORTS_EXE, c.args);
        ASSERT_TRUE(tool.waitForFinished(30000));
        EXPECT_EQ(tool.exitCode(), c.exitCode) << c.args.join(' ').toStdString();
        if (c.json) {
            QJsonParseError error{};
            const QJsonDocument json = QJsonDocument::fromJson(tool.readAllStandardOutput(), &error);
            EXPECT_EQ(error.error, QJsonParseError::NoError);
            EXPECT_TRUE(json.object()["ports"].isArray());
        }
    }
}

} // namespace
} // namespace veltra::test
