// Ports that cannot be had, and shutting down at awkward moments.

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "tests/link/LinkFixture.h"
#include "tests/support/ScopedUnprivilegedFiles.h"

namespace veltra::test {
namespace {

const QString kOpenFailed = QStringLiteral("  Внимание: ошибка при попытке открыть порт связи COM1   ");
const QString kConfigFailed = QStringLiteral(" Внимание: ошибка при конфигурировании COM-порта ! ");

QString firstLine(const QString& text) {
    return text.section(QLatin1Char('\n'), 0, 0);
}
QString secondLine(const QString& text) {
    return text.section(QLatin1Char('\n'), 1);
}

TEST_F(LinkOverPty, NewPortHasNoErrorsAndStaysIdle) {
    port = std::make_unique<ComPort>(&client, mapTo(peer.slavePath()), portTurns);
    EXPECT_EQ(port->StatusText(), QStringLiteral(" COM-port has NO Errors "));
    EXPECT_FALSE(port->IsOpen());
    pumpFor(200);
    EXPECT_EQ(client.cycles, 0u);
    EXPECT_EQ(peer.frameCount(), 0u);
}

TEST_F(LinkOverPty, PortHeldByAnotherComPortIsBusy) {
    openRunning();
    ComPort second(nullptr, mapTo(peer.slavePath()), portTurns);
    RecordingReporter reporter;
    EXPECT_FALSE(SelectPort(second, QStringLiteral("COM1"), reporter));
    EXPECT_EQ(second.StatusText(), kOpenFailed);
    EXPECT_EQ(second.lastOpenErrno(), EBUSY);
    ASSERT_EQ(reporter.calls.size(), 3u);
    EXPECT_EQ(reporter.calls[0], QStringLiteral("beep"));
    EXPECT_EQ(reporter.calls[1], QStringLiteral("panel:Порт COM1 - ошибка"));
    QString box = reporter.calls[2].mid(4);
    EXPECT_EQ(firstLine(box), kOpenFailed);
    EXPECT_TRUE(secondLine(box).contains(QString::fromStdString(peer.slavePath())));
    EXPECT_TRUE(secondLine(box).contains(QStringLiteral("занят"))) << box.toStdString();
    // The first port goes on working.
    std::size_t polls = peer.countOf(0x10);
    EXPECT_TRUE(waitFor([&] { return peer.countOf(0x10) > polls + 2; }));
}

// Another program holding a device open and locked, as a terminal program
// does: a child process named "pty-holder".
class HoldingProcess {
  public:
    explicit HoldingProcess(const std::string& path) {
        int ready[2];
        if (::pipe(ready) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            // Only async-signal-safe calls in the child of a threaded process.
            (void)::prctl(PR_SET_NAME, "pty-holder");
            const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
            const char ok = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? '1' : '0';
            if (::write(ready[1], &ok, 1) != 1) ::_exit(1); // the parent then reads that it holds nothing
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char ok = '0';
        holding_ = pid_ > 0 && ::read(ready[0], &ok, 1) == 1 && ok == '1';
        ::close(ready[0]);
    }
    ~HoldingProcess() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    pid_t pid() const { return pid_; }
    bool holding() const { return holding_; }

  private:
    pid_t pid_ = -1;
    bool holding_ = false;
};

TEST_F(LinkOverPty, ABusyPortNamesTheProgramThatHoldsItAndItsPid) {
    HoldingProcess holder(peer.slavePath());
    ASSERT_TRUE(holder.holding());
    ComPort p(nullptr, mapTo(peer.slavePath()), portTurns);
    EXPECT_FALSE(p.Open(QStringLiteral("COM1")));
    EXPECT_EQ(p.lastOpenErrno(), EBUSY);
    const QString message = p.OpenFailureMessage();
    EXPECT_EQ(firstLine(message), kOpenFailed);
    EXPECT_TRUE(message.contains(QStringLiteral("pty-holder (PID %1)").arg(holder.pid())))
        << message.toStdString();
}

TEST_F(LinkOverPty, MissingDeviceAndForbiddenDeviceGiveClearReasons) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_EQ(::chmod(dir.path().toLocal8Bit().constData(), 0755), 0);
    const QString forbidden = dir.filePath(QStringLiteral("ttyForbidden"));
    {
        QFile f(forbidden);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_EQ(::chmod(forbidden.toLocal8Bit().constData(), 0), 0);

    struct Case {
        QString path;
        int err;
        QString hint;
        QString never; // advice that would be wrong here
    };
    const Case cases[] = {
        {dir.filePath(QStringLiteral("no-such-tty")), ENOENT, QStringLiteral("Сейчас "),
         QStringLiteral("usermod")},
        // Mode 000 gives no group anything: joining its group would not help.
        {forbidden, EACCES, QStringLiteral("не поможет"), QStringLiteral("usermod")},
    };
    for (const auto& c : cases) {
        ComPort p(nullptr, mapTo(c.path.toStdString()), portTurns);
        bool opened;
        {
            ScopedUnprivilegedFiles asUser;
            opened = p.Open(QStringLiteral("COM1"));
        }
        EXPECT_FALSE(opened) << c.path.toStdString();
        EXPECT_EQ(p.StatusText(), kOpenFailed);
        EXPECT_EQ(p.lastOpenErrno(), c.err);
        QString message = p.OpenFailureMessage();
        EXPECT_EQ(firstLine(message), kOpenFailed);
        EXPECT_TRUE(secondLine(message).startsWith(c.path + QStringLiteral(": "))) << message.toStdString();
        EXPECT_TRUE(secondLine(message).contains(QString::fromLocal8Bit(std::strerror(c.err))));
        EXPECT_TRUE(secondLine(message).contains(c.hint)) << message.toStdString();
        EXPECT_FALSE(message.contains(c.never)) << message.toStdString();
    }
}

TEST_F(LinkOverPty, RefusedConfigurationKeepsTheDeviceUntilTheNextOpen) {
    QTemporaryDir dir;
    const QString notATty = dir.filePath(QStringLiteral("plain-file"));
    {
        QFile f(notATty);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ComPort first(nullptr, mapTo(notATty.toStdString()), portTurns);
    EXPECT_FALSE(first.Open(QStringLiteral("COM1")));
    EXPECT_EQ(first.StatusText(), kConfigFailed);
    EXPECT_FALSE(first.IsOpen());
    EXPECT_EQ(firstLine(first.OpenFailureMessage()), kConfigFailed);

    // Still held: nobody else gets it.
    ComPort second(nullptr, mapTo(notATty.toStdString()), portTurns);
    EXPECT_FALSE(second.Open(QStringLiteral("COM1")));
    EXPECT_EQ(second.lastOpenErrno(), EBUSY);

    // The next Open lets go of it.
    first.setPortMap(mapTo(peer.slavePath()));
    EXPECT_TRUE(first.Open(QStringLiteral("COM1")));
    EXPECT_FALSE(second.Open(QStringLiteral("COM1")));
    EXPECT_EQ(second.StatusText(), kConfigFailed);
}

TEST_F(LinkOverPty, SelectPortOpensOnlyTheExactNames) {
    PtyBoardPeer peer2, peer3;
    PortMap map;
    map.com1 = QByteArray::fromStdString(peer.slavePath());
    map.com2 = QByteArray::fromStdString(peer2.slavePath());
    map.com3 = QByteArray::fromStdString(peer3.slavePath());
    port = std::make_unique<ComPort>(&client, map, portTurns);

    for (const char* name : {"COM4", "com1", "COM1 ", "", "/dev/ttyS0"}) {
        RecordingReporter reporter;
        EXPECT_FALSE(SelectPort(*port, QString::fromLatin1(name), reporter)) << name;
        EXPECT_TRUE(reporter.calls.empty()) << name;
        EXPECT_FALSE(port->IsOpen()) << name;
    }
    struct Case {
        const char* name;
        PtyBoardPeer* board;
    };
    for (auto [name, board] : {Case{"COM1", &peer}, Case{"COM2", &peer2}, Case{"COM3", &peer3}}) {
        RecordingReporter reporter;
        EXPECT_TRUE(SelectPort(*port, QString::fromLatin1(name), reporter)) << name;
        ASSERT_EQ(reporter.calls.size(), 1u);
        EXPECT_EQ(reporter.calls[0],
                  QStringLiteral("panel:Порт ") + QString::fromLatin1(name) + QStringLiteral(" - ОК"));
        EXPECT_TRUE(port->Enabled());
        EXPECT_TRUE(waitFor([&] { return board->countOf(0x10) > 0; })) << name;
    }
    // A name that is not a port leaves the open port alone but stops the link.
    RecordingReporter reporter;
    EXPECT_FALSE(SelectPort(*port, QStringLiteral("COM4"), reporter));
    EXPECT_TRUE(port->IsOpen());
    ASSERT_TRUE(waitFor([&] { return !port->worker().Active(); }));
    std::size_t cycles = client.cycles;
    pumpFor(300);
    EXPECT_EQ(client.cycles, cycles);
}

// Destruction must end within a couple of cycles; the bound is generous for loaded machines.
constexpr qint64 kDestroyBoundMs = 3000;

TEST_F(LinkOverPty, DestroyWhileFramesKeepArriving) {
    openRunning();
    ASSERT_TRUE(waitFor([&] { return link.LinkAlive(); }));
    std::atomic<bool> flooding{true};
    std::thread flood([&] {
        while (flooding) {
            peer.sendRaw(peerAnswer(0x10, 0, {1, 2, 3, 4, 5, 6}));
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
    });
    pumpFor(200);
    QElapsedTimer timer;
    timer.start();
    port.reset();
    qint64 took = timer.elapsed();
    flooding = false;
    flood.join();
    std::printf("destroyed while frames arrive in %lld ms\n", static_cast<long long>(took));
    EXPECT_LT(took, kDestroyBoundMs);
}

// Keeps the GUI thread away from its events until the worker waits in Synchronize.
bool waitUntilWorkerBlocked(const TCOMport& worker) {
    for (int i = 0; i < 5000; ++i) {
        if (worker.Synchronizing()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

TEST_F(LinkOverPty, DestroyWhileTheWorkerIsBlockedInASynchronisedStep) {
    openRunning();
    ASSERT_TRUE(waitFor([&] { return link.LinkAlive(); }));
    ASSERT_TRUE(waitUntilWorkerBlocked(port->worker()));
    QElapsedTimer timer;
    timer.start();
    port.reset();
    EXPECT_LT(timer.elapsed(), kDestroyBoundMs);
}

TEST_F(LinkOverPty, ChangingTheRunStateWhileTheWorkerIsBlockedInASynchronisedStep) {
    openRunning();
    ASSERT_TRUE(waitFor([&] { return link.LinkAlive(); }));
    ASSERT_TRUE(waitUntilWorkerBlocked(port->worker()));
    // Open holds the worker still twice; the worker's pending step must run meanwhile.
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(port->Open(QStringLiteral("COM1")));
    EXPECT_LT(timer.elapsed(), 800 + kDestroyBoundMs);
    port->SetRun(true);
    std::size_t polls = peer.countOf(0x10);
    EXPECT_TRUE(waitFor([&] { return peer.countOf(0x10) > polls; }));
}

} // namespace
} // namespace veltra::test
