// The main window's program check: what it hands the compiler and what the
// message line shows.

#include "tests/app/MainFormFixture.h"

using namespace veltra;
using namespace veltra::test;

TEST_F(MainFormTest, CheckShowsTheResultInItsColourAndFillsTheImage) {
    start();
    struct Case {
        QString text;
        int result;
        QString shown;
        QColor colour;
        int count;
    };
    const Case cases[] = {
        {QStringLiteral("метка_1:\nсвд=вкл\nпауза\nпереход метка_1\n"), 0, QStringLiteral("  >>> без ошибок"),
         QColor(0, 128, 0), 3},
        {QStringLiteral("// пример\nпауза\nсвд_1 = х\n"), 5,
         QStringLiteral("[стр.  3] ОШИБКА: параметр команды"), QColor(255, 0, 0), 0},
        {QStringLiteral("переход метка_4"), 1, QStringLiteral("ОШИБКА: неверная метка [ 4 ] !"),
         QColor(255, 0, 0), 0},
        {QStringLiteral("\n"), 0, QStringLiteral("  >>> без ошибок"), QColor(0, 128, 0), 0},
    };
    for (const Case& c : cases) {
        setEditorText(c.text);
        form->program().image().count = 77;
        EXPECT_EQ(peer().checkProgram(), c.result) << c.text.toStdString();
        EXPECT_EQ(message(), c.shown);
        EXPECT_EQ(messageColour(), c.colour);
        EXPECT_EQ(form->program().image().count, c.count);
    }
    setEditorText(QStringLiteral("метка_1:\nсвд=вкл\nпауза\nпереход метка_1"));
    peer().checkProgram();
    EXPECT_EQ(form->program().image().words[0], 0xAEF8);
    EXPECT_EQ(form->program().image().words[1], 0x4201);
    EXPECT_EQ(form->program().image().words[2], 0xE000);
}

TEST_F(MainFormTest, CheckDoesNothingInTheConsoleView) {
    start();
    setEditorText(QStringLiteral("пауза"));
    QTest::keyClick(edit(), Qt::Key_F10);
    form->program().image().count = 5;
    EXPECT_EQ(peer().checkProgram(), 1);
    EXPECT_EQ(message(), "...");
    EXPECT_EQ(form->program().image().count, 5);
}

TEST_F(MainFormTest, F8ChecksTheProgramButNotFromTheConsole) {
    start();
    setEditorText(QStringLiteral("пауза 5\n"));
    QTest::keyClick(edit(), Qt::Key_F8);
    EXPECT_EQ(message(), QStringLiteral("[стр.  1] ОШИБКА: параметр команды"));
    setEditorText(QStringLiteral("пауза\n"));
    QTest::keyClick(edit(), Qt::Key_F10);
    QTest::keyClick(editConsol(), Qt::Key_F8);
    EXPECT_EQ(message(), QStringLiteral("[стр.  1] ОШИБКА: параметр команды"));
}
