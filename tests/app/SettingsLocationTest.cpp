// Where Veltra.ini lives: beside the executable wherever the user can write
// or create it there, else in the user's config folder, started from the copy
// beside the executable. Seen as an ordinary user (root would be let in anywhere).
// And the runtime folder: the user's alone, or none.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <optional>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/HandOff.h"
#include "app/Startup.h"
#include "files/ProgramFolder.h"
#include "files/Settings.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ScopedUnprivilegedFiles.h"

using namespace veltra;

namespace {

constexpr uid_t kNobody = 65534; // the user ScopedUnprivilegedFiles acts as, when the test runs as root

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

enum class Owner { User, Other };

struct Case {
    const char* what;
    bool folderWritable;
    std::optional<Owner> fileBeside; // nothing: no Veltra.ini beside the executable
    bool ownFileBefore;              // the user's config folder already has a Veltra.ini
    bool beside;                     // expected: the settings stay beside the executable
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.what;
}

class SettingsLocation : public ::testing::TestWithParam<Case> {
  protected:
    void SetUp() override {
        for (const QTemporaryDir* d : {&program, &config})
            ::chmod(QFile::encodeName(d->path()).constData(), 0777);
        oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        setProgramFolder(program.path());
    }
    void TearDown() override {
        setProgramFolder({});
        qputenv("XDG_CONFIG_HOME", oldConfig);
    }

    QString besidePath() const { return program.filePath(QStringLiteral("Veltra.ini")); }
    QString ownPath() const { return config.filePath(QStringLiteral("veltra/Veltra.ini")); }

