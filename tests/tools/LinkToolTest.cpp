// veltra-link as a user runs it: the real program against real virtual
// boards (veltra-board on pseudo-terminals) and against the test's own board
// peer, read through its exit code, its standard output and standard error.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "tests/support/PtyBoardPeer.h"
#include "tests/support/WaitFor.h"

namespace veltra::test {
namespace {

// Generous: the sanitized programs share two cores with other builds.
constexpr int kRunMs = 60000;

const QString kProgram = QStringLiteral("метка_1:\nсвд=к\nпауза+\nпереход метка_1\n");
const QString kUploaded = QStringLiteral("<<< Программа загружена");

// veltra-board --link PATH, until the test ends.
class VirtualBoard {
  public:
    bool start(const QString& link, const QStringList& args = {}) {
        link_ = link;
        process_.setProgram(QStringLiteral(VELTRA_BOARD_EXE));
        process_.setArguments(QStringList{QStringLiteral("--link"), link} + args);
        process_.start();
        return process_.waitForStarted(kRunMs) &&
               waitFor([&] { return QFileInfo(link).isSymLink() || process_.state() != QProcess::Running; },
                       kRunMs) &&
               QFileInfo(link).isSymLink();
    }
    ~VirtualBoard() {
        if (process_.state() == QProcess::NotRunning) return;
        ::kill(static_cast<pid_t>(process_.processId()), SIGTERM);
        if (!process_.waitForFinished(kRunMs)) process_.kill();
    }
    const QString& link() const { return link_; }

  private:
    QProcess process_;
    QString link_;
};

struct LinkRun {
    int exitCode = -1;
    QString out;
    QString err;
};

class LinkTool : public ::testing::Test {
  protected:
    QTemporaryDir dir;

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_STATE_HOME"), dir.filePath(QStringLiteral("state")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        return env;
    }

    void startLink(QProcess& process, const QStringList& args) const {
        process.setProcessEnvironment(environment());
        process.setProgram(QStringLiteral(VELTRA_LINK_EXE));
        process.setArguments(args);
        process.start();
        ASSERT_TRUE(process.waitForStarted(kRunMs));
    }

    LinkRun link(const QStringList& args, const QByteArray& input = {}) const {
        QProcess process;
        startLink(process, args);
        process.write(input);
        process.closeWriteChannel();
        LinkRun run;
        if (!process.waitForFinished(kRunMs)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "veltra-link did not end: " << args.join(' ').toStdString();
            return run;
        }
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    QString programFile(const QString& text, const char* name = "program.txt") const {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
        return path;
    }

    std::unique_ptr<VirtualBoard> board(const char* name, const QStringList& args = {}) const {
        auto started = std::make_unique<VirtualBoard>();
        EXPECT_TRUE(started->start(dir.filePath(QString::fromLatin1(name)), args)) << name;
        return started;
    }
};

TEST_F(LinkTool, ExitCodesTellScriptsWhatHappened) {
    const auto good = board("good");
    const auto rejecting = board("rejecting", {"--reject", "0x24", "--reject", "0x25"});
    const auto silent = board("silent", {"--silent"});
    const QString program = programFile(kProgram);
    const QString broken = programFile(QStringLiteral("свд=нет такого\n"), "broken.txt");
    const struct {
        const char* name;
        QStringList args;
        int exitCode;
        QString expectedOut; // a line of standard output
    } cases[] = {
        {"upload stored", {"upload", "--utf8", "--port", good->link(), program}, 0, kUploaded},
        {"upload refused",
         {"upload", "--utf8", "--port", rejecting->link(), program},
         1,
         "загрузка программы...ОШИБКА"},
        {"upload unanswered",
         {"upload", "--utf8", "--port", silent->link(), program},
         1,
         "Проверь связь с платой и повтори загрузку!"},
        {"upload of a program that fails its check",
         {"upload", "--utf8", "--port", good->link(), broken},
         2,
         ""},
        {"console commands answered",
         {"console", "--port", good->link(), "сбросить", ">свд_1 = к"},
         0,
         ">>выполняю...  OK"},
        {"console command refused", {"console", "--port", rejecting->link(), "свд_1 = к"}, 1, ""},
        {"status of a board that answers", {"status", "--port", good->link()}, 0, ""},
        {"status of a silent board", {"status", "--port", silent->link()}, 1, ""},
        {"no command", {"--port", good->link()}, 64, ""},
        {"--watch with upload", {"upload", "--watch", program}, 64, ""},
    };
    for (const auto& c : cases) {
        const LinkRun run = link(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name << "\n"
                                            << run.out.toStdString() << run.err.toStdString();
        if (!c.expectedOut.isEmpty()) {
            EXPECT_TRUE(run.out.split('\n').contains(c.expectedOut)) << c.name << "\n"
                                                                     << run.out.toStdString();
        }
    }
}

TEST_F(LinkTool, APortThatCannotBeOpenedExitsThreeWithTheDoctorsCauseOnOneLineEach) {
    // A name with a line break and an escape sequence must not reach the
    // terminal as such.
    const QString missing = dir.filePath(QStringLiteral("gone\n\x1b[2J"));
    const LinkRun run = link({"status", "--port", missing});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_FALSE(run.err.contains(QChar(0x1b)));
    const QStringList lines = run.err.trimmed().split('\n');
    ASSERT_GE(lines.size(), 2);
    for (const QString& line : lines)
        EXPECT_TRUE(line.startsWith("veltra-link: ")) << line.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("Причина:"))) << run.err.toStdString();

