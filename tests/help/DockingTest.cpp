// Both help windows stand one pixel to the right of the main window, top
// edges level, and follow it once a second, shown or hidden.

#include "help/THelpConsolForm.h"
#include "help/THelpForm.h"
#include "tests/help/Wait.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace veltra {
namespace {

QPoint besideOf(const QWidget& mainWindow) {
    const QRect outer = mainWindow.frameGeometry();
    return {outer.left() + outer.width() + 1, outer.top()};
}

struct DockCase {
    const char* name;
    std::function<std::unique_ptr<QWidget>(QWidget*)> make;
    bool shown;
};

const DockCase kCases[] = {
    {"language help, hidden", [](QWidget* m) { return std::make_unique<THelpForm>(m); }, false},
    {"language help, shown", [](QWidget* m) { return std::make_unique<THelpForm>(m); }, true},
    {"console help, hidden", [](QWidget* m) { return std::make_unique<THelpConsolForm>(m); }, false},
    {"console help, shown", [](QWidget* m) { return std::make_unique<THelpConsolForm>(m); }, true},
};

TEST(HelpDocking, FollowsTheMainWindowWithinASecond) {
    for (const DockCase& c : kCases) {
        SCOPED_TRACE(c.name);
        QWidget mainWindow;
        mainWindow.setGeometry(30, 40, 642, 607);
        mainWindow.show();
        std::unique_ptr<QWidget> help = c.make(&mainWindow);
        const auto* timer = help->findChild<QTimer*>(QStringLiteral("Timer1"));
        ASSERT_NE(timer, nullptr);
        EXPECT_EQ(timer->interval(), 1000);
        EXPECT_TRUE(timer->isActive()) << "docking runs from creation";
        if (c.shown) help->show();

        mainWindow.move(75, 12);
        const QPoint target = besideOf(mainWindow);
        ASSERT_NE(help->pos(), target);
        // Timer1 alone brings it there; allow it a few ticks.
        EXPECT_TRUE(test::waitUntil([&] { return help->pos() == target; }, 4000))
            << "at " << help->pos().x() << "," << help->pos().y() << " instead of " << target.x() << ","
            << target.y();
        EXPECT_FALSE(help->frameGeometry().intersects(mainWindow.frameGeometry()));
    }
}

TEST(HelpDocking, ShowingPlacesTheWindowAtOnce) {
    QWidget mainWindow;
    mainWindow.setGeometry(100, 50, 642, 607);
    mainWindow.show();
    THelpForm help(&mainWindow);
    THelpConsolForm console(&mainWindow);
    help.show();
    console.show();
    EXPECT_EQ(help.pos(), besideOf(mainWindow));
    EXPECT_EQ(console.pos(), besideOf(mainWindow));
}

TEST(HelpDocking, OutlivingTheMainWindowKeepsThePlace) {
    auto mainWindow = std::make_unique<QWidget>();
    mainWindow->setGeometry(10, 20, 642, 607);
    THelpForm help(mainWindow.get());
    help.Timer1Timer();
    const QPoint docked = help.pos();
    mainWindow.reset();
    help.Timer1Timer();
    EXPECT_EQ(help.pos(), docked);

    THelpConsolForm console(nullptr);
    console.move(5, 6);
    console.Timer1Timer();
    EXPECT_EQ(console.pos(), QPoint(5, 6));
}

} // namespace
} // namespace veltra
