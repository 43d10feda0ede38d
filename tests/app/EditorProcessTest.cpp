// Editors as processes: two of them sharing one state folder (two sessions or
// a remote login, each with its own runtime folder and so its own instance
// lock), a kill, and the signals of a logout.

#include <gtest/gtest.h>

#include <QDir>
#include <algorithm>
#include <csignal>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>
#include <deque>

#include "tests/support/WaitFor.h"

using namespace veltra::test;

namespace {

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
    // and writes its recovery copy only when it closes if not `timedCopy`.
    Editor& startEditor(const QString& text = QString(), bool timedCopy = true) {
        Editor& editor = editors.emplace_back();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_RUNTIME_DIR", editor.runtime->path());
        env.insert("XDG_STATE_HOME", state.path());
        env.insert("ASAN_OPTIONS", "detect_leaks=0");
        editor.process->setProcessEnvironment(env);
        QStringList args{programDir.path()};
        if (!text.isEmpty()) args << text;
        if (!timedCopy) args << QStringLiteral("--no-timed-copy");
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

TEST_F(EditorProcesses, SigtermAndSighupWriteTheCopyOfWhatWasJustTyped) {
    for (int signal : {SIGTERM, SIGHUP}) {
        const QString text = QStringLiteral("пауза=%1").arg(signal);
        // The copy's timer is stopped: only the signal's closing writes it.
        Editor& editor = startEditor(text, false);
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
