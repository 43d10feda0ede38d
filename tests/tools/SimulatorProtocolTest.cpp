// veltra-board as the editor meets it: a separate process on a pseudo-terminal,
// talked to with the program's ComPort and link protocol, watched through the
// JSON state lines it prints.

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QTemporaryDir>

#include <set>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "tests/support/PeerFrameParser.h"
#include "tests/support/WaitFor.h"
#include "tests/tools/SimulatorProcess.h"
#include "wire/FrameCodec.h"

namespace veltra::test {
namespace {

constexpr std::uint16_t kLed1Red = 0xA1F1;    // свд_1 = к,15
constexpr std::uint16_t kLed1Off = 0xA100;    // свд_1 = ч,0
constexpr std::uint16_t kLed1Yellow = 0xA1F4; // свд_1 = ж,15
constexpr std::uint16_t kLed2Red = 0xA2F1;    // свд_2 = к,15
constexpr std::uint16_t kLed3Green = 0xA3F2;  // свд_3 = з,15
constexpr std::uint16_t kLed5Blue = 0xA5F3;   // свд_5 = с,15
constexpr std::uint16_t kRelay1On = 0x1A01;   // реле_1 = вкл
constexpr std::uint16_t kSetA5 = 0x9105;      // А=5
constexpr std::uint16_t kPause100ms = 0x4305; // пауза*****
constexpr std::uint16_t kPause255s = 0x42FF;  // пауза=255
constexpr std::uint16_t kJumpTo0 = 0xE000;    // переход [0]
constexpr std::uint16_t kNotAWord = 0x1234;

class Simulator : public ::testing::Test {
  protected:
    QString linkPath() const { return dir.filePath(QStringLiteral("board")); }

    // Starts the simulator on linkPath() and opens the host's port on it.
    void startBoard(QStringList extra = {}) {
        ASSERT_TRUE(board.start(QStringList{QStringLiteral("--link"), linkPath()} + extra))
            << board.log().toStdString();
        ASSERT_TRUE(host.open(linkPath()));
        ASSERT_TRUE(host.waitAlive());
    }

    void restartBoard(QStringList extra = {}) {
        host.close();
        ASSERT_TRUE(board.stop());
        startBoard(extra);
    }

