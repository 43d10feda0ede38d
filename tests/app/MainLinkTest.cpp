// The main window's side of the link: the port it opens, the status bar, the
// skipped poll after a view switch, reopening after the settings dialog.

#include <sys/stat.h>
#include <unistd.h>

#include "app/settings/TFormConfig.h"
#include "tests/app/MainFormFixture.h"

using namespace veltra;
using namespace veltra::test;

TEST_F(MainFormTest, LinkPanelCountsRepliesAndBlinksWhenTheBoardFallsSilent) {
    start();
    ASSERT_TRUE(waitFor([&] { return form->session().link().ioCount() >= 3; }));
    ASSERT_TRUE(waitFor([&] {
        return panel(1)->text() == QStringLiteral("СВЯЗЬ-ОК  ( I/O count: %1 )")
                                       .arg(form->session().link().ioCount(), 6, 10, QLatin1Char('0'));
    }));

    board.setAnswering(false);
    ASSERT_TRUE(waitFor([&] { return panel(1)->text() == "       НЕТ СВЯЗИ !!!    "; }, 15000));
    std::int32_t counted = form->session().link().ioCount();
    ASSERT_TRUE(waitFor([&] { return panel(1)->text().isEmpty(); }, 5000)); // it blinks
    EXPECT_EQ(form->session().link().ioCount(), counted);

    board.setAnswering(true);
    EXPECT_TRUE(waitFor([&] { return panel(1)->text().startsWith("СВЯЗЬ-ОК"); }, 15000));
}

TEST_F(MainFormTest, LinkPanelsTooltipShowsTheLinksHealthAndItsTextStaysTheLinkState) {
    start();
    ASSERT_TRUE(waitFor([&] { return form->session().link().ioCount() >= 3; }));
    runOneSecond();
    const QString tip = panel(1)->toolTip();
    EXPECT_TRUE(tip.startsWith(QStringLiteral("опросов: "))) << tip.toStdString();
    EXPECT_FALSE(tip.contains(QStringLiteral("ответов: 0,"))) << tip.toStdString();
    EXPECT_TRUE(tip.contains(QStringLiteral("время ответа: мин. "))) << tip.toStdString();
    EXPECT_TRUE(panel(1)->text().startsWith(QStringLiteral("СВЯЗЬ-ОК  ( I/O count: ")));
}

TEST_F(MainFormTest, F10SuppressesOnePoll) {
    start();
    ASSERT_TRUE(waitFor([&] { return board.countOf(0x10) > 0; }));
    QTest::keyClick(edit(), Qt::Key_F10);
    EXPECT_TRUE(form->session().link().skipPoll());
    // The next cycle takes it; polling goes on afterwards.
    ASSERT_TRUE(waitFor([&] { return !form->session().link().skipPoll(); }));
    std::size_t polls = board.countOf(0x10);
    EXPECT_TRUE(waitFor([&] { return board.countOf(0x10) > polls; }));
    QTest::keyClick(editConsol(), Qt::Key_F10);
    EXPECT_TRUE(form->session().link().skipPoll());
}

TEST_F(MainFormTest, APortThatCannotBeOpenedIsReportedAndTheWindowWorksOn) {
    writeIni("[LINK]\nPORT_NAME=COM2\n");
    start();
    EXPECT_EQ(panel(0)->text(), "Порт COM2 - ошибка");
    EXPECT_EQ(dialogs.count(DialogCall::Beep), 1);
    DialogCall told = dialogs.last(DialogCall::Message);
    EXPECT_TRUE(told.text.contains("COM2") && told.text.contains(dir.filePath("absent-COM2")))
        << told.text.toStdString();
    EXPECT_EQ(told.icon, BoxIcon::Stop);
    EXPECT_FALSE(form->session().port()->IsOpen());
    EXPECT_TRUE(waitFor([&] { return panel(1)->text() == "       НЕТ СВЯЗИ !!!    "; }));
}