    QTemporaryDir program;
    QTemporaryDir config;
    QByteArray oldConfig;
};

const QByteArray kInstalled = "; chosen by the installer\r\n[PCB]\r\nPCB_NAME=BOARD7\r\n";
const QByteArray kUsersOwn = "[PCB]\r\nPCB_NAME=MINE\r\n";

TEST_P(SettingsLocation, BesideTheExecutableWhereverTheUserCanWriteItThereElseInTheConfigFolder) {
    const Case& c = GetParam();
    const bool root = ::geteuid() == 0;
    if (c.fileBeside == Owner::Other && !root) GTEST_SKIP() << "a file of another user needs root to make";

    if (c.fileBeside) {
        QFile file(besidePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kInstalled);
        file.close();
        ::chmod(QFile::encodeName(besidePath()).constData(), 0444);
        if (root && c.fileBeside == Owner::User) {
            ASSERT_EQ(::chown(QFile::encodeName(besidePath()).constData(), kNobody, kNobody), 0);
        }
    }
    if (c.ownFileBefore) {
        ASSERT_TRUE(QDir(config.path()).mkpath(QStringLiteral("veltra")));
        QFile own(ownPath());
        ASSERT_TRUE(own.open(QIODevice::WriteOnly));
        own.write(kUsersOwn);
        own.close();
        for (const QString& mine : {config.filePath(QStringLiteral("veltra")), ownPath()}) {
            if (root) {
                ASSERT_EQ(::chown(QFile::encodeName(mine).constData(), kNobody, kNobody), 0);
            }
        }
    }
    if (!c.folderWritable) ::chmod(QFile::encodeName(program.path()).constData(), 0555);

    {
        test::ScopedUnprivilegedFiles asUser;
        const QString expected = c.beside ? besidePath() : ownPath();
        EXPECT_EQ(SettingsPath(), expected);
        ReadSettings();
        appSettings().BG_COLOR = 2;
        EXPECT_NO_THROW(WriteSettings());
        EXPECT_EQ(documentFolder(),
                  c.folderWritable ? program.path() + QLatin1Char('/') : QDir::homePath() + QLatin1Char('/'));
    }
    ::chmod(QFile::encodeName(program.path()).constData(), 0777);

    // The file in use holds the write; where it started from a copy, the copy
    // beside the executable is left as the installer made it.
    const QByteArray written = readAll(c.beside ? besidePath() : ownPath());
    EXPECT_TRUE(written.contains("BG_COLOR=2")) << written.toStdString();
    if (!c.beside) {
        EXPECT_TRUE(written.startsWith(c.ownFileBefore ? kUsersOwn
                                       : c.fileBeside  ? kInstalled
                                                       : QByteArray()))
            << written.toStdString();
        if (c.fileBeside)
            EXPECT_EQ(readAll(besidePath()), kInstalled);
        else
            EXPECT_FALSE(QFile::exists(besidePath()));
    } else {
        EXPECT_FALSE(QFile::exists(config.filePath(QStringLiteral("veltra"))))
            << "the config folder was touched";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsLocation,
    ::testing::Values(
        Case{"a writable folder without the file", true, std::nullopt, false, true},
        Case{"a writable folder with another user's file, replaced by a new one", true, Owner::Other, false,
             true},
        Case{"a read-only folder with the user's own read-only file", false, Owner::User, false, true},
        Case{"a read-only folder without the file", false, std::nullopt, false, false},
        Case{"a read-only folder with another user's file: copied", false, Owner::Other, false, false},
        Case{"a read-only folder, and the user's file from an earlier run", false, Owner::Other, true,
             false}),
    [](const ::testing::TestParamInfo<Case>& info) { return "case" + std::to_string(info.index); });

// The runtime folder holds the instance lock, the hand-off socket and the
// virtual board's link: a folder another user owns, or may write to, would let
// that user take them over, so it is never used, whatever stands at its name.
TEST(RuntimeFolder, IsTheUsersAloneOrNone) {
    struct Folder {
        mode_t mode = 0;     // 0: nothing there
        bool others = false; // made by "nobody"
        bool link = false;   // a link to a folder of the user's with that mode
    };
    enum class Chosen { Given, Fallback, None };
    struct Case {
        const char* what;
        Folder given;    // what XDG_RUNTIME_DIR names; nothing: unset
        Folder fallback; // what stands at runtime-USER in the temporary folder
        Chosen chosen;
    };
    const Case cases[] = {
        {"XDG_RUNTIME_DIR of the user's own", {0700}, {}, Chosen::Given},
        {"XDG_RUNTIME_DIR another user's", {0700, true}, {}, Chosen::Fallback},
        {"the user's own, readable by all", {}, {0755}, Chosen::Fallback},
        {"made first by another user, for all", {}, {0777, true}, Chosen::None},
        {"the user's own, writable by all", {}, {0777}, Chosen::None},
        {"a link to a folder of the user's", {}, {0700, false, true}, Chosen::None},
    };
    const QString user = QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name);
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray oldTemp = qgetenv("TMPDIR");
    auto make = [](const QString& path, const Folder& folder) {
        const QByteArray name = QFile::encodeName(path);
        const QByteArray real = folder.link ? name + "-target" : name;
        ASSERT_EQ(::mkdir(real.constData(), folder.mode), 0);
        ::chmod(real.constData(), folder.mode);
        if (folder.others) { ASSERT_EQ(::chown(real.constData(), kNobody, kNobody), 0); }
        if (folder.link) { ASSERT_EQ(::symlink(real.constData(), name.constData()), 0); }
    };
    for (const Case& c : cases) {
        if ((c.given.others || c.fallback.others) && ::geteuid() != 0) continue; // "nobody" needs root
        QTemporaryDir temp;
        const QString given = temp.filePath(QStringLiteral("given"));
        const QString fallback = temp.filePath(QStringLiteral("runtime-") + user);
        if (c.fallback.mode) make(fallback, c.fallback);
        if (c.given.mode) make(given, c.given);
        qputenv("XDG_RUNTIME_DIR", c.given.mode ? QFile::encodeName(given) : QByteArray());
        qputenv("TMPDIR", QFile::encodeName(temp.path()));

        const QString folder = runtimeFolder();
        EXPECT_EQ(folder, c.chosen == Chosen::Given      ? given
                          : c.chosen == Chosen::Fallback ? fallback
                                                         : QString())
            << c.what;
        EXPECT_TRUE(folder.isEmpty() || (QFileInfo(folder).permissions() & 0x0077) == 0) << c.what;
        // Everything kept there follows the one choice, or is not kept at all.
        for (const QString& kept : {instanceLockPath(), handOffSocketPath(), virtualBoardLink()})
            EXPECT_TRUE(folder.isEmpty() ? kept.isEmpty() : kept.startsWith(folder + QLatin1Char('/')))
                << c.what << ": " << kept.toStdString();
    }
    for (const auto& [name, old] : {std::pair("XDG_RUNTIME_DIR", oldRuntime), std::pair("TMPDIR", oldTemp)})
        old.isEmpty() ? qunsetenv(name) : qputenv(name, old);
}

} // namespace
