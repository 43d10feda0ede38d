#include <QHelpEvent>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTextBlock>
#include <QToolTip>

#include "app/shell/FittedLabel.h"
#include "files/Settings.h"
#include "tests/app/MainFormFixture.h"

using namespace veltra;
using namespace veltra::test;

namespace {

// The tooltip a pointer resting on `widget` brings up; empty when none.
QString tooltipOf(QWidget& widget) {
    QToolTip::hideText();
    QHelpEvent hover(QEvent::ToolTip, QPoint(4, 4), widget.mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(&widget, &hover);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

QColor editorColour(const TMainForm& form, QPalette::ColorRole role) {
    return form.findChild<QPlainTextEdit*>("edit")->palette().color(role);
}

} // namespace

TEST_F(MainFormTest, FirstRunShowsWhiteOnBlackOpensCom1AndClosingWritesEveryKeyReadOnly) {
    // Only the hand-made port section: none of the program's keys yet.
    start();
    EXPECT_EQ(form->windowTitle(), "Veltra KX-LED v1.2");
    EXPECT_EQ(form->size(), QSize(642, 607));
    EXPECT_EQ(editorColour(*form, QPalette::Base), QColor(0, 0, 0));
    EXPECT_EQ(editorColour(*form, QPalette::Text), QColor(255, 255, 255));
    EXPECT_EQ(message(), "...");
    EXPECT_EQ(label("stNumLine")->text(), "...");
    EXPECT_EQ(peer().files().savePath(), dir.filePath("0001.vel"));
    EXPECT_EQ(peer().files().openPath(), peer().files().savePath());
    EXPECT_EQ(panel(0)->text(), "Порт COM1 - ОК");
    EXPECT_TRUE(form->session().port()->IsOpen());
    ASSERT_TRUE(waitFor([&] { return board.countOf(0x10) > 0; })); // polls arrive
    ASSERT_TRUE(waitFor([&] { return panel(1)->text().startsWith("СВЯЗЬ-ОК  ( I/O count: "); }));

    form->close();
    EXPECT_EQ(readFile(iniPath()),
              portsSection() + "[EDIT]\nBG_COLOR=0\nTXT_COLOR=4\nTXT_SIZE=0\nTXT_FONT=0\nVAL1=0\nVAL2=0\n"
                               "[PCB]\nPCB_NAME=VELTRA\nPCB_VER=1\nSOFT_VER=1\n"
                               "[LINK]\nPORT_NAME=COM1\nPORT_SPEED=57600\n");
    EXPECT_FALSE(QFile::permissions(iniPath()) &
                 (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther));
    EXPECT_TRUE(form->isHidden());
    EXPECT_EQ(form->session().port(), nullptr); // the port is closed and its worker gone
    EXPECT_EQ(dialogs.calls.size(), 0u);        // nothing asked, though nothing was saved
}

TEST_F(MainFormTest, EditorColoursFollowTheSettingsAndTheConsoleKeepsItsOwn) {
    struct Case {
        int bg, text;
        QColor base, foreground;
    };
    const Case cases[] = {
        {1, 2, QColor(0, 0, 128), QColor(0, 255, 255)},  {2, 3, QColor(255, 255, 255), QColor(0, 0, 255)},
        {0, 1, QColor(0, 0, 0), QColor(255, 255, 0)},    {0, 0, QColor(0, 0, 0), QColor(0, 0, 0)},
        {3, -1, QColor(0, 0, 0), QColor(255, 255, 255)}, // outside the lists: design colours stay
        {-1, 5, QColor(0, 0, 0), QColor(255, 255, 255)},
    };
    for (const Case& c : cases) {
        writeFile(iniPath(),
                  QStringLiteral("[EDIT]\nBG_COLOR=%1\nTXT_COLOR=%2\n").arg(c.bg).arg(c.text).toLatin1());
        start();
        EXPECT_EQ(editorColour(*form, QPalette::Base), c.base) << c.bg;
        EXPECT_EQ(editorColour(*form, QPalette::Text), c.foreground) << c.text;
        // The colouring keeps the chosen colour for the program's words.
        setEditorText(QStringLiteral("свд = ж,7"));
        const auto formats = edit()->document()->firstBlock().layout()->formats();
        ASSERT_FALSE(formats.isEmpty());
        EXPECT_EQ(formats.front().format.foreground().color(), c.foreground) << c.text;
        EXPECT_EQ(editConsol()->palette().color(QPalette::Base), QColor(0, 128, 0));
        EXPECT_EQ(editConsol()->palette().color(QPalette::Text), QColor(255, 255, 0));
        form->close();
        form.reset();
    }
}

TEST_F(MainFormTest, F10SwapsViewsAndTheOpenHelpWindow) {
    start();
    helpForm->show();
    QTest::keyClick(edit(), Qt::Key_F10);
    EXPECT_TRUE(form->state().consoleMode);
    EXPECT_TRUE(edit()->isHidden());
    EXPECT_FALSE(editConsol()->isHidden());
    EXPECT_EQ(focused(), editConsol());
    EXPECT_TRUE(helpConsolForm->isVisible());
    EXPECT_FALSE(helpForm->isVisible());

    QTest::keyClick(editConsol(), Qt::Key_F10, Qt::ShiftModifier); // modifiers do not matter
    EXPECT_FALSE(form->state().consoleMode);
    EXPECT_FALSE(edit()->isHidden());
    EXPECT_TRUE(editConsol()->isHidden());
    EXPECT_EQ(focused(), edit());
    EXPECT_TRUE(helpForm->isVisible());
    EXPECT_FALSE(helpConsolForm->isVisible());

    helpForm->hide();
    QTest::keyClick(edit(), Qt::Key_F10);
    QTest::keyClick(editConsol(), Qt::Key_F10);
    EXPECT_FALSE(helpForm->isVisible()); // no help window is opened by a switch
    EXPECT_FALSE(helpConsolForm->isVisible());
}

TEST_F(MainFormTest, AfterF10TheKeysGoToTheShownViewNotToTheHelpWindowShownWithIt) {
    start();
    QTest::keyClick(edit(), Qt::Key_F1);
    ASSERT_TRUE(helpForm->isVisible());
    for (QWidget* view : {editConsol(), edit()}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10);
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::activeWindow(), form.get());
        EXPECT_EQ(QApplication::focusWidget(), view);
    }
    EXPECT_TRUE(helpForm->isVisible());
    // The help's own button shows it without taking the keys either.
    QTest::keyClick(edit(), Qt::Key_F1);
    button("btHelp")->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), edit());
}

