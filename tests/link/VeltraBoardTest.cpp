// The board simulator as a user runs it, talked to by the program's own ComPort.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

#include "link/LinkRequest.h"
#include "tests/link/LinkFixture.h"
#include "tools/veltra-board/BoardOptions.h"
#include "tools/veltra-board/BoardProtocol.h"

namespace veltra::test {
namespace {

class VeltraBoard : public ::testing::Test {
  protected:
    // Starts the simulator with a link in a temporary folder; returns the slave path it printed.
    QString start(QStringList extra) {
        linkPath = dir.filePath(QStringLiteral("board"));
        process.setProgram(QStringLiteral(VELTRA_BOARD_EXE));
        process.setArguments(QStringList{QStringLiteral("--link"), linkPath} + extra);
        process.start();
        if (!process.waitForStarted(10000)) return {};
        if (!waitFor([&] { return process.canReadLine() || process.state() != QProcess::Running; }, 10000))
            return {};
        return QString::fromLocal8Bit(process.readLine()).trimmed();
    }

    void stop(int signal) {
        ::kill(static_cast<pid_t>(process.processId()), signal);
        EXPECT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
    }

    void TearDown() override {
        port.reset();
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

    void openOnLink() {
        PortMap map;
        map.com1 = QFile::encodeName(linkPath);
        port = std::make_unique<ComPort>(&client, map, portTurns);
        ASSERT_TRUE(port->Open(QStringLiteral("COM1"))) << port->OpenFailureMessage().toStdString();
        port->SetRun(true);
    }

    QTemporaryDir dir;
    QString linkPath;
    QProcess process;
    LinkProtocol link;
    RecordingClient client{link};
    PlainTurns portTurns;
    std::unique_ptr<ComPort> port;
};

TEST_F(VeltraBoard, AnswersThePollsOfComPortOnItsLinkAndRemovesTheLinkOnExit) {
    QString slave = start({QStringLiteral("--echo")});
    ASSERT_TRUE(slave.startsWith(QStringLiteral("/dev/pts/"))) << slave.toStdString();
    EXPECT_EQ(QFileInfo(linkPath).symLinkTarget(), slave);

    openOnLink();
    ASSERT_TRUE(waitFor([&] { return link.LinkAlive() && link.ioCount() >= 5; }));
    EXPECT_EQ(link.lastReplyCode(), 0x10);
    EXPECT_EQ(link.lastReplyStatus(), 0);

    EventPumpTurns turns;
    LinkRequest request(link, turns);
    link.SetConsoleCommand(0x1234, 0, false);
    auto result = request.Run(RequestCode::Command, {{50, 100}, {50, 100}});
    EXPECT_EQ(result.outcome, RequestOutcome::Answered);
    EXPECT_EQ(result.status, 0);
    request.Finish();

    port.reset();
    stop(SIGTERM);
    EXPECT_FALSE(QFileInfo::exists(linkPath)) << "link left behind";
    EXPECT_FALSE(QFileInfo(linkPath).isSymLink());
    QString log = QString::fromLocal8Bit(process.readAllStandardError());
    EXPECT_TRUE(log.contains(QStringLiteral("rx 77 70 61 10 00 00 00 0A"))) << log.left(300).toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("rx 77 70 61 25 08 00 00 0A 01 34 12 00 00 00 3D 07")));
}

TEST_F(VeltraBoard, RejectsAndFailsMemoryAsTold) {
    ASSERT_FALSE(start({QStringLiteral("--reject"), QStringLiteral("0x25"), QStringLiteral("--memory-fail"),
                        QStringLiteral("--noise")})
                     .isEmpty());
    openOnLink();
    ASSERT_TRUE(waitFor([&] { return link.LinkAlive(); }));
    EventPumpTurns turns;
    LinkRequest request(link, turns);
    struct Case {
        RequestCode code;
        std::uint8_t status;
    };
    for (auto c : {Case{RequestCode::Command, 0x01}, Case{RequestCode::MemoryWrite, 0x10},
                   Case{RequestCode::MemoryErase, 0x10}, Case{RequestCode::Reset, 0x00}}) {
        auto result = request.Run(c.code, {{50, 100}, {50, 100}});
        EXPECT_EQ(result.outcome, RequestOutcome::Answered) << int(c.code);
        EXPECT_EQ(result.status, c.status) << int(c.code);
        request.Finish();
    }
    stop(SIGINT);
    EXPECT_FALSE(QFileInfo::exists(linkPath));
}

TEST_F(VeltraBoard, SilentBoardLeavesTheLinkLost) {
    ASSERT_FALSE(start({QStringLiteral("--silent")}).isEmpty());
    openOnLink();
    ASSERT_TRUE(waitFor([&] { return client.cycles >= 10; }));
    EXPECT_FALSE(link.LinkAlive());
    EXPECT_EQ(link.ioCount(), 0);
}

TEST_F(VeltraBoard, DelayedAnswersStillArrive) {
    ASSERT_FALSE(start({QStringLiteral("--delay"), QStringLiteral("300")}).isEmpty());
    openOnLink();
    ASSERT_TRUE(waitFor([&] { return link.LinkAlive(); }));
    // The first answer came no sooner than the delay after the first poll.
    std::size_t firstFrame = 0;
    while (!client.events[firstFrame].frame)
        ++firstFrame;
    EXPECT_GE(client.events[firstFrame].at - client.events[0].at, std::chrono::milliseconds(300));
}

TEST_F(VeltraBoard, RefusesToReplaceAFileThatIsNotALink) {
    linkPath = dir.filePath(QStringLiteral("board"));
    {
        QFile f(linkPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    process.setProgram(QStringLiteral(VELTRA_BOARD_EXE));
    process.setArguments({QStringLiteral("--link"), linkPath});
    process.start();
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_NE(process.exitCode(), 0);
    QFile f(linkPath);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("keep me"));
}

// Whether a link from an earlier run is there or not, the files beside it
// stay as the user left them, and the run leaves nothing behind.
TEST_F(VeltraBoard, TheLinkNeverRemovesOrOverwritesOtherFiles) {
    for (bool oldLink : {false, true}) {
        SCOPED_TRACE(oldLink ? "over an old link" : "new link");
        const QDir folder(dir.filePath(oldLink ? QStringLiteral("old") : QStringLiteral("new")));
        ASSERT_TRUE(folder.mkpath(QStringLiteral(".")));
        const QString board = folder.filePath(QStringLiteral("board"));
        for (const char* name : {"board.new", "board.tmp"}) {
            QFile mine(folder.filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
            mine.write("mine");
        }
        if (oldLink) {
            ASSERT_TRUE(QFile::link(QStringLiteral("/dev/null"), board));
        }

        process.setProgram(QStringLiteral(VELTRA_BOARD_EXE));
        process.setArguments({QStringLiteral("--link"), board});
        process.start();
        ASSERT_TRUE(process.waitForStarted(10000));
        ASSERT_TRUE(
            waitFor([&] { return process.canReadLine() || process.state() != QProcess::Running; }, 10000));
        const QString slave = QString::fromLocal8Bit(process.readLine()).trimmed();
        EXPECT_EQ(QFileInfo(board).symLinkTarget(), slave);
        stop(SIGTERM);

        EXPECT_EQ(folder.entryList(QDir::Files | QDir::System | QDir::Hidden),
                  (QStringList{QStringLiteral("board.new"), QStringLiteral("board.tmp")}));
        for (const char* name : {"board.new", "board.tmp"}) {
            QFile mine(folder.filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(mine.open(QIODevice::ReadOnly));
            EXPECT_EQ(mine.readAll(), QByteArray("mine")) << name;
        }
    }
}

TEST(VeltraBoardParts, ParserTakesRequestsAndChecksTheirCrc) {
    using namespace veltra::board_sim;
    BoardFrameParser parser;
    std::vector<std::uint8_t> stream = {0x01, 0x77, 0x00, 0x77, 0x70, 0x61, 0x10, 0,    0,    0,
                                        0x0A, 0x77, 0x70, 0x61, 0x25, 0x08, 0x00, 0x00, 0x0A, 0x01,
                                        0x34, 0x12, 0x00, 0x00, 0x00, 0x3D, 0x07, 0x77, 0x70, 0x61,
                                        0x25, 0x03, 0x00, 0x00, 0x0A, 0x01, 0xFF, 0xFF};
    auto requests = parser.push(stream.data(), stream.size());
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].code, 0x10);
    EXPECT_EQ(requests[1].data, (std::vector<std::uint8_t>{0x01, 0x34, 0x12, 0x00, 0x00, 0x00}));
    EXPECT_TRUE(requests[1].crcOk);
    EXPECT_FALSE(requests[2].crcOk);
    EXPECT_EQ(encodeAnswer(0x24, {0x10, {}}),
              (std::vector<std::uint8_t>{0x77, 0x70, 0x61, 0x24, 0, 0, 0x10, 0x0A}));
}

TEST(VeltraBoardParts, CommandLine) {
    using namespace veltra::board_sim;
    auto ok = parseBoardOptions({"--link", "/tmp/x", "--reject", "0x25", "--reject", "240", "--delay", "20"});
    ASSERT_TRUE(ok.options);
    EXPECT_EQ(ok.options->linkPath, "/tmp/x");
    EXPECT_EQ(ok.options->echo.rejected, (std::set<std::uint8_t>{0x25, 0xF0}));
    EXPECT_EQ(ok.options->delayMs, 20);
    for (std::vector<std::string> bad : {std::vector<std::string>{"--reject", "256"},
                                         {"--reject"},
                                         {"--delay", "x"},
                                         {"--link"},
                                         {"--frobnicate"}}) {
        auto parsed = parseBoardOptions(bad);
        EXPECT_FALSE(parsed.options) << bad[0];
        EXPECT_EQ(parsed.exitCode, 64) << bad[0];
    }
}

} // namespace
} // namespace veltra::test
