#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLocalSocket>
#include <QLockFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <csignal>
#include <cstring>
#include <optional>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <utime.h>
#include <vector>

#include "app/HandOff.h"
#include "app/HandOffRequest.h"
#include "app/Startup.h"
#include "app/window/TMainForm.h"
#include "files/AppError.h"
#include "files/Cp1251.h"
#include "files/ProgramFolder.h"
#include "tests/support/MainFormPeer.h"
#include "tests/support/PtyBoardPeer.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ScopedUnprivilegedFiles.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/WaitFor.h"

using namespace veltra;
using namespace veltra::test;

namespace {

// Each test gets its own runtime folder, so that the instance lock meets
// neither a real editor nor another test.
class StartupTest : public ::testing::Test {
  protected:
    QTemporaryDir programDir;
    QTemporaryDir runtimeDir;
    ScriptedDialogs dialogs;
    QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");

    void SetUp() override {
        QFile::setPermissions(runtimeDir.path(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toUtf8());
        setProgramFolder(programDir.path());
    }
    void TearDown() override {
        setProgramFolder(QString());
        if (savedRuntime.isEmpty())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", savedRuntime);
    }

    TMainForm* mainForm() const {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* form = qobject_cast<TMainForm*>(widget)) return form;
        }
        return nullptr;
    }

    // The real editor, copied beside its own settings so that it keeps out of
    // the build folder, with no port (so no message box at start).
    void startEditorProcess(QProcess& editor, const QStringList& arguments = {}) {
        QString exe = programDir.filePath("veltra");
        if (!QFile::exists(exe)) {
            ASSERT_TRUE(QFile::copy(QStringLiteral(VELTRA_EXE), exe));
        }
        QFile::setPermissions(exe, QFile::permissions(exe) | QFileDevice::ExeOwner);
        if (!QFile::exists(programDir.filePath("Veltra.ini"))) {
            QFile ini(programDir.filePath("Veltra.ini"));
            ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
            ini.write("[LINK]\nPORT_NAME=none\n");
        }

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", runtimeDir.path());
        env.insert("ASAN_OPTIONS", "detect_leaks=0");
        editor.setProcessEnvironment(env);
        editor.start(exe, arguments);
        ASSERT_TRUE(editor.waitForStarted());
    }

    bool refusedAsSecond() const {
        DialogCall told = dialogs.last(DialogCall::Message);
        return dialogs.count(DialogCall::Beep) == 1 && told.text == " Приложение уже запущено ! " &&
               told.caption == " Внимание: " && told.icon == BoxIcon::Exclamation && told.parent == nullptr;
    }
};

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A program file as the board's users keep them: Windows-1251, CR LF.
QByteArray programFile(const QString& text) {
    QByteArray bytes;
    encodeCp1251(QString(text).replace("\n", "\r\n"), bytes);
    return bytes;
}

QString editorText(TMainForm& form) {
    return form.findChild<QPlainTextEdit*>("edit")->toPlainText();
}

class Thrower : public QObject {
  public:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) throw AppError(QStringLiteral("Cannot open file /x/y.txt"));
        if (event->type() == QEvent::User + 1) throw std::runtime_error("plain failure");
        return QObject::event(event);
    }
};

} // namespace

TEST_F(StartupTest, ASecondInstanceIsRefusedAndCreatesNothing) {
    QLockFile running(instanceLockPath());
    ASSERT_TRUE(running.tryLock(0));
    EXPECT_EQ(runVeltra(), 0);
    EXPECT_TRUE(refusedAsSecond());
    EXPECT_EQ(mainForm(), nullptr);
    EXPECT_FALSE(QFile::exists(programDir.filePath("Veltra.ini")));
}