TEST_F(MainFormTest, ViewsKeepTheirTextAcrossSwitches) {
    start();
    QTest::keyClicks(edit(), "abc");
    QTest::keyClick(edit(), Qt::Key_F10);
    QTest::keyClicks(editConsol(), "xyz");
    QTest::keyClick(editConsol(), Qt::Key_F10);
    EXPECT_EQ(edit()->document()->firstBlock().text(), "abc");
    EXPECT_EQ(editConsol()->document()->lastBlock().text(), ">xyz");
}

TEST_F(MainFormTest, F1AndF8ActInTheEditorViewOnlyFromAnyWindow) {
    start();
    QSignalSpy sends(button("btSend"), &QPushButton::clicked);
    QSignalSpy helps(button("btHelp"), &QPushButton::clicked);

    QTest::keyClick(edit(), Qt::Key_F1);
    EXPECT_TRUE(helpForm->isVisible());
    QTest::keyClick(edit(), Qt::Key_F1);
    EXPECT_FALSE(helpForm->isVisible());
    QTest::keyClick(edit(), Qt::Key_F8);
    EXPECT_EQ(sends.count(), 1);

    // The key reaches the program's hook whichever of its windows has the focus.
    helpForm->show();
    QTest::keyClick(helpForm.get(), Qt::Key_F8);
    EXPECT_EQ(sends.count(), 2);
    QTest::keyClick(helpForm.get(), Qt::Key_F1);
    EXPECT_FALSE(helpForm->isVisible());
    EXPECT_EQ(helps.count(), 3);

    // A system key (with Alt) is not looked at.
    QTest::keyClick(edit(), Qt::Key_F8, Qt::AltModifier);
    EXPECT_EQ(sends.count(), 2);

    QTest::keyClick(edit(), Qt::Key_F10);
    QTest::keyClick(editConsol(), Qt::Key_F1);
    QTest::keyClick(editConsol(), Qt::Key_F8);
    EXPECT_EQ(sends.count(), 2);
    EXPECT_EQ(helps.count(), 3);
    EXPECT_FALSE(helpForm->isVisible());
    EXPECT_FALSE(helpConsolForm->isVisible());

    // In the console the help button opens the console's help.
    button("btHelp")->click();
    EXPECT_TRUE(helpConsolForm->isVisible());
    EXPECT_FALSE(helpForm->isVisible());
}

TEST_F(MainFormTest, LineIndicatorCountsFromOneAndSkipsAnEmptyLastLine) {
    start();
    struct Case {
        QString text;
        int caretBlock;
        QString shown;
    };
    QStringList twelve;
    for (int i = 1; i <= 12; ++i)
        twelve << QStringLiteral("свд = ж,%1").arg(i);
    const Case cases[] = {
        {twelve.join('\n'), 4, QStringLiteral("стр.=  5 /  12")},
        {QStringLiteral("a\nb\nc\n"), 3, QStringLiteral("стр.=  4 /   3")},
        {QStringLiteral("\n"), 0, QStringLiteral("стр.=  1 /   1")},
        {QString(), 0, QStringLiteral("стр.=  1 /   0")},
    };
    for (const Case& c : cases) {
        edit()->setPlainText(c.text);
        QTextCursor cursor(edit()->document()->findBlockByNumber(c.caretBlock));
        edit()->setTextCursor(cursor);
        peer().TmTimer();
        EXPECT_EQ(label("stNumLine")->text(), c.shown) << c.text.toStdString();
    }
    // The console's own lines while it is shown.
    QTest::keyClick(edit(), Qt::Key_F10);
    peer().TmTimer();
    EXPECT_EQ(label("stNumLine")->text(), QStringLiteral("стр.=  4 /   4"));
}