    const LinkRun json = link({"status", "--json", "--port", missing});
    EXPECT_EQ(json.exitCode, 3);
    // JSON carries the name itself, escaped as JSON escapes it: one line,
    // no raw control character, and the name read back whole.
    EXPECT_EQ(json.out.count('\n'), 1);
    EXPECT_FALSE(json.out.contains(QChar(0x1b)));
    const QJsonObject object = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(object.value("ok"), QJsonValue(false));
    EXPECT_EQ(object.value("port").toString(), missing);
}

// The test rig's case: one board of three does not answer. The others are
// loaded, the table names the one that failed, and the run fails.
TEST_F(LinkTool, AParallelUploadReportsEachBoardAndFailsWhenOneIsSilent) {
    const auto first = board("first");
    const auto silent = board("quiet", {"--silent"});
    const auto third = board("third");
    const LinkRun run = link({"upload", "--utf8", "--port", first->link(), "--port", silent->link(), "--port",
                              third->link(), programFile(kProgram)});
    EXPECT_EQ(run.exitCode, 1) << run.out.toStdString() << run.err.toStdString();

    auto tableRow = [&](const QString& port) {
        const QStringList lines = run.out.split('\n');
        for (auto line = lines.crbegin(); line != lines.crend(); ++line)
            if (line->startsWith(port + ' ')) return *line;
        return QString();
    };
    EXPECT_TRUE(tableRow(first->link()).contains(kUploaded.mid(4))) << run.out.toStdString();
    EXPECT_TRUE(tableRow(third->link()).contains(kUploaded.mid(4))) << run.out.toStdString();
    EXPECT_TRUE(tableRow(silent->link()).contains("Проверь связь")) << run.out.toStdString();

    // --json: one object per board, in the order of the ports.
    const LinkRun json = link({"upload", "--utf8", "--json", "--port", first->link(), "--port",
                               silent->link(), programFile(kProgram)});
    EXPECT_EQ(json.exitCode, 1);
    const QStringList objects = json.out.trimmed().split('\n');
    ASSERT_EQ(objects.size(), 2) << json.out.toStdString();
    const QJsonObject ok = QJsonDocument::fromJson(objects[0].toUtf8()).object();
    const QJsonObject failed = QJsonDocument::fromJson(objects[1].toUtf8()).object();
    EXPECT_EQ(ok.value("port").toString(), first->link());
    EXPECT_EQ(ok.value("ok"), QJsonValue(true));
    EXPECT_EQ(ok.value("status"), QJsonValue(0));
    EXPECT_GT(ok.value("health").toObject().value("replies").toInt(), 0);
    EXPECT_EQ(failed.value("ok"), QJsonValue(false));
    EXPECT_EQ(failed.value("health").toObject().value("replies").toInt(), 0);
}

TEST_F(LinkTool, ConsoleReadsOneCommandALineAndStopsAtTheFirstFailure) {
    const auto rejecting = board("rejecting", {"--reject", "0x25"});
    // The reset is answered; the refused command word ends the run before
    // the last line. Empty lines are no commands; CR LF ends a line too.
    const LinkRun run =
        link({"console", "--port", rejecting->link()}, "сбросить\n\n>свд_1 = к\r\nсбросить\n");
    EXPECT_EQ(run.exitCode, 1);
    const QStringList lines = run.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 4) << run.out.toStdString();
    EXPECT_EQ(lines[0], ">сбросить");
    EXPECT_EQ(lines[1], ">>выполняю...  OK");
    EXPECT_EQ(lines[2], ">свд_1 = к");
    EXPECT_NE(lines[3], ">>выполняю...  OK");
}