TEST_F(StartupTest, ARunningEditorProcessHoldsTheLockUntilItDies) {
    QProcess editor;
    startEditorProcess(editor);
    // Written, not only made: killed between the two, the editor would leave
    // an empty lock, which no other process can tell from a live one's.
    ASSERT_TRUE(waitFor([&] { return QFileInfo(instanceLockPath()).size() > 0; }, 30000));

    EXPECT_EQ(runVeltra(), 0);
    EXPECT_TRUE(refusedAsSecond());
    EXPECT_EQ(editor.state(), QProcess::Running); // the running instance is not disturbed

    editor.kill();
    ASSERT_TRUE(editor.waitForFinished());
    // A lock left by a dead instance does not block the next start.
    QLockFile next(instanceLockPath());
    next.setStaleLockTime(0);
    EXPECT_TRUE(next.tryLock(0));
}

TEST_F(StartupTest, OnlyALiveInstanceCountsAsRunning) {
    QTemporaryDir readOnly;
    QFile::setPermissions(readOnly.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                               QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                               QFileDevice::ReadOther | QFileDevice::ExeOther);
    QLockFile running(runtimeDir.filePath("held.lock"));
    ASSERT_TRUE(running.tryLock(0));
    // Damaged locks that no process holds: they keep nobody out.
    auto writeLock = [&](const char* name, const QByteArray& bytes) {
        QFile file(runtimeDir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    };
    // An empty one is old: one made just now may be another start's on its way.
    const QByteArray empty = QFile::encodeName(writeLock("empty.lock", ""));
    const utimbuf past{::time(nullptr) - 60, ::time(nullptr) - 60};
    ::utime(empty.constData(), &past);
    writeLock("garbled.lock", "\x01\xffno pid here\n");
    writeLock("dead.lock", "999999999\nveltra\n\n");
    QDir(runtimeDir.path()).mkdir("folder.lock");
    QDir(runtimeDir.path()).mkpath("full-folder.lock/something");
    QFile::link(runtimeDir.filePath("nowhere"), runtimeDir.filePath("link.lock"));
    struct Case {
        const char* name;
        QString path;
        bool asUser; // root writes anywhere: the read-only folder needs an ordinary user
        InstanceLock outcome;
    };
    const Case cases[] = {
        {"free", runtimeDir.filePath("free.lock"), false, InstanceLock::Taken},
        {"held by a live instance", runtimeDir.filePath("held.lock"), false, InstanceLock::HeldByAnother},
        {"empty", runtimeDir.filePath("empty.lock"), false, InstanceLock::Taken},
        {"garbled", runtimeDir.filePath("garbled.lock"), false, InstanceLock::Taken},
        {"of a process that is gone", runtimeDir.filePath("dead.lock"), false, InstanceLock::Taken},
        {"an empty folder", runtimeDir.filePath("folder.lock"), false, InstanceLock::Taken},
        {"a link to nowhere", runtimeDir.filePath("link.lock"), false, InstanceLock::Taken},
        // Not removed with what is in it: started without a lock, and said so.
        {"a folder with files", runtimeDir.filePath("full-folder.lock"), false, InstanceLock::Unavailable},
        {"folder missing", runtimeDir.filePath("gone/veltra.lock"), false, InstanceLock::Unavailable},
        {"folder not writable", readOnly.filePath("veltra.lock"), true, InstanceLock::Unavailable},
    };
    for (const Case& c : cases) {
        std::optional<ScopedUnprivilegedFiles> asUser;
        if (c.asUser) asUser.emplace();
        QLockFile lock(c.path);
        EXPECT_EQ(lockInstance(lock), c.outcome) << c.name;
    }
}

TEST_F(StartupTest, UnderAFileSizeLimitTheEditorRunsOnAndSaysWhatFailed) {
    // Its first write, the instance lock, goes beyond the limit.
    QProcess editor;
    editor.setChildProcessModifier([] {
        std::signal(SIGXFSZ, SIG_DFL); // as a shell starts it, whatever this process ignores
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 1;
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    startEditorProcess(editor);
    QByteArray said;
    EXPECT_TRUE(waitFor(
        [&] {
            said += editor.readAllStandardError();
            return said.contains("starting without it") || editor.state() == QProcess::NotRunning;
        },
        30000));
    EXPECT_EQ(editor.state(), QProcess::Running) << said.toStdString();
    EXPECT_TRUE(said.contains("cannot create the single-instance lock " + instanceLockPath().toUtf8()))
        << said.toStdString();
    editor.kill();
    editor.waitForFinished();
}

TEST_F(StartupTest, AConnectionFloodNeitherUsesUpTheDescriptorsNorTakesTheSocketAway) {
    QProcess editor;
    startEditorProcess(editor);
    const QString socketPath = handOffSocketPath();
    ASSERT_TRUE(waitFor([&] { return QFileInfo::exists(socketPath); }, 30000));
    // The editor is left 12 descriptors, a few more than it may hold for
    // connections (8): a flood of 64 would use them up if it took them all.
    // (Not fewer: out of descriptors, the sanitizers' own checks fail in the
    // editor.)
    const pid_t pid = pid_t(editor.processId());
    const auto held = QDir(QStringLiteral("/proc/%1/fd").arg(pid))
                          .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    rlimit few{};
    ASSERT_EQ(::prlimit(pid, RLIMIT_NOFILE, nullptr, &few), 0);
    few.rlim_cur = rlim_t(held.size() + 12);
    ASSERT_EQ(::prlimit(pid, RLIMIT_NOFILE, &few, nullptr), 0);

    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(socketPath);
    std::memcpy(address.sun_path, name.constData(), std::size_t(name.size()));
    std::vector<int> flood;
    for (int attempt = 0; attempt < 1000 && flood.size() < 64 && QFileInfo::exists(socketPath); ++attempt) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
            flood.push_back(fd);
        } else {
            ::close(fd);
            QThread::msleep(5); // its queue is full: the editor takes some first
        }
    }
    // A connection that sends nothing is dropped after a while, so the flood
    // does not hold its places for good.
    auto dropped = [&] {
        for (int fd : flood) {
            pollfd ready{fd, POLLIN, 0};
            char byte;
            if (::poll(&ready, 1, 0) == 1 && ::recv(fd, &byte, 1, MSG_DONTWAIT) == 0) return true;
        }
        return false;
    };
    EXPECT_TRUE(waitFor([&] { return !QFileInfo::exists(socketPath) || dropped(); }, 30000));
    EXPECT_TRUE(QFileInfo::exists(socketPath)) << "the socket is gone";
    EXPECT_GE(flood.size(), 16u);
    for (int fd : flood)
        ::close(fd);

    // The flood is over: the next second start gets its file opened.
    const QString file = programDir.filePath("после.txt");
    writeFile(file, programFile("пауза\n"));
    const HandOffAnswer answer = handFileOver(socketPath, file, 30000);
    EXPECT_TRUE(answer.opened) << answer.why.toStdString();
    editor.kill();
    editor.waitForFinished();
}

TEST_F(StartupTest, ClosingEndsTheRunEvenWhenTheSettingsCannotBeWritten) {
    PtyBoardPeer board;
    QFile ini(programDir.filePath("Veltra.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[PORTS]\nCOM1=" + QByteArray::fromStdString(board.slavePath()) + "\n");
    ini.close();

    // Once the window is up, the disk "fills up": the settings cannot be written.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    bool closedByUs = false;
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (TMainForm* form = mainForm(); form && form->isVisible()) {
            closer.stop();
            closedByUs = true;
            rlimit tight = old;
            tight.rlim_cur = 8;
            setrlimit(RLIMIT_FSIZE, &tight);
            form->close();
        }
    });
    closer.start();
    QTimer::singleShot(60000, qApp, [] { QCoreApplication::exit(1); }); // never hang the suite

    int result = runVeltra();
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(closedByUs);
    EXPECT_EQ(dialogs.last(DialogCall::Error).text,
              "Unable to write to " + programDir.filePath("Veltra.ini"));
    EXPECT_EQ(mainForm(), nullptr);                                                 // the windows are gone
    EXPECT_TRUE(readFile(programDir.filePath("Veltra.ini")).startsWith("[PORTS]")); // and the file is whole
}

