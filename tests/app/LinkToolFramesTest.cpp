// veltra-link speaks the editor's protocol, not one of its own: for the same
// program or console command, the frames a board receives from the editor's
// F8 or console and from veltra-link are the same bytes. Each side talks to a
// board peer of its own on a pseudo-terminal, which records what it receives.

#include <QDir>
#include <QFile>
#include <QProcess>

#include "files/Cp1251.h"
#include "link/TFormLink.h"
#include "tests/app/MainFormFixture.h"

using namespace veltra;
using namespace veltra::test;

namespace {

using Frames = std::vector<std::vector<std::uint8_t>>;
constexpr std::uint8_t kPoll = 0x10;
constexpr int kRunMs = 60000;

// Everything but the polls, whose number depends on timing; the polls
// themselves must all be the one poll frame.
Frames requestsOf(const PtyBoardPeer& peer, const std::vector<std::uint8_t>& poll) {
    Frames requests;
    for (const ReceivedFrame& received : peer.frames()) {
        if (received.frame.code() == kPoll) {
            EXPECT_EQ(received.frame.bytes, poll);
            continue;
        }
        requests.push_back(received.frame.bytes);
    }
    return requests;
}

class LinkToolFrames : public MainFormTest {
  protected:
    PtyBoardPeer linkBoard; // the board veltra-link talks to
    const std::vector<std::uint8_t> poll{0x77, 0x70, 0x61, kPoll, 0x00, 0x00, 0x00, 0x0A};

    void SetUp() override {
        MainFormTest::SetUp();
        qputenv("XDG_STATE_HOME", QFile::encodeName(dir.filePath("state")));
        dialogs.modal = [](QDialog& dialog) {
            QTimer::singleShot(kRunMs, &dialog, &QDialog::reject);
            return dialog.exec();
        };
        start();
        ASSERT_TRUE(waitFor([&] { return form->session().link().LinkAlive(); }));
    }
    void TearDown() override {
        MainFormTest::TearDown();
        qputenv("XDG_STATE_HOME", stateHome_);
    }
    const QByteArray stateHome_ = qgetenv("XDG_STATE_HOME");

    // veltra-link with `args` on linkBoard's port; the event loop keeps the
    // editor's link running meanwhile.
    int runLink(QStringList args) {
        QProcess process;
        process.setProgram(QStringLiteral(VELTRA_LINK_EXE));
        args.insert(1, QString::fromStdString(linkBoard.slavePath()));
        args.insert(1, QStringLiteral("--port"));
        process.setArguments(args);
        process.start();
        EXPECT_TRUE(process.waitForStarted(kRunMs));
        EXPECT_TRUE(waitFor([&] { return process.state() == QProcess::NotRunning; }, kRunMs));
        return process.exitCode();
    }
};

TEST_F(LinkToolFrames, AnUploadSendsTheEditorsFramesForEveryExample) {
    const QStringList examples =
        QDir(QStringLiteral(VELTRA_EXAMPLES)).entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    ASSERT_FALSE(examples.isEmpty());
    for (const QString& name : examples) {
        const QString path = QStringLiteral(VELTRA_EXAMPLES "/") + name;
        board.clearFrames();
        linkBoard.clearFrames();
        setEditorText(decodeCp1251(readFile(path)));
        QTest::keyClick(edit(), Qt::Key_F8);
        ASSERT_EQ(message(), "загрузка программы...ОК") << name.toStdString();

        EXPECT_EQ(runLink({"upload", path}), 0) << name.toStdString();
        const Frames editor = requestsOf(board, poll);
        ASSERT_EQ(editor.size(), 2u) << name.toStdString(); // the status request and the upload
        EXPECT_EQ(requestsOf(linkBoard, poll), editor) << name.toStdString();
    }
}

TEST_F(LinkToolFrames, ConsoleCommandsSendTheEditorsFrames) {
    const QStringList commands{QStringLiteral("сбросить"), QStringLiteral(">свд_4 = с,12"),
                               QStringLiteral("вм свд_4 = с,12"), QStringLiteral("реле_1 = вкл"),
                               QStringLiteral("ППЗУ = записать")};
    QTest::keyClick(edit(), Qt::Key_F10);
    ASSERT_TRUE(form->state().consoleMode);
    for (const QString& command : commands) {
        type(editConsol(), command.startsWith('>') ? command.mid(1) : command);
        QTest::keyClick(editConsol(), Qt::Key_Return);
    }
    EXPECT_EQ(runLink(QStringList{"console"} + commands), 0);
    const Frames editor = requestsOf(board, poll);
    EXPECT_EQ(editor.size(), commands.size());
    EXPECT_EQ(requestsOf(linkBoard, poll), editor);
}

} // namespace