// Ctrl+C while the program waits for the board's answer: it ends at once,
// gives the line back as it found it and lets go of the port.
TEST_F(LinkTool, CtrlCDuringAWaitRestoresTheLineAndReleasesThePort) {
    PtyBoardPeer peer;
    const QString device = QString::fromStdString(peer.slavePath());
    const int held = ::open(peer.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(held, 0);
    termios before{};
    ASSERT_EQ(::tcgetattr(held, &before), 0);

    peer.setStatus(0x25, 0);
    peer.setReplyDelay(std::chrono::milliseconds(30000)); // the command's answer never comes in time
    QProcess process;
    startLink(process, {"console", "--port", device, "свд_1 = к"});
    // The command has gone out: the program waits for its answer.
    ASSERT_TRUE(waitFor([&] { return peer.countOf(0x25) > 0; }, kRunMs));
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(kRunMs));
    EXPECT_EQ(process.exitCode(), 130) << process.readAllStandardError().toStdString();

    termios after{};
    ASSERT_EQ(::tcgetattr(held, &after), 0);
    EXPECT_EQ(cfgetispeed(&after), cfgetispeed(&before));
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    // The lock is free again.
    EXPECT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    ::close(held);
}

// The prompt on a real terminal: tmux runs veltra-link in a pane of its own,
// the test types into it and reads the screen back.
class TerminalSession {
  public:
    explicit TerminalSession(const QString& socket) : socket_(socket) {}
    ~TerminalSession() { tmux({"kill-server"}); }

    bool tmux(const QStringList& args, QString* out = nullptr) const {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        env.remove(QStringLiteral("TMUX"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral("tmux"), QStringList{"-S", socket_} + args);
        if (!process.waitForFinished(kRunMs) || process.exitCode() != 0) return false;
        if (out) *out = QString::fromUtf8(process.readAllStandardOutput());
        return true;
    }
    QString screen() const {
        QString text;
        tmux({"capture-pane", "-p", "-t", "link"}, &text);
        return text;
    }
    bool waitForScreen(const std::function<bool(const QString&)>& check) const {
        return waitFor([&] { return check(screen()); }, kRunMs, 50);
    }

  private:
    QString socket_;
};

TEST_F(LinkTool, ThePromptOnATerminalRunsEachLineAndRecallsEarlierOnes) {
    if (QStandardPaths::findExecutable(QStringLiteral("tmux")).isEmpty())
        GTEST_SKIP() << "tmux is not installed";
    const auto good = board("good");
    TerminalSession terminal(dir.filePath(QStringLiteral("tmux")));
    const QString command =
        QStringLiteral("env XDG_STATE_HOME='%1' '%2' console --port '%3'; echo EXIT=$?; sleep 600")
            .arg(dir.filePath(QStringLiteral("state")), QStringLiteral(VELTRA_LINK_EXE), good->link());
    ASSERT_TRUE(terminal.tmux({"new-session", "-d", "-s", "link", "-x", "100", "-y", "30", command}));
    auto lineCount = [](const QString& screen, const QString& line) {
        return screen.split('\n').count(line);
    };
    const QString ok = QStringLiteral(">>выполняю...  OK");

    ASSERT_TRUE(terminal.waitForScreen([](const QString& s) { return s.split('\n').contains(">"); }))
        << terminal.screen().toStdString();
    ASSERT_TRUE(terminal.tmux({"send-keys", "-t", "link", "свд_1 = к", "Enter"}));
    ASSERT_TRUE(terminal.waitForScreen([&](const QString& s) { return lineCount(s, ok) == 1; }))
        << terminal.screen().toStdString();
    // Up brings the line back; Enter sends it again.
    ASSERT_TRUE(terminal.tmux({"send-keys", "-t", "link", "Up", "Enter"}));
    ASSERT_TRUE(terminal.waitForScreen([&](const QString& s) { return lineCount(s, ok) == 2; }))
        << terminal.screen().toStdString();
    EXPECT_EQ(lineCount(terminal.screen(), ">свд_1 = к"), 2) << terminal.screen().toStdString();
    // Ctrl+D on an empty line ends the console: every command was answered.
    ASSERT_TRUE(terminal.tmux({"send-keys", "-t", "link", "C-d"}));
    EXPECT_TRUE(terminal.waitForScreen([](const QString& s) { return s.contains("EXIT=0"); }))
        << terminal.screen().toStdString();
    // The lines sent are the console's history, shared with the editor.
    QFile history(dir.filePath(QStringLiteral("state/veltra/console-history")));
    ASSERT_TRUE(history.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(history.readAll()).contains(QStringLiteral("свд_1 = к")));
}

} // namespace
} // namespace veltra::test