TEST_F(StartupTest, AnErrorInAnEventHandlerReachesTheErrorBoxAndTheProgramGoesOn) {
    Thrower thrower;
    QEvent direct(QEvent::User);
    QCoreApplication::sendEvent(&thrower, &direct);
    EXPECT_EQ(dialogs.last(DialogCall::Error).text, "Cannot open file /x/y.txt");

    QCoreApplication::postEvent(&thrower, new QEvent(QEvent::Type(QEvent::User + 1)));
    ASSERT_TRUE(waitFor([&] { return dialogs.count(DialogCall::Error) == 2; }));
    EXPECT_EQ(dialogs.last(DialogCall::Error).text, "plain failure");

    bool later = false;
    QTimer::singleShot(0, [&] { later = true; });
    EXPECT_TRUE(waitFor([&] { return later; }));
}

TEST_F(StartupTest, AFileOnTheCommandLineIsOpenedAsOpenDoesAndTheFirstUploadCarriesItsWords) {
    PtyBoardPeer board;
    writeFile(programDir.filePath("Veltra.ini"),
              "[PORTS]\nCOM1=" + QByteArray::fromStdString(board.slavePath()) + "\n");
    const QString text = "// пример\nметка_1:\nесли кн_1==вкл тогда свд=к\nпауза+\nпереход метка_1\n";
    const QString file = programDir.filePath("бегущий огонь.txt");
    writeFile(file, programFile(text));
    dialogs.modal = [](QDialog& dialog) {
        QTimer::singleShot(60000, &dialog, &QDialog::reject); // never hang the suite
        return dialog.exec();
    };
    QString opened;
    QTimer user;
    user.setInterval(20);
    QObject::connect(&user, &QTimer::timeout, [&] {
        TMainForm* form = mainForm();
        if (!form || form->isStarting() || !form->session().link().LinkAlive()) return;
        user.stop();
        opened = editorText(*form);
        TMainFormPeer(*form).runSend(); // F8
        form->close();
    });
    user.start();
    QTimer::singleShot(60000, qApp, [] { QCoreApplication::exit(1); });

    EXPECT_EQ(runVeltra({file}), 0);
    EXPECT_EQ(opened, text);
    EXPECT_EQ(dialogs.count(DialogCall::Error), 0);
    ASSERT_EQ(board.countOf(0x24), 1u);
    EXPECT_EQ(board.lastOf(0x24)->data(),
              (std::vector<std::uint8_t>{0x01, 0x63, 0xF1, 0xAE, 0x01, 0x41, 0x00, 0xE0}));
}

