// The board loop as a user meets it in everyday mishaps: an edit followed at
// once by F8, keys pressed behind a dialog or while the port switches, a port
// that fails to open, the board or its adapter going away and coming back, a
// pasted console command. The real main window over pseudo-terminal boards.

#include <QFileDialog>
#include <QMessageBox>
#include <QTextBlock>
#include <ctime>
#include <unistd.h>

#include "app/settings/TFormConfig.h"
#include "app/shell/FileDialogs.h"
#include "compiler/ProgramCheck.h"
#include "tests/app/MainFormFixture.h"

using namespace veltra;
using namespace veltra::test;

namespace {

const char* kProgram = "метка_1:\nсвд=к\nпауза+\nпереход метка_1\n";

// The words a board must receive for a program text: what the check builds.
std::vector<std::uint8_t> wireWords(const QString& text) {
    std::vector<std::u32string> lines;
    for (const QString& line : text.split(QChar('\n'), Qt::SkipEmptyParts))
        lines.push_back(line.toStdU32String());
    ProgramImage image;
    CheckReport report;
    EXPECT_EQ(buildProgram(lines, image, report), 0);
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < image.count; ++i) {
        bytes.push_back(std::uint8_t(image.words[i] & 0xFF));
        bytes.push_back(std::uint8_t(image.words[i] >> 8));
    }
    return bytes;
}

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

class BoardLoopTest : public MainFormTest {
  protected:
    void startAlive() {
        start();
        setEditorText(QString::fromUtf8(kProgram));
        ASSERT_TRUE(waitFor([&] { return form->session().link().LinkAlive(); }));
    }

    // Runs the upload window for real when the send path shows it.
    void runUploadsForReal() {
        dialogs.modal = [](QDialog& dialog) {
            QTimer::singleShot(60000, &dialog, &QDialog::reject); // a broken sequence must not hang the run
            return dialog.exec();
        };
    }

    // The settings dialog, saved with `port` chosen (-1: as it was).
    void saveSettingsWithPort(int port) {
        dialogs.modal = [port](QDialog& shown) {
            auto* dialog = qobject_cast<TFormConfig*>(&shown);
            if (!dialog) return int(QDialog::Rejected); // no other window is expected here
            if (port >= 0) control<QComboBox>(*dialog, "cbPortName")->setCurrentIndex(port);
            dialog->btSaveClick();
            return dialog->result();
        };
        button("btParam")->click();
    }

    void pointPortAt(const char* name, const std::string& device) {
        QByteArray ini = readFile(iniPath());
        const QByteArray key = QByteArray(name) + "=";
        const qsizetype at = ini.indexOf(key);
        ASSERT_GE(at, 0);
        ini.replace(at, ini.indexOf('\n', at) - at, key + QByteArray::fromStdString(device));
        writeFile(iniPath(), ini);
    }
};

TEST_F(BoardLoopTest, AnEditFollowedAtOnceByF8UploadsTheWordsItsCheckBuilt) {
    startAlive();
    runUploadsForReal();
    // The edit is made just before a tick that runs the once-a-second change
    // detection: that tick comes during the upload's waits.
    const QString edited = QString::fromUtf8(kProgram) + QStringLiteral("свд=з\n");
    ASSERT_TRUE(waitFor([&] { return form->state().tickCount == 9; }));
    edit()->setPlainText(edited);
    QTest::keyClick(edit(), Qt::Key_F8);

    EXPECT_EQ(message(), "загрузка программы...ОК");
    ASSERT_EQ(board.countOf(0x24), 1u);
    EXPECT_EQ(board.lastOf(0x24)->data(), wireWords(edited));
    // The edit still counts as a change: the next upload checks again.
    EXPECT_EQ(form->program().image().count, 0);
    EXPECT_EQ(peer().changes().lastTextLength(), countedTextLength(*edit()->document()));
}

TEST_F(BoardLoopTest, FunctionKeysDoNothingBehindAModalDialog) {
    startAlive();
    runUploadsForReal();
    // Each dialog is shown modally over the main window; while it stands the
    // user presses F8 and F1, then it is closed.
    const std::function<QDialog*()> dialogsShown[] = {
        [&] {
            return new ProgramFileDialog(form.get(),
                                         {"Открыть файл с программой...", dir.path(), "*.txt", {}},
                                         QFileDialog::AcceptOpen);
        },
        [&] {
            return new QMessageBox(QMessageBox::Critical, QString(), QStringLiteral("?"), QMessageBox::Ok,
                                   form.get());
        },
        [&] { return new TFormConfig(form.get()); },
    };
    for (const auto& make : dialogsShown) {
        std::unique_ptr<QDialog> dialog(make());
        SCOPED_TRACE(dialog->metaObject()->className());
        QTimer::singleShot(100, dialog.get(), [&] {
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : dialog.get(),
                            Qt::Key_F8);
            QTest::keyClick(dialog.get(), Qt::Key_F1);
            dialog->reject();
        });
        dialog->exec();
        EXPECT_EQ(dialogs.count(DialogCall::Modal), 0);
        EXPECT_FALSE(helpForm->isVisible());
    }
    EXPECT_EQ(board.countOf(0x12), 0u);
    // Without a dialog the same keys act.
    QTest::keyClick(edit(), Qt::Key_F1);
    EXPECT_TRUE(helpForm->isVisible());
}

