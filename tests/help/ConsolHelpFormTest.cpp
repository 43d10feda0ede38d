// The console help window: its card of 29 lines, editable and never kept.

#include "help/THelpConsolForm.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

namespace veltra {
namespace {

QPlainTextEdit* memo(QWidget& form) {
    return form.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
}

QString line(QWidget& form, int n) {
    return memo(form)->document()->findBlockByNumber(n).text();
}

TEST(HelpConsolForm, ShowsTheConsoleCard) {
    QWidget mainWindow;
    THelpConsolForm form(&mainWindow);
    ASSERT_NE(memo(form), nullptr);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Справка Консоль"));
    EXPECT_EQ(form.size(), QSize(312, 607));
    EXPECT_EQ(memo(form)->geometry(), QRect(1, 30, 309, 577));
    EXPECT_EQ(memo(form)->document()->blockCount(), 29);
    struct Line {
        int index;
        const char* text;
    };
    const Line lines[] = {
        {0, "--------------------- консоль управления -------------------"},
        {1, ""},
        {12, "    ППЗУ = записать   -  записать в ППЗУ "},
        {13, "                                        текущую программу"},
        {18, "команды управления:    "},
        {26, "    А =    /  В = "},
        {28, "    вм Команда управления  ( вм - внешний модуль )"},
    };
    for (const Line& l : lines)
        EXPECT_EQ(line(form, l.index), QString::fromUtf8(l.text)) << "line " << l.index + 1;
    EXPECT_EQ(memo(form)->palette().color(QPalette::Base), QColor(0, 0, 0));
    EXPECT_EQ(memo(form)->palette().color(QPalette::Text), QColor(255, 255, 255));
}

TEST(HelpConsolForm, EditsAreAllowedButNeverKept) {
    QWidget mainWindow;
    QString original;
    {
        THelpConsolForm form(&mainWindow);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        original = memo(form)->toPlainText();
        EXPECT_FALSE(memo(form)->isReadOnly());
        memo(form)->setFocus();
        QTest::keyClicks(memo(form), QStringLiteral("note"));
        EXPECT_NE(memo(form)->toPlainText(), original);
        // Hiding and showing again keeps the edit for the rest of the run.
        form.close();
        form.show();
        EXPECT_TRUE(memo(form)->toPlainText().contains(QStringLiteral("note")));
        EXPECT_FALSE(form.testAttribute(Qt::WA_QuitOnClose));
    }
    THelpConsolForm fresh(&mainWindow);
    EXPECT_EQ(memo(fresh)->toPlainText(), original);
}

} // namespace
} // namespace veltra