TEST_F(StartupTest, TheRunningEditorTakesOnlyAWholeAbsolutePathHandedOver) {
    QStringList opened;
    HandOffServer server([&](const QString& file) {
        opened << file;
        return HandOffAnswer{true, {}, false};
    });
    QString why;
    ASSERT_TRUE(server.listen(handOffSocketPath(), why)) << why.toStdString();
    const struct {
        const char* what;
        QByteArray sent;
        bool answered; // else the connection is dropped
    } cases[] = {
        {"an absolute path", handOffRequestBytes("/tmp/a.txt"), true},
        {"a path relative to the editor's folder", handOffRequestBytes("a.txt"), false},
        {"an empty path", handOffRequestBytes(""), false},
        {"a length past the bound, without waiting for it", QByteArray("\x00\x10\x00\x00", 4), false},
    };
    for (const auto& c : cases) {
        QLocalSocket socket;
        socket.connectToServer(handOffSocketPath());
        ASSERT_TRUE(socket.waitForConnected(5000)) << c.what;
        socket.write(c.sent);
        socket.flush();
        ASSERT_TRUE(waitFor([&] {
            return socket.bytesAvailable() > 0 || socket.state() != QLocalSocket::ConnectedState;
        })) << c.what;
        EXPECT_EQ(socket.bytesAvailable() > 0, c.answered) << c.what;
    }
    EXPECT_EQ(opened, QStringList{"/tmp/a.txt"});
}