TEST_F(BoardLoopTest, AFailedPortSwitchShowsTheLostLinkAtOnceAndNothingStartsWhileItSwitches) {
    startAlive();
    // While the switch to the absent COM2 reports its failure, the user
    // presses F8 and Enter in the console's place: nothing may start.
    int messagesBefore = -1;
    dialogs.onCall = [&](const DialogCall& call) {
        if (call.kind != DialogCall::Message || messagesBefore >= 0) return;
        messagesBefore = dialogs.count(DialogCall::Message);
        QTest::keyClick(edit(), Qt::Key_F8);
        peer().runSend();
    };
    saveSettingsWithPort(1);
    dialogs.onCall = nullptr;
    EXPECT_EQ(messagesBefore, dialogs.count(DialogCall::Message)) << "F8 during the switch showed a box";
    EXPECT_EQ(panel(0)->text(), "Порт COM2 - ошибка");
    EXPECT_FALSE(form->session().link().LinkAlive());
    EXPECT_TRUE(waitFor([&] { return panel(1)->text() == "       НЕТ СВЯЗИ !!!    "; }, 1500));

    const int beeps = dialogs.count(DialogCall::Beep);
    QTest::keyClick(edit(), Qt::Key_F8);
    EXPECT_EQ(dialogs.count(DialogCall::Beep), beeps + 1);
    EXPECT_EQ(dialogs.last(DialogCall::Message).text, "Проверь связь с платой и повтори загрузку!");
    EXPECT_EQ(board.countOf(0x12), 0u);

    // Saving the dialog again with the same name, once the device is there,
    // opens the port at once.
    PtyBoardPeer second;
    pointPortAt("COM2", second.slavePath());
    saveSettingsWithPort(-1);
    EXPECT_EQ(panel(0)->text(), "Порт COM2 - ОК");
    EXPECT_TRUE(waitFor([&] { return second.countOf(0x10) > 0 && form->session().link().LinkAlive(); }));
}

TEST_F(BoardLoopTest, ABoardThatGoesAwayAndComesBackOnTheSamePathIsPolledAgainWithoutAQuestion) {
    // COM1 is a link path, as the virtual board keeps one: a symbolic link to
    // whichever pseudo-terminal the board has now.
    const QString linkPath = dir.filePath(QStringLiteral("board-link"));
    ASSERT_EQ(::symlink(board.slavePath().c_str(), linkPath.toLocal8Bit().constData()), 0);
    pointPortAt("COM1", linkPath.toStdString());
    startAlive();
    const std::size_t calls = dialogs.calls.size();

    // The board goes away (its side of the line closes) and its link with it.
    board.closeMaster();
    ::unlink(linkPath.toLocal8Bit().constData());
    ASSERT_TRUE(waitFor([&] { return panel(0)->text() == "Порт COM1 - ошибка"; }, 3000));
    EXPECT_FALSE(form->session().port()->IsOpen());
    EXPECT_FALSE(form->session().link().LinkAlive());

    // Waiting for it costs next to nothing.
    const double cpu0 = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    waitFor([] { return false; }, 2000, 20);
    const double share = (processCpuSeconds() - cpu0) / (double(wall.elapsed()) / 1000.0);
    std::printf("waiting for the lost board: %.1f %% of a core\n", 100.0 * share);
    EXPECT_LT(share, 0.1);

    // A new board on the same path is found and polled.
    PtyBoardPeer back;
    ASSERT_EQ(::symlink(back.slavePath().c_str(), linkPath.toLocal8Bit().constData()), 0);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(waitFor([&] { return back.countOf(0x10) > 0 && form->session().link().LinkAlive(); }, 10000));
    std::printf("polled again after %lld ms\n", static_cast<long long>(clock.elapsed()));
    EXPECT_EQ(panel(0)->text(), "Порт COM1 - ОК");

    // The path turning to another board while the old one still answers is a
    // loss too: the port follows the path.
    PtyBoardPeer third;
    ::unlink(linkPath.toLocal8Bit().constData());
    ASSERT_EQ(::symlink(third.slavePath().c_str(), linkPath.toLocal8Bit().constData()), 0);
    ASSERT_TRUE(waitFor([&] { return third.countOf(0x10) > 0; }, 10000));

    // No sound, no box: the user did nothing.
    EXPECT_EQ(dialogs.calls.size(), calls);
}

TEST_F(BoardLoopTest, APastedConsoleCommandWithItsLineEndRunsLikeATypedOne) {
    startAlive();
    QTest::keyClick(edit(), Qt::Key_F10);
    editConsol()->insertPlainText(QStringLiteral("свд_4 = с,12\n"));
    QTest::keyClick(editConsol(), Qt::Key_Return);
    const QStringList lines = editConsol()->toPlainText().split(QChar('\n'));
    EXPECT_EQ(lines.mid(lines.size() - 3), QStringList({">свд_4 = с,12", ">>выполняю...  OK", ">"}));
    ASSERT_TRUE(board.lastOf(0x25));
    EXPECT_EQ(board.lastOf(0x25)->data(), (std::vector<std::uint8_t>{1, 0xC3, 0xA4, 0, 0, 0}));
}

TEST_F(BoardLoopTest, AFailedSaveUnderProcDoesNotBringTheNextDialogBackThere) {
    startAlive();
    dialogs.saveAnswers.push_back(QStringLiteral("/proc/veltra-test.txt"));
    button("btSaveToFile")->click();
    ASSERT_EQ(dialogs.count(DialogCall::Error), 1); // "Cannot create file ..."
    button("btSaveToFile")->click();
    EXPECT_EQ(dialogs.last(DialogCall::Save).setup.folder, QDir::cleanPath(programFolder()));
}

} // namespace
