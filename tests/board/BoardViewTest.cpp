// The board window, offscreen: the keys and the mouse press the buttons, the
// drawing follows the model, and a running program never blocks the window.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <string>
#include <vector>

#include "board/BoardModel.h"
#include "board/view/BoardRunner.h"
#include "board/view/BoardView.h"
#include "board/view/LedStrip.h"

namespace veltra {
namespace {

constexpr int kWaitMs = 5000;

QColor pixelAtLamp(BoardView& view, int led) {
    const QImage image = view.ledStrip()->grab().toImage();
    return image.pixelColor(view.ledStrip()->lampRect(led).center());
}

std::string labelText(BoardView& view, const char* name) {
    auto* label = view.findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text().toStdString() : std::string("<no label ") + name + ">";
}

void sendKey(QWidget* w, QEvent::Type type, int key, bool autoRepeat) {
    QKeyEvent e(type, key, Qt::NoModifier, QString::number(key - Qt::Key_0), autoRepeat);
    QApplication::sendEvent(w, &e);
}

TEST(BoardView, KeysOneToThreeHoldTheButtons) {
    BoardModel model;
    BoardView view(model);
    view.show();
    for (int n = 1; n <= 3; ++n) {
        const int key = Qt::Key_0 + n;
        sendKey(&view, QEvent::KeyPress, key, false);
        EXPECT_TRUE(model.state().buttons[n - 1]) << "key " << n;
        EXPECT_TRUE(view.button(n)->isDown());
        sendKey(&view, QEvent::KeyRelease, key, true); // auto-repeat: still held
        sendKey(&view, QEvent::KeyPress, key, true);
        EXPECT_TRUE(model.state().buttons[n - 1]);
        sendKey(&view, QEvent::KeyRelease, key, false);
        EXPECT_FALSE(model.state().buttons[n - 1]);
        EXPECT_FALSE(view.button(n)->isDown());
    }
    sendKey(&view, QEvent::KeyPress, Qt::Key_4, false);
    EXPECT_EQ(model.state().buttons, (std::array<bool, 3>{}));
}

TEST(BoardView, LosingTheFocusLetsGoOfHeldKeys) {
    BoardModel model;
    BoardView view(model);
    view.show();
    sendKey(&view, QEvent::KeyPress, Qt::Key_2, false);
    ASSERT_TRUE(model.state().buttons[1]);
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(&view, &out);
    EXPECT_FALSE(model.state().buttons[1]);
}

TEST(BoardView, MouseHoldsAButtonWhileItIsDown) {
    BoardModel model;
    BoardView view(model);
    view.show();
    QPushButton* b3 = view.button(3);
    QTest::mousePress(b3, Qt::LeftButton);
    EXPECT_TRUE(model.state().buttons[2]);
    sendKey(&view, QEvent::KeyPress, Qt::Key_3, false);
    sendKey(&view, QEvent::KeyRelease, Qt::Key_3, false);
    EXPECT_TRUE(model.state().buttons[2]) << "the mouse still holds it";
    QTest::mouseRelease(b3, Qt::LeftButton);
    EXPECT_FALSE(model.state().buttons[2]);
}

TEST(BoardView, DrawingFollowsTheModel) {
    BoardModel model;
    BoardView view(model);
    view.show();
    EXPECT_EQ(pixelAtLamp(view, 1), LedStrip::lampColour({}));

    model.executeNow(0xA1F1); // свд_1 = к
    model.executeNow(0xAD53); // свд_13 = с,5
    model.executeNow(0x1A02); // реле_2 = вкл
    model.executeNow(0x912A); // А = 42
    model.executeNow(0xC143); // сохр_1 = свд_3
    ASSERT_TRUE(QTest::qWaitFor([&] { return labelText(view, "varA").rfind("42", 0) == 0; }, kWaitMs));
    EXPECT_EQ(pixelAtLamp(view, 1), LedStrip::lampColour({1, 15}));
    EXPECT_EQ(pixelAtLamp(view, 13), LedStrip::lampColour({3, 5}));
    EXPECT_NE(LedStrip::lampColour({3, 5}), LedStrip::lampColour({3, 15}));
    EXPECT_EQ(pixelAtLamp(view, 2), LedStrip::lampColour({}));
    EXPECT_EQ(labelText(view, "portBits1"), "10000000");
    EXPECT_EQ(labelText(view, "portBits5"), "00000010"); // LED 13 blue is bit 6
    EXPECT_EQ(labelText(view, "relay2"), "вкл");
    EXPECT_EQ(labelText(view, "relay1"), "выкл");
    EXPECT_EQ(labelText(view, "store1"), "свд_3 = ч,0");
    EXPECT_EQ(labelText(view, "store2"), "пусто");
}

TEST(BoardView, StaysResponsiveWhileTheProgramPauses) {
    BoardModel model;
    // свд_1 = к / пауза=255 / свд_1 = выкл
    ASSERT_TRUE(model.loadProgram(std::vector<std::uint16_t>{0xA1F1, 0x42FF, 0xA100}));
    BoardView view(model);
    BoardRunner runner(model);
    view.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.state().paused; }, kWaitMs));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return pixelAtLamp(view, 1) == LedStrip::lampColour({1, 15});
        },
        kWaitMs));
    EXPECT_NE(labelText(view, "program").find("пауза=255"), std::string::npos) << labelText(view, "program");
    sendKey(&view, QEvent::KeyPress, Qt::Key_1, false);
    EXPECT_TRUE(model.state().buttons[0]);
    EXPECT_TRUE(view.button(1)->isDown());
    EXPECT_TRUE(model.state().paused);
}

TEST(BoardView, RunnerBlinksTheLampInRealTime) {
    BoardModel model;
    // метка_1: свд_1 = з / пауза+ / свд_1 = выкл / пауза+ / переход метка_1
    ASSERT_TRUE(model.loadProgram(std::vector<std::uint16_t>{0xA1F2, 0x4101, 0xA100, 0x4101, 0xE000}));
    BoardView view(model);
    BoardRunner runner(model);
    view.show();
    const QColor on = LedStrip::lampColour({2, 15});
    const QColor off = LedStrip::lampColour({});
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return pixelAtLamp(view, 1) == on; }, kWaitMs));
        ASSERT_TRUE(QTest::qWaitFor([&] { return pixelAtLamp(view, 1) == off; }, kWaitMs));
    }
}

// The window is placed beside the editor at its minimum width where the
// screen is narrow; what it shows later must not widen it over the editor.
TEST(BoardView, LongTextsNeverWidenTheNarrowestWindow) {
    BoardModel empty;
    BoardView plain(empty);
    const int narrowest = plain.minimumSizeHint().width();
    EXPECT_LT(narrowest, plain.sizeHint().width());

    BoardModel model;
    // сохр_1 = свд / сохр_2 = свд / свд_1 = к / пауза=255 / если кн_1==вкл тогда переход метка_5
    const std::vector<std::uint16_t> program{0xC140, 0xC240, 0xA1F1, 0x42FF, 0x6301, 0xE005};
    ASSERT_TRUE(model.loadProgram(program));
    BoardView view(model);
    BoardRunner runner(model);
    view.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.state().paused; }, kWaitMs));
    view.refresh();
    EXPECT_LE(view.minimumSizeHint().width(), narrowest)
        << labelText(view, "program") << " / " << labelText(view, "store1");
}

} // namespace
} // namespace veltra