TEST_F(MainFormTest, EveryMessageAndLineNumberIsReadableWholeInItsFixedField) {
    start();
    auto* line = control<FittedLabel>(*form, "stError");
    auto* indicator = control<FittedLabel>(*form, "stNumLine");
    EXPECT_EQ(line->geometry(), QRect(142, 5, 337, 20));
    EXPECT_EQ(indicator->geometry(), QRect(5, 5, 132, 20));

    // The editor's own messages fit; a text that cannot (it ends in a path
    // or in what another program said) is cut visibly and whole in the tooltip.
    struct Message {
        QString text;
        bool fits;
    };
    const Message messages[] = {
        {QStringLiteral("файл в UTF-8; сохранится в Windows-1251"), true},
        {QStringLiteral("открыт из второго запуска, отмена: Ctrl+Z"), true},
        {QStringLiteral("виртуальная плата не запустилась: qt.qpa.xcb: could not connect to display :0"),
         false},
    };
    for (const Message& m : messages) {
        line->setText(m.text);
        EXPECT_EQ(line->shownText() == m.text, m.fits) << m.text.toStdString();
        EXPECT_EQ(tooltipOf(*line), m.fits ? QString() : m.text) << m.text.toStdString();
        if (!m.fits) { EXPECT_TRUE(line->shownText().endsWith(QChar(0x2026))) << m.text.toStdString(); }
    }

    // The numbers stay whole for any program the editor takes, up to 16 MiB
    // of lines: drawn smaller, never cut.
    setEditorText(QStringLiteral("пауза\n").repeated(1043));
    edit()->moveCursor(QTextCursor::End);
    edit()->moveCursor(QTextCursor::PreviousBlock);
    runOneSecond();
    EXPECT_EQ(indicator->text(), QStringLiteral("стр.=1043 / 1043"));
    EXPECT_EQ(indicator->shownText(), indicator->text());
    for (int lines : {99999, 1500000}) {
        indicator->setText(lineIndicatorText(lines, lines));
        EXPECT_EQ(indicator->shownText(), indicator->text()) << lines;
        EXPECT_GE(indicator->shownFont().pixelSize(), 8) << lines;
    }
    indicator->setText(lineIndicatorText(999, 999));
    EXPECT_EQ(indicator->shownFont().pixelSize(), 15); // the design's size while that fits
}

TEST_F(MainFormTest, ChangesOfLengthAreReportedAndSameLengthEditsAreNot) {
    start();
    setEditorText(QStringLiteral("свд = ж,7\nпауза"));
    form->program().image().count = 3;
    button("btSaveToFile")->setEnabled(false);

    // Replace one character by another: same length.
    QTextCursor cursor(edit()->document()->firstBlock());
    cursor.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor);
    edit()->setTextCursor(cursor);
    type(edit(), QStringLiteral("С"));
    // Enter at the very end adds an empty last line, which does not count.
    edit()->moveCursor(QTextCursor::End);
    QTest::keyClick(edit(), Qt::Key_Return);
    runOneSecond();
    EXPECT_EQ(message(), "...");
    EXPECT_EQ(form->program().image().count, 3);
    EXPECT_FALSE(button("btSaveToFile")->isEnabled());

    // Enter inside a line is a change, found by the running timer.
    edit()->setTextCursor(QTextCursor(edit()->document()->firstBlock()));
    QTest::keyClick(edit(), Qt::Key_Return);
    timer()->start();
    ASSERT_TRUE(waitFor([&] { return message() == "программа изменена..."; }));
    EXPECT_EQ(messageColour(), QColor(0, 0, 255));
    EXPECT_EQ(form->program().image().count, 0);
    EXPECT_TRUE(button("btSaveToFile")->isEnabled());
    EXPECT_FALSE(form->findChild<QStatusBar*>("stBar")
                     ->findChild<QLabel*>("stBarPanel2")
                     ->text()
                     .isEmpty()); // the clock

    // The message stays until someone else writes there.
    runOneSecond();
    EXPECT_EQ(message(), "программа изменена...");
}

TEST_F(MainFormTest, TypingInTheConsoleIsNoChangeOfTheProgram) {
    start();
    setEditorText(QStringLiteral("пауза"));
    QTest::keyClick(edit(), Qt::Key_F10);
    QTest::keyClicks(editConsol(), "abc");
    runOneSecond();
    EXPECT_EQ(message(), "...");
}

TEST_F(MainFormTest, ShiftEnterStartsARealLine) {
    start();
    setEditorText(QStringLiteral("ab"));
    QTextCursor cursor(edit()->document()->firstBlock());
    cursor.movePosition(QTextCursor::Right);
    edit()->setTextCursor(cursor);
    QTest::keyClick(edit(), Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(edit()->document()->blockCount(), 2);
    EXPECT_EQ(edit()->document()->firstBlock().text(), "a");
}
