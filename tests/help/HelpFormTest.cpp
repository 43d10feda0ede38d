// The language help window: topics, the text area, the hover highlight.

#include "help/THelpForm.h"
#include "tests/help/Wait.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace veltra {
namespace {

struct TopicCase {
    const char* label;
    const char* caption;
    int lines;
    const char* first;
    const char* last;
};

const TopicCase kTopics[] = {
    {"Label2", "Основные правила и требования", 14, " ------- основные правила и требования ------- ", ""},
    {"Label4", "объект светодиод ( свд )", 23, " ---- объект управления светодиод ( свд ) ---- ",
     "( здесь значения А=1...8 / В=1...15 )"},
    {"Label3", "объект порт ", 18, " ---- объект управления порт ( порт ) ---- ",
     "  порт_х = 00110011  - уст. значения бит"},
    {"Label5", "объект реле", 11, " ----- объект управления реле ( реле_х ) ----- ",
     " время между включениями реле - не менее 0,5 сек !!!"},
    {"Label8", "команда пауза", 18, " ----------- команда пауза ( пауза ) ---------- ",
     "  пауза*****    -  время задержки = 100 мс"},
    {"Label7", "хранилище (  объект сохр_х  )", 19, " ------- объект хранения ( сохр_х ) ------ ",
     "  А = сохр_х     /   В = сохр_х"},
    {"Label6", "арифметика ( переменные А, В )", 14, " ---------- команды арифметики ( А, В ) --------- ",
     "  А=А>>1   -  сдвиг вправо"},
    {"Label9", "ветвление ( метка, переход, возврат )", 12,
     " ---------------- команды ветвления --------------- ", "                   командой <переход метка_х>"},
    {"Label10", "проверка условий ( если - тогда )", 20,
     " -------------- команды проверки условий ------------- ", "   если А==0 тогда свд=выкл"},
    {"Label11", "свойство яркость ( ярк )", 10, " ------------------ свойство яркость ----------------- ",
     "  ярк = 7      -  уст. яркость=7  всех портов"},
    {"Label12", "объект кнопка ( кн_х )", 13, " ------------------- объект кнопка ------------------ ",
     "  если кн_1==выкл тогда пауза"},
    {"Label13", "внешний модуль( вм )", 11, " ------- внешний модуль ( вм ) ------ ", ""},
};

class HelpFormTest : public ::testing::Test {
  protected:
    QWidget mainWindow;
    THelpForm form{&mainWindow};

    QLabel* label(const char* name) { return form.findChild<QLabel*>(QString::fromLatin1(name)); }
    QFrame* panel() { return form.findChild<QFrame*>(QStringLiteral("Panel1")); }
    QPlainTextEdit* memo() { return form.findChild<QPlainTextEdit*>(QStringLiteral("memMain")); }
    QString memoLine(int n) { return memo()->document()->findBlockByNumber(n).text(); }