    QTemporaryDir dir;
    SimulatorProcess board;
    HostLink host;
};

TEST_F(Simulator, UploadedProgramRunsAndBlinksTheLed) {
    startBoard();
    ASSERT_GE(board.waitForState([](auto&) { return true; }), 0) << "no first state line";
    EXPECT_EQ(number(board.states()[0], "programSize"), 0);
    EXPECT_FALSE(flag(board.states()[0], "running"));

    const std::size_t before = board.states().size();
    ASSERT_EQ(host.upload({kLed1Red, kPause100ms, kLed1Off, kPause100ms, kJumpTo0}), 0);

    // On, off, on, off: the program runs, pauses and jumps back.
    std::size_t from = before;
    for (int colour : {1, 0, 1, 0}) {
        const int at = board.waitForState(
            [&](const QJsonObject& s) {
                return number(s, "programSize") == 5 && flag(s, "running") && ledColour(s, 1) == colour;
            },
            from);
        ASSERT_GE(at, 0) << "LED 1 never became " << colour << "\n" << board.log().toStdString();
        from = static_cast<std::size_t>(at) + 1;
    }
    // It stands in a pause at index 1 or 3 with the next word after it.
    std::set<int> pcs;
    for (std::size_t i = before; i < board.states().size(); ++i)
        pcs.insert(number(board.states()[i], "pc"));
    EXPECT_TRUE(pcs.count(2) && pcs.count(4)) << "pc seen: " << pcs.size() << " values";
    EXPECT_TRUE(board.log().contains(QStringLiteral("[4] E000  переход [0]"))) << board.log().toStdString();
}

TEST_F(Simulator, ConsoleCommandsActAtOnceAndUnexecutableWordsAreRefused) {
    startBoard();
    struct Case {
        const char* what;
        std::uint16_t word;
        bool toModule;
        bool accepted;
        StateCheck shows; // a state line that must follow an accepted command
    };
    const Case cases[] = {
        {"LED word", kLed3Green, false, true,
         [](auto& s) { return ledColour(s, 3) == 2 && ledBrightness(s, 3) == 15; }},
        {"relay word", kRelay1On, false, true, [](auto& s) { return s["relays"].toArray()[0].toInt() == 1; }},
        {"variable word", kSetA5, false, true, [](auto& s) { return number(s, "A") == 5; }},
        {"module word", 0x0042, true, true,
         [](auto& s) {
             auto f = s["forwarded"].toObject();
             return f["count"].toInt() == 1 && f["last"].toInt() == 0x42 && ledColour(s, 3) == 2;
         }},
        {"not a board word", kNotAWord, false, false, {}},
        {"pause from the console", kPause100ms, false, false, {}},
        {"jump from the console", kJumpTo0, false, false, {}},
    };
    for (const Case& c : cases) {
        const std::size_t from = board.states().size();
        const int status = host.command(c.word, c.toModule);
        if (!c.accepted) {
            EXPECT_GT(status, 0) << c.what;
            continue;
        }
        EXPECT_EQ(status, 0) << c.what;
        EXPECT_GE(board.waitForState(c.shows, from), 0) << c.what;
    }
    // The refused words changed nothing: the last state is the one the accepted ones left.
    ASSERT_TRUE(board.stop());
    const QJsonObject last = board.states().back();
    EXPECT_EQ(ledColour(last, 3), 2);
    EXPECT_EQ(number(last, "A"), 5);
    EXPECT_EQ(number(last, "programSize"), 0);
    EXPECT_TRUE(board.log().contains(QStringLiteral("command A3F2  свд_3 = з,15")));
}

TEST_F(Simulator, ResetClearsTheOutputsAndRestartsTheProgram) {
    startBoard();
    ASSERT_EQ(host.upload({kLed2Red, kPause255s, kJumpTo0}), 0);
    ASSERT_GE(board.waitForState([](auto& s) { return ledColour(s, 2) == 1 && flag(s, "paused"); }), 0);
    ASSERT_EQ(host.command(kLed5Blue), 0);
    ASSERT_EQ(host.command(kRelay1On), 0);
    ASSERT_EQ(host.command(kSetA5), 0);
    const int lit = board.waitForState([](auto& s) { return ledColour(s, 5) == 3 && number(s, "A") == 5; });
    ASSERT_GE(lit, 0);

    ASSERT_EQ(host.request(RequestCode::Reset), 0);
    const auto cleared = [](const QJsonObject& s) {
        return allLedsOff(s) && number(s, "A") == 0 && s["relays"].toArray()[0].toInt() == 0 &&
               number(s, "pc") == 0 && flag(s, "running");
    };
    const int off = board.waitForState(cleared, static_cast<std::size_t>(lit) + 1);
    ASSERT_GE(off, 0) << "no state with everything off after the reset";
    // The program starts again: LED 2 comes back, LED 5 stays dark.
    EXPECT_GE(board.waitForState(
                  [](auto& s) { return ledColour(s, 2) == 1 && ledColour(s, 5) == 0 && flag(s, "paused"); },
                  static_cast<std::size_t>(off) + 1),
              0);
}

TEST_F(Simulator, MemoryWriteSurvivesARestartAndEraseClearsIt) {
    startBoard();
    const QString copy = linkPath() + QStringLiteral(".nv");
    ASSERT_EQ(host.upload({kLed1Yellow, kPause255s, kJumpTo0}), 0);
    ASSERT_EQ(host.request(RequestCode::MemoryWrite), 0);
    EXPECT_TRUE(QFileInfo::exists(copy)) << "the copy belongs beside the link by default";

    // Started again, now naming the copy: the program is back and runs at once.
    restartBoard({QStringLiteral("--memory"), copy});
    ASSERT_GE(board.waitForState([](auto& s) {
        return number(s, "programSize") == 3 && ledColour(s, 1) == 4 && flag(s, "running");
    }),
              0)
        << board.log().toStdString();

    // Erase empties the copy; the program in memory runs on until the next start.
    ASSERT_EQ(host.request(RequestCode::MemoryErase), 0);
    restartBoard({QStringLiteral("--memory"), copy});
    ASSERT_GE(board.waitForState([](auto&) { return true; }), 0);
    EXPECT_EQ(number(board.states()[0], "programSize"), 0);
    EXPECT_FALSE(flag(board.states()[0], "running"));
}

TEST_F(Simulator, ADamagedCopyIsReportedAndKeptAndTheBoardStartsEmpty) {
    const QString copy = dir.filePath(QStringLiteral("copy.nv"));
    const QByteArray damaged("veltra-board program 1\nwords 2\nA1F1\nzzzz\nend\n");
    {
        QFile f(copy);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(damaged);
    }
    startBoard({QStringLiteral("--memory"), copy});
    ASSERT_GE(board.waitForState([](auto&) { return true; }), 0);
    EXPECT_EQ(number(board.states()[0], "programSize"), 0);
    EXPECT_TRUE(board.log().contains(QStringLiteral("refused"))) << board.log().toStdString();
    QFile f(copy);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), damaged);
}

TEST_F(Simulator, RefusedUploadKeepsTheRunningProgram) {
    startBoard();
    ASSERT_EQ(host.upload({kLed2Red, kPause255s, kJumpTo0}), 0);
    ASSERT_GE(board.waitForState([](auto& s) { return ledColour(s, 2) == 1; }), 0);
    // The editor judges an upload by the memory-failure bit: it must be set.
    const int status = host.upload({kLed1Red, kNotAWord});
    EXPECT_GT(status, 0);
    EXPECT_TRUE(status & 0x10) << status;
    ASSERT_TRUE(board.stop());
    for (const QJsonObject& s : board.states())
        EXPECT_NE(number(s, "programSize"), 2) << "the refused program was stored";
    EXPECT_EQ(ledColour(board.states().back(), 2), 1);
}