TEST_F(StartupTest, ASecondStartWithAFileHandsItToTheRunningEditorOrSaysWhyNot) {
    const QString file = programDir.filePath("второй.txt");
    writeFile(file, programFile("свд = ж,7\n"));
    // A file that is not there is opened by nobody: it stays with the first start.
    const HandOffAnswer none = handFileOver(handOffSocketPath(), file, 0);
    EXPECT_FALSE(none.opened);
    EXPECT_TRUE(none.why.contains("не принимает")) << none.why.toStdString();
    const QString folder = programDir.filePath("папка.txt");
    ASSERT_TRUE(QDir(programDir.path()).mkdir("папка.txt"));
    const QString huge = programDir.filePath("огромный.txt");
    {
        QFile sparse(huge);
        ASSERT_TRUE(sparse.open(QIODevice::WriteOnly) && sparse.resize((qint64(16) << 20) + 1));
    }

    enum class Second { TellsInABox, EndsWithAnError, EndsOpened };
    struct Step {
        const char* what;
        QString file;
        bool console;          // the running editor shows its console
        Second second;         // what the second start does
        QByteArray secondSays; // on its standard error
    };
    const Step steps[] = {
        {"in the console view", file, true, Second::TellsInABox, "режиме консоли"},
        // One mistake, one box: the running editor's, where the user looks.
        {"a file that is not there", programDir.filePath("нет_такого.txt"), false, Second::EndsWithAnError,
         "нет_такого.txt is not opened in the running editor: no such file"},
        {"a folder", folder, false, Second::EndsWithAnError, "not a regular file"},
        {"a file over 16 MiB", huge, false, Second::EndsWithAnError, "larger than 16 MiB"},
        {"in the editor view", file, false, Second::EndsOpened, "is opened in the running editor"},
    };
    std::size_t step = 0;
    std::unique_ptr<QProcess> second;
    QByteArray said;
    QString message;
    QTimer user;
    user.setInterval(20);
    QObject::connect(&user, &QTimer::timeout, [&] {
        TMainForm* form = mainForm();
        if (!form || form->isStarting()) return;
        const Step& now = steps[step];
        if (!second) {
            if (form->state().consoleMode != now.console) TMainFormPeer(*form).switchView();
            second = std::make_unique<QProcess>();
            startEditorProcess(*second, {now.file});
            return;
        }
        said += second->readAllStandardError();
        if (!said.contains(now.secondSays) && second->state() != QProcess::NotRunning) return;
        EXPECT_TRUE(said.contains(now.secondSays)) << now.what << ": " << said.toStdString();
        if (now.second == Second::TellsInABox) {
            // Its message box waits for a user the test does not play.
            second->kill();
            second->waitForFinished();
        } else {
            // It ends by itself (on a busy machine it may have ended already,
            // and waiting for an ended process says false).
            if (second->state() != QProcess::NotRunning) {
                EXPECT_TRUE(second->waitForFinished(30000)) << now.what;
            }
            EXPECT_EQ(second->exitStatus(), QProcess::NormalExit) << now.what;
            EXPECT_EQ(second->exitCode(), now.second == Second::EndsOpened ? 0 : 1) << now.what;
        }
        said.clear();
        EXPECT_EQ(editorText(*form) == "свд = ж,7\n", now.second == Second::EndsOpened) << now.what;
        message = form->findChild<QLabel*>("stError")->text();
        second.reset();
        if (++step == std::size(steps)) {
            user.stop();
            form->close();
        }
    });
    user.start();
    QTimer::singleShot(120000, qApp, [] { QCoreApplication::exit(1); });

    EXPECT_EQ(runVeltra(), 0);
    EXPECT_EQ(step, std::size(steps));
    EXPECT_EQ(message, "открыт из второго запуска, отмена: Ctrl+Z");
    // The running editor's box for each file it could not read, none for the console.
    EXPECT_EQ(dialogs.count(DialogCall::Error), 3);
    EXPECT_EQ(dialogs.last(DialogCall::Error).text, "Cannot open file " + huge);
}