TEST_F(MainFormTest, APortPathOutsideAsciiOpensByItsBytes) {
    // The board's pseudo-terminal, reached through a link in a folder whose
    // name is UTF-8 Cyrillic (as a checkout under such a folder gives) or
    // Windows-1251 bytes.
    struct Case {
        const char* name;
        QByteArray folder;
    };
    const Case cases[] = {
        {"UTF-8", "проект"},
        {"Windows-1251", "\xef\xf0\xee\xe5\xea\xf2"},
    };
    for (const Case& c : cases) {
        const QByteArray folder = QFile::encodeName(dir.path()) + '/' + c.folder;
        ASSERT_EQ(::mkdir(folder.constData(), 0700), 0) << c.name;
        const QByteArray device = folder + "/vb";
        ASSERT_EQ(::symlink(board.slavePath().c_str(), device.constData()), 0) << c.name;
        writeFile(iniPath(), "[PORTS]\nCOM1=" + device + "\n");
        const std::size_t polls = board.countOf(0x10);
        start();
        EXPECT_TRUE(form->session().port()->IsOpen()) << c.name;
        EXPECT_TRUE(waitFor([&] { return board.countOf(0x10) > polls; })) << c.name;
        form->close();
    }
    EXPECT_EQ(dialogs.count(DialogCall::Message), 0);
}

TEST_F(MainFormTest, SettingsDialogReopensThePortOnlyWhenItsNameChanged) {
    PtyBoardPeer second;
    writeIni("");
    start();
    // A working link: a port whose board does not answer is opened again by saving.
    ASSERT_TRUE(waitFor([&] { return board.countOf(0x10) > 0 && form->session().link().LinkAlive(); }));

    // COM1 now means the second board, but the name stays COM1: no reopening.
    QByteArray ini = readFile(iniPath());
    ini.replace(QByteArray::fromStdString(board.slavePath()), QByteArray::fromStdString(second.slavePath()));
    writeFile(iniPath(), ini);
    dialogs.modal = [](QDialog& shown) {
        static_cast<TFormConfig&>(shown).btSaveClick();
        return shown.result();
    };
    button("btParam")->click();
    std::size_t polls = board.countOf(0x10);
    EXPECT_TRUE(waitFor([&] { return board.countOf(0x10) > polls + 3; }));
    EXPECT_EQ(second.frameCount(), 0u);

    // Choosing COM2 opens it at once; its device comes from the file as it is now.
    ini = readFile(iniPath());
    ini.replace(dir.filePath("absent-COM2").toUtf8(), QByteArray::fromStdString(second.slavePath()));
    writeFile(iniPath(), ini);
    dialogs.modal = [](QDialog& shown) {
        auto& dialog = static_cast<TFormConfig&>(shown);
        control<QComboBox>(dialog, "cbPortName")->setCurrentIndex(1);
        dialog.btSaveClick();
        return dialog.result();
    };
    button("btParam")->click();
    EXPECT_EQ(panel(0)->text(), "Порт COM2 - ОК");
    EXPECT_TRUE(waitFor([&] { return second.countOf(0x10) > 0; }));
    polls = board.countOf(0x10);
    EXPECT_TRUE(waitFor([&] { return second.countOf(0x10) > 3; }));
    EXPECT_EQ(board.countOf(0x10), polls); // the first board hears nothing more
}

TEST_F(MainFormTest, ADeviceChosenForTheSamePortIsOpenedOnSave) {
    PtyBoardPeer second;
    const QString link = dir.filePath("virtual-board");
    ASSERT_TRUE(QFile::link(QString::fromStdString(second.slavePath()), link));
    writeIni("");
    start();
    ASSERT_TRUE(waitFor([&] { return board.countOf(0x10) > 0 && form->session().link().LinkAlive(); }));

    dialogs.modal = [&](QDialog& shown) {
        auto& dialog = static_cast<TFormConfig&>(shown);
        auto* devices = control<QComboBox>(dialog, "cbDevice");
        devices->setCurrentIndex(devices->findData(QFile::encodeName(link)));
        dialog.btSaveClick();
        return dialog.result();
    };
    button("btParam")->click();
    EXPECT_EQ(panel(0)->text(), "Порт COM1 - ОК");
    EXPECT_TRUE(waitFor([&] { return second.countOf(0x10) > 0; }));
    const std::size_t polls = board.countOf(0x10);
    EXPECT_TRUE(waitFor([&] { return second.countOf(0x10) > 3; }));
    EXPECT_EQ(board.countOf(0x10), polls); // the first board hears nothing more
}