TEST_F(Simulator, RejectAndMemoryFailureMeanTheBoardDidNothing) {
    const QString copy = dir.filePath(QStringLiteral("copy.nv"));
    startBoard({QStringLiteral("--memory-fail"), QStringLiteral("--reject"), QStringLiteral("0x25"),
                QStringLiteral("--memory"), copy});
    EXPECT_EQ(host.upload({kLed1Red}), 0x10);
    EXPECT_EQ(host.request(RequestCode::MemoryWrite), 0x10);
    EXPECT_EQ(host.command(kLed3Green), 0x01);
    EXPECT_EQ(host.request(RequestCode::Reset), 0x00);
    ASSERT_TRUE(board.stop());
    for (const QJsonObject& s : board.states()) {
        EXPECT_EQ(number(s, "programSize"), 0);
        EXPECT_TRUE(allLedsOff(s));
    }
    EXPECT_FALSE(QFileInfo::exists(copy));
}

// Trying the refusal of an upload shows what a user of a real board sees: the
// editor judges uploads and memory requests by bit 0x10, which must be set.
TEST_F(Simulator, ARejectedUploadOrMemoryRequestReadsAsNotStored) {
    startBoard({QStringLiteral("--reject"), QStringLiteral("0x24"), QStringLiteral("--reject"),
                QStringLiteral("0x30")});
    EXPECT_EQ(host.upload({kLed1Red}), 0x11);
    EXPECT_EQ(host.request(RequestCode::MemoryWrite), 0x11);
    EXPECT_EQ(host.command(kLed3Green), 0x00);
    EXPECT_GE(board.waitForState([](auto& s) { return ledColour(s, 3) == 2; }), 0);
    ASSERT_TRUE(board.stop());
    for (const QJsonObject& s : board.states())
        EXPECT_EQ(number(s, "programSize"), 0);
}

std::vector<std::uint8_t> frame(RequestCode code, const std::vector<std::uint8_t>& data) {
    std::array<std::uint8_t, kFrameBufferSize> out{};
    const std::size_t n = EncodeFrame(code, data, out);
    return {out.begin(), out.begin() + static_cast<long>(n)};
}

TEST_F(Simulator, GarbledFramesAreRefusedAndTheLineRecovers) {
    ASSERT_TRUE(board.start({QStringLiteral("--link"), linkPath()}));
    // Raw bytes, as a broken line delivers them, instead of the program's port.
    const int fd = ::open(linkPath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios raw{};
    ::tcgetattr(fd, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(fd, TCSANOW, &raw);

    auto upload = frame(RequestCode::Upload, {0xF1, 0xA1, 0xFF, 0x42});
    upload.back() ^= 0xFF; // the CRC no longer matches the words
    const auto command = frame(RequestCode::Command, {1, 0xF2, 0xA3, 0, 0, 0});
    std::vector<std::uint8_t> line = {0x00, 0x77, 0x13, 0x0A, 0xFF};
    line.insert(line.end(), upload.begin(), upload.end());
    line.insert(line.end(), {0x77, 0x70, 0x61}); // a header cut short
    line.insert(line.end(), command.begin(), command.end());
    ASSERT_EQ(::write(fd, line.data(), line.size()), static_cast<ssize_t>(line.size()));

    PeerFrameParser parser;
    std::vector<PeerFrame> answers;
    waitFor(
        [&] {
            std::uint8_t buffer[256];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0)
                for (auto& f : parser.push(buffer, static_cast<std::size_t>(n)))
                    answers.push_back(f);
            return answers.size() >= 2;
        },
        20000);
    ::close(fd);
    ASSERT_EQ(answers.size(), 2u) << board.log().toStdString();
    EXPECT_EQ(answers[0].code(), 0x24);
    EXPECT_EQ(answers[0].status(), 0x11) << "a program with a bad CRC must not be taken, nor read as stored";
    EXPECT_EQ(answers[1].code(), 0x25);
    EXPECT_EQ(answers[1].status(), 0x00);
    EXPECT_GE(board.waitForState([](auto& s) { return ledColour(s, 3) == 2; }), 0);
    ASSERT_TRUE(board.stop());
    for (const QJsonObject& s : board.states())
        EXPECT_EQ(number(s, "programSize"), 0);
    EXPECT_TRUE(board.log().contains(QStringLiteral("(bad CRC)")));
}

TEST_F(Simulator, WithItsWindowTheBoardStillRunsAndAnswers) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    ASSERT_TRUE(board.start({QStringLiteral("--link"), linkPath(), QStringLiteral("--view")}, env))
        << board.log().toStdString();
    ASSERT_TRUE(host.open(linkPath()));
    ASSERT_TRUE(host.waitAlive());
    ASSERT_EQ(host.upload({kLed1Red, kPause100ms, kLed1Off, kPause100ms, kJumpTo0}), 0);
    const int on = board.waitForState([](auto& s) { return ledColour(s, 1) == 1; });
    ASSERT_GE(on, 0);
    EXPECT_GE(
        board.waitForState([](auto& s) { return ledColour(s, 1) == 0; }, static_cast<std::size_t>(on) + 1),
        0);
    host.close();
    EXPECT_TRUE(board.stop());
    EXPECT_FALSE(QFileInfo::exists(linkPath()));
}

} // namespace
} // namespace veltra::test
