// The virtual board the editor runs itself: the real veltra-board beside the
// test's executable, chosen in the settings dialog's device list.

#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <sys/types.h>

#include "app/settings/TFormConfig.h"
#include "link/BoardProcess.h"
#include "tests/app/MainFormFixture.h"

using namespace veltra;
using namespace veltra::test;

namespace {

// The board's link lives in the user's runtime folder: a private one here.
class VirtualBoardTest : public MainFormTest {
  protected:
    QTemporaryDir runtime;
    QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");

    void SetUp() override {
        MainFormTest::SetUp();
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    }
    void TearDown() override {
        MainFormTest::TearDown();
        if (savedRuntime.isNull())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", savedRuntime);
    }

    // Saves the settings dialog with `device` chosen for COM1, the port in use.
    void chooseForCom1(const QByteArray& device, QString* entry = nullptr) {
        dialogs.modal = [device, entry](QDialog& shown) {
            auto& dialog = static_cast<TFormConfig&>(shown);
            auto* devices = control<QComboBox>(dialog, "cbDevice");
            const int item = devices->findData(device);
            EXPECT_GE(item, 0) << "not offered: " << device.toStdString();
            if (entry) *entry = devices->itemText(item);
            devices->setCurrentIndex(item);
            dialog.btSaveClick();
            return dialog.result();
        };
        button("btParam")->click();
    }

    bool linkAlive() const { return form->session().link().LinkAlive(); }
};

QByteArray boardLink() {
    return QFile::encodeName(virtualBoardLink());
}

bool processGone(qint64 pid) {
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

TEST_F(VirtualBoardTest, ChoosingTheVirtualBoardStartsItThePortPollsItAndClosingTheEditorStopsIt) {
    start();
    ASSERT_TRUE(waitFor([&] { return board.countOf(0x10) > 0 && linkAlive(); }));
    EXPECT_FALSE(peer().virtualBoard().running());

    QString entry;
    chooseForCom1(boardLink(), &entry);
    EXPECT_EQ(entry, "виртуальная плата");
    ASSERT_TRUE(peer().virtualBoard().running()) << message().toStdString();
    const qint64 pid = peer().virtualBoard().processId();
    EXPECT_TRUE(QFileInfo(virtualBoardLink()).isSymLink());
    // The chooser's one line in the settings file; the rest as it was.
    EXPECT_TRUE(readFile(iniPath()).contains("COM1=" + boardLink() + "\n"))
        << readFile(iniPath()).toStdString();
    EXPECT_TRUE(readFile(iniPath()).contains("COM2=" + dir.filePath("absent-COM2").toUtf8() + "\n"));

    // Only a board that answers the polls keeps the link alive: the played
    // board hears nothing more, so the answers are the virtual board's.
    const std::size_t polls = board.countOf(0x10);
    const std::int32_t replies = form->session().link().ioCount();
    EXPECT_TRUE(waitFor([&] { return form->session().link().ioCount() > replies + 3 && linkAlive(); }));
    EXPECT_EQ(panel(0)->text(), "Порт COM1 - ОК");
    EXPECT_EQ(board.countOf(0x10), polls);

    form->close();
    EXPECT_FALSE(peer().virtualBoard().running());
    EXPECT_TRUE(waitFor([&] { return processGone(pid); }));
    EXPECT_FALSE(QFileInfo::exists(virtualBoardLink()));
    EXPECT_FALSE(QFileInfo(virtualBoardLink()).isSymLink());
}

TEST_F(VirtualBoardTest, TheVirtualBoardSetInTheSettingsStartsWithTheEditorAndAnotherChoiceStopsIt) {
    QByteArray ini = portsSection();
    ini.replace(QByteArray::fromStdString(board.slavePath()), boardLink());
    writeFile(iniPath(), ini);
    start();
    ASSERT_TRUE(peer().virtualBoard().running()) << message().toStdString();
    const qint64 pid = peer().virtualBoard().processId();
    EXPECT_TRUE(waitFor([&] { return linkAlive(); }));

    // The played board, as the chooser lists a running board: by its link.
    const QString played = dir.filePath("played-board");
    ASSERT_TRUE(QFile::link(QString::fromStdString(board.slavePath()), played));
    chooseForCom1(QFile::encodeName(played));
    EXPECT_FALSE(peer().virtualBoard().running());
    EXPECT_TRUE(waitFor([&] { return processGone(pid); }));
    EXPECT_FALSE(QFileInfo(virtualBoardLink()).isSymLink());
    EXPECT_TRUE(waitFor([&] { return board.countOf(0x10) > 3 && linkAlive(); }));
}
