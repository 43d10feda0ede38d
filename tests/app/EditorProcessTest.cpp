// Editors as processes: two of them sharing one state folder (two sessions or
// a remote login, each with its own runtime folder and so its own instance
// lock), a kill, the signals of a logout (also while a box waits), and what a
// run leaves to the next one.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <csignal>
#include <deque>
#include <memory>
#include <sys/stat.h>

#include "files/FileProtection.h"
#include "tests/support/WaitFor.h"

using namespace veltra::test;

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile::remove(path); // a settings file has no write bit between runs
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// How an editor process of the tests below runs.
struct EditorOptions {
    bool realBoxes = false;
    bool timedCopy = true;
};

class EditorProcesses : public ::testing::Test {
  protected:
    QTemporaryDir programDir;
    QTemporaryDir state;

    struct Editor {
        std::unique_ptr<QTemporaryDir> runtime = std::make_unique<QTemporaryDir>();
        std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
        QByteArray said;

        QByteArray output() {
            said += process->readAllStandardOutput();
            return said;
        }
    };
    std::deque<Editor> editors; // references to them stay valid

    void SetUp() override {
        QFile ini(programDir.filePath("Veltra.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[LINK]\nPORT_NAME=none\n");
    }

    void TearDown() override {
        for (Editor& editor : editors) {
            editor.process->kill();
            editor.process->waitForFinished();
        }
    }

    // An editor with a runtime folder of its own; it types `text` once up,
    // or with `realBoxes`, behind the first message box, which waits; it
    // writes its recovery copy only when it closes if not `timedCopy`.
    Editor& startEditor(const QString& text = QString(), EditorOptions options = {}) {
        Editor& editor = editors.emplace_back();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (options.realBoxes) env.insert("EDITOR_PROCESS_REAL_BOXES", "1");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", editor.runtime->path());
        env.insert("XDG_STATE_HOME", state.path());
        env.insert("ASAN_OPTIONS", "detect_leaks=0");
        editor.process->setProcessEnvironment(env);
        QStringList args{programDir.path()};
        if (!text.isEmpty()) args << text;
        if (!options.timedCopy) args << QStringLiteral("--no-timed-copy");
        editor.process->start(QStringLiteral(EDITOR_PROCESS), args);
        EXPECT_TRUE(editor.process->waitForStarted());
        return editor;
    }

    bool typed(Editor& editor) {
        return waitFor([&] { return editor.output().contains("typed\n"); }, 30000);
    }

    // The texts of the editors' copies in the state folder.
    QByteArrayList copies() const {
        QByteArrayList texts;
        const QDir folder(state.filePath("veltra"));
        for (const QString& name : folder.entryList({"recovery-*.txt"}, QDir::Files, QDir::Name)) {
            QFile file(folder.filePath(name));
            if (file.open(QIODevice::ReadOnly)) texts << file.readAll();
        }
        std::sort(texts.begin(), texts.end());
        return texts;
    }
};

TEST_F(EditorProcesses, EachEditorKeepsItsOwnCopyAndOnlyAGoneEditorsCopyIsOfferedOnce) {
    Editor& first = startEditor(QStringLiteral("свд = к,1"));
    ASSERT_TRUE(typed(first));
    ASSERT_TRUE(waitFor([&] { return copies() == QByteArrayList{"свд = к,1\n"}; }, 10000));
    Editor& second = startEditor(QStringLiteral("свд = з,2"));
    ASSERT_TRUE(typed(second));
    // Both copies side by side; the live first editor's is nobody's leftover.
    ASSERT_TRUE(waitFor([&] { return copies() == QByteArrayList{"свд = з,2\n", "свд = к,1\n"}; }, 10000));
    EXPECT_FALSE(second.output().contains("asked"));

    first.process->kill(); // no closing at all
    ASSERT_TRUE(first.process->waitForFinished());
    Editor& third = startEditor();
    // The gone editor's text is offered, restored, and now the third's own copy.
    ASSERT_TRUE(waitFor([&] { return third.output().contains("asked: "); }, 30000));
    ASSERT_TRUE(waitFor([&] { return copies() == QByteArrayList{"свд = з,2\n", "свд = к,1\n"}; }, 10000));
    Editor& fourth = startEditor(QStringLiteral("пауза"));
    ASSERT_TRUE(typed(fourth));
    EXPECT_FALSE(fourth.output().contains("asked"));
    EXPECT_EQ(third.output().count("asked: "), 1);
    const QByteArrayList three{"пауза\n", "свд = з,2\n", "свд = к,1\n"};
    EXPECT_TRUE(waitFor([&] { return copies() == three; }, 10000)) << copies().join('|').toStdString();
}

TEST_F(EditorProcesses, SigtermAndSighupUnderAMessageBoxAnswerItAndCloseAsTheCloseButtonDoes) {
    // The port's box at start: its device is missing.
    const QByteArray settings = "[LINK]\nPORT_NAME=COM1\n[PORTS]\nCOM1=/nonexistent/veltra-tty\n";
    for (int signal : {SIGTERM, SIGHUP}) {
        writeFile(programDir.filePath("Veltra.ini"), settings);
        const QString text = QStringLiteral("пауза=%1").arg(signal);
        Editor& editor = startEditor(text, {.realBoxes = true});
        ASSERT_TRUE(waitFor([&] { return editor.output().contains("box: "); }, 30000));
        ::kill(pid_t(editor.process->processId()), signal);
        ASSERT_TRUE(editor.process->waitForFinished(30000)) << signal;
        EXPECT_EQ(editor.process->exitStatus(), QProcess::NormalExit) << signal;
        // Closed as by its close button: the settings and the copy are written.
        EXPECT_TRUE(readFile(programDir.filePath("Veltra.ini")).contains("BG_COLOR=")) << signal;
        EXPECT_EQ(copies(), QByteArrayList{text.toUtf8() + "\n"}) << signal;
        QDir(state.filePath("veltra")).removeRecursively();
    }
}

TEST_F(EditorProcesses, ASettingsFileThroughALinkGetsBackItsWriteBitsInTheNextRun) {
    // The link points to a group-writable file kept elsewhere.
    QTemporaryDir shared;
    const QString link = programDir.filePath("Veltra.ini");
    const QString target = shared.filePath("Veltra.ini");
    ASSERT_TRUE(QFile::rename(link, target));
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0664), 0);
    ASSERT_TRUE(QFile::link(target, link));
    Editor& editor = startEditor(QStringLiteral("пауза"));
    ASSERT_TRUE(typed(editor));
    ::kill(pid_t(editor.process->processId()), SIGTERM);
    ASSERT_TRUE(editor.process->waitForFinished(30000));
    EXPECT_EQ(modeOf(target), 0444u); // no write bit between accesses

    // The next run, here, with the same state folder.
    const QByteArray ownState = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    {
        veltra::FileAccess access(link);
        EXPECT_EQ(modeOf(target), 0664u);
    }
    qputenv("XDG_STATE_HOME", ownState);
    EXPECT_EQ(modeOf(target), 0444u);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
}

TEST_F(EditorProcesses, SigtermAndSighupWriteTheCopyOfWhatWasJustTyped) {
    for (int signal : {SIGTERM, SIGHUP}) {
        const QString text = QStringLiteral("пауза=%1").arg(signal);
        // The copy's timer is stopped: only the signal's closing writes it.
        Editor& editor = startEditor(text, {.timedCopy = false});
        ASSERT_TRUE(typed(editor));
        ASSERT_TRUE(copies().isEmpty());
        ::kill(pid_t(editor.process->processId()), signal);
        ASSERT_TRUE(editor.process->waitForFinished(30000));
        EXPECT_EQ(editor.process->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(copies(), QByteArrayList{text.toUtf8() + "\n"}) << signal;
        QDir(state.filePath("veltra")).removeRecursively(); // nothing for the next one to offer
    }
}

} // namespace