    void showForm() {
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
    // Through the window, as the window system would deliver it, so that the
    // widget under the point is found the same way as for a real pointer.
    void hover(QWidget* widget, QPoint point) {
        QTest::mouseMove(form.windowHandle(), widget->mapTo(&form, point));
    }
    void hover(const char* name) { hover(label(name), label(name)->rect().center()); }
    void click(const char* name) {
        QLabel* target = label(name);
        ASSERT_NE(target, nullptr) << name;
        QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
    }
};

TEST_F(HelpFormTest, CaptionAndEmptyTextAtStart) {
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Veltra - Справка Команды"));
    EXPECT_EQ(label("Label1")->text(), QStringLiteral("О программе..."));
    EXPECT_TRUE(memo()->toPlainText().isEmpty());
    EXPECT_TRUE(memo()->isReadOnly());
    EXPECT_EQ(form.size(), QSize(298, 607));
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "the window is not resizable";
}

TEST_F(HelpFormTest, EveryTopicShowsItsTextLineForLine) {
    showForm();
    for (const TopicCase& c : kTopics) {
        SCOPED_TRACE(c.label);
        ASSERT_NE(label(c.label), nullptr);
        EXPECT_EQ(label(c.label)->text(), QString::fromUtf8(c.caption));
        click(c.label);
        EXPECT_EQ(memo()->document()->blockCount(), c.lines);
        EXPECT_EQ(memoLine(0), QString::fromUtf8(c.first));
        EXPECT_EQ(memoLine(c.lines - 1), QString::fromUtf8(c.last));
        EXPECT_EQ(form.focusWidget(), panel()) << "no caret is left in the text area";
    }
}

TEST_F(HelpFormTest, HandlersShowTheSameTopicsAsClicks) {
    const char* handlers[] = {"Label2Click",  "Label3Click",  "Label4Click",  "Label5Click",
                              "Label6Click",  "Label7Click",  "Label8Click",  "Label9Click",
                              "Label10Click", "Label11Click", "Label12Click", "Label13Click"};
    for (const char* handler : handlers) {
        SCOPED_TRACE(handler);
        ASSERT_TRUE(QMetaObject::invokeMethod(&form, handler));
        const std::string name = std::string(handler).substr(0, std::string(handler).size() - 5);
        const auto c = std::find_if(std::begin(kTopics), std::end(kTopics),
                                    [&](const TopicCase& t) { return name == t.label; });
        ASSERT_NE(c, std::end(kTopics));
        EXPECT_EQ(memo()->document()->blockCount(), c->lines);
        EXPECT_EQ(memoLine(0), QString::fromUtf8(c->first));
    }
}

TEST_F(HelpFormTest, SecondClickReplacesTheText) {
    showForm();
    click("Label4");
    click("Label4");
    EXPECT_EQ(memo()->document()->blockCount(), 23) << "the topic is shown once, not twice";
    click("Label3");
    EXPECT_EQ(memo()->document()->blockCount(), 18);
    EXPECT_EQ(memoLine(0), QStringLiteral(" ---- объект управления порт ( порт ) ---- "));
    EXPECT_FALSE(memo()->toPlainText().contains(QStringLiteral("светодиод")));
}

TEST_F(HelpFormTest, TextAreaTakesNoTyping) {
    showForm();
    click("Label5");
    const QString before = memo()->toPlainText();
    memo()->setFocus();
    QTest::keyClicks(memo(), QStringLiteral("abc"));
    QTest::keyClick(memo(), Qt::Key_Backspace);
    QTest::keyClick(memo(), Qt::Key_Return);
    EXPECT_EQ(memo()->toPlainText(), before);
}

TEST_F(HelpFormTest, RightButtonDoesNotShowATopic) {
    showForm();
    QTest::mouseClick(label("Label4"), Qt::RightButton, {}, label("Label4")->rect().center());
    EXPECT_TRUE(memo()->toPlainText().isEmpty());
}

// The look of a topic label: highlighted is red and underlined, plain is
// yellow with no style at all.
bool isHighlighted(const QLabel* l) {
    return l->palette().color(QPalette::WindowText) == QColor(255, 0, 0) && l->font().underline();
}
bool isPlain(const QLabel* l) {
    const QFont f = l->font();
    return l->palette().color(QPalette::WindowText) == QColor(255, 255, 0) && !f.underline() && !f.bold() &&
           !f.italic() && !f.strikeOut();
}

TEST_F(HelpFormTest, HoverHighlightsOnlyTheLabelUnderThePointer) {
    showForm();
    const QList<QLabel*> topics = panel()->findChildren<QLabel*>();
    ASSERT_EQ(topics.size(), 12);
    for (QLabel* l : topics)
        EXPECT_TRUE(isPlain(l)) << l->objectName().toStdString();

    hover("Label4");
    EXPECT_TRUE(isHighlighted(label("Label4")));
    EXPECT_EQ(panel()->cursor().shape(), Qt::PointingHandCursor);
    for (QLabel* l : topics) {
        if (l != label("Label4")) {
            EXPECT_TRUE(isPlain(l)) << l->objectName().toStdString();
        }
    }

    // A fast move straight onto another label leaves both highlighted.
    hover("Label11");
    EXPECT_TRUE(isHighlighted(label("Label4")));
    EXPECT_TRUE(isHighlighted(label("Label11")));
    // The link above the panel plays no part.
    EXPECT_EQ(label("Label1")->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    EXPECT_TRUE(label("Label1")->font().bold());
    EXPECT_TRUE(label("Label1")->font().underline());
}

TEST_F(HelpFormTest, BackgroundAndTextAreaClearEveryHighlight) {
    showForm();
    click("Label2"); // some text, so the move lands on text in the text area
    struct Reset {
        const char* where;
        QWidget* widget;
        QPoint point;
    };
    const Reset resets[] = {
        {"panel background", panel(), QPoint(250, 190)},
        {"text area", memo()->viewport(), QPoint(40, 30)},
    };
    for (const Reset& r : resets) {
        SCOPED_TRACE(r.where);
        ASSERT_EQ(r.widget->childAt(r.point), nullptr) << "the point must be bare background";
        hover("Label9");
        hover("Label12");
        ASSERT_TRUE(isHighlighted(label("Label9")));
        hover(r.widget, r.point);
        for (QLabel* l : panel()->findChildren<QLabel*>())
            EXPECT_TRUE(isPlain(l)) << l->objectName().toStdString();
        EXPECT_FALSE(panel()->testAttribute(Qt::WA_SetCursor))
            << "the panel's cursor is the default arrow again";
    }
    EXPECT_EQ(memo()->viewport()->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(HelpFormTest, CloseButtonOnlyHides) {
    showForm();
    QPointer<THelpForm> alive(&form);
    EXPECT_TRUE(form.close());
    QApplication::processEvents();
    EXPECT_FALSE(alive.isNull());
    EXPECT_TRUE(form.isHidden());
    EXPECT_FALSE(form.testAttribute(Qt::WA_QuitOnClose)) << "closing a help window never ends the program";
    showForm();
    click("Label6");
    EXPECT_EQ(memo()->document()->blockCount(), 14);
}

} // namespace
} // namespace veltra
