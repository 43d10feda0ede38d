// The About window: opened fresh and modal from the help window's link, its
// pictures, its place, and closing by a click on its background.

#include "help/Pictures.h"
#include "help/TFormAbout.h"
#include "help/THelpForm.h"
#include "tests/help/Wait.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QImageReader>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace veltra {
namespace {

TEST(HelpAbout, LinkOpensAFreshModalWindowEachTime) {
    QWidget mainWindow;
    mainWindow.show();
    THelpForm help(&mainWindow);
    help.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&help));
    auto* link = help.findChild<QLabel*>(QStringLiteral("Label1"));
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);

    QList<QPointer<TFormAbout>> opened;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        bool closedByWatchdog = false;
        QDeadlineTimer deadline(10000);
        // The link runs a modal loop; this timer ticks inside it, looks at the
        // modal window and closes it. The deadline keeps a missing window
        // from hanging the test.
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            auto* about = qobject_cast<TFormAbout*>(modal);
            if (about != nullptr && about->isVisible()) {
                poll.stop();
                EXPECT_FALSE(about->property("seen").toBool()) << "a window left over from the last click";
                about->setProperty("seen", true);
                EXPECT_EQ(about->windowModality(), Qt::ApplicationModal);
                EXPECT_EQ(about->windowTitle(), QStringLiteral("О программе..."));
                EXPECT_TRUE(help.isVisible()) << "the help window stays as it was";
                opened.append(about);
                about->close();
            } else if (deadline.hasExpired()) {
                poll.stop();
                closedByWatchdog = true;
                if (modal != nullptr) modal->close();
            }
        });
        poll.start();
        QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
        poll.stop();
        ASSERT_FALSE(closedByWatchdog) << "no About window appeared";
    }
    ASSERT_EQ(opened.size(), 2);
    EXPECT_TRUE(opened[0].isNull()) << "destroyed once closed";
    EXPECT_TRUE(opened[1].isNull()) << "destroyed once closed";
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(HelpAbout, PicturesAreJpegResourcesOfTheirBoxSize) {
    TFormAbout about;
    struct Picture {
        const char* control;
        const char* path;
        QRect box;
    };
    const Picture pictures[] = {
        {"Image1", TFormAbout::kBannerPath, QRect(-3, 0, 492, 57)},
        {"Image2", TFormAbout::kLogoPath, QRect(288, 171, 199, 103)},
    };
    for (const Picture& p : pictures) {
        SCOPED_TRACE(p.control);
        QImageReader reader(QString::fromLatin1(p.path));
        EXPECT_EQ(reader.format(), QByteArray("jpeg"));
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
        EXPECT_EQ(image.size(), p.box.size());
        auto* label = about.findChild<QLabel*>(QString::fromLatin1(p.control));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->geometry(), p.box);
        EXPECT_FALSE(label->pixmap().isNull());
        EXPECT_EQ(label->pixmap().size(), p.box.size());
    }
}

TEST(HelpAbout, UnreadablePictureGivesAnEmptyPlaceNotACrash) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString broken = dir.filePath(QStringLiteral("broken.jpg"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\xFF\xD8\xFF\xE0 this is not the rest of a JPEG file");
    file.close();
    EXPECT_TRUE(loadPicture(broken).isNull());
    EXPECT_TRUE(loadPicture(dir.filePath(QStringLiteral("missing.jpg"))).isNull());
}

TEST(HelpAbout, WhiteFixedWindowCentredOnTheDesktop) {
    TFormAbout about;
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    EXPECT_EQ(about.size(), QSize(490, 281));
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    EXPECT_EQ(about.palette().color(QPalette::Window), QColor(255, 255, 255));
    const QPoint desktopCentre = about.screen()->availableGeometry().center();
    const QPoint centre = about.frameGeometry().center();
    EXPECT_LE(std::abs(centre.x() - desktopCentre.x()), 1);
    EXPECT_LE(std::abs(centre.y() - desktopCentre.y()), 1);
}

TEST(HelpAbout, NameLabelWrapsTheProductNameOntoASecondLine) {
    TFormAbout about;
    auto* name = about.findChild<QLabel*>(QStringLiteral("Label1"));
    ASSERT_NE(name, nullptr);
    const QString text = name->text();
    EXPECT_EQ(text, QStringLiteral("Управляющая программа              \"  Veltra LED  \""));
    EXPECT_TRUE(name->wordWrap());
    EXPECT_EQ(name->width(), 216);
    // Lay the text out as the label does and look where the break falls.
    const QFontMetrics metrics(name->font());
    const QRect oneLine = metrics.boundingRect(QRect(0, 0, 216, 1000), Qt::TextWordWrap,
                                               QStringLiteral("Управляющая программа"));
    const QRect both = metrics.boundingRect(QRect(0, 0, 216, 1000), Qt::TextWordWrap, text);
    EXPECT_EQ(both.height(), oneLine.height() + metrics.lineSpacing()) << "exactly two lines";
    EXPECT_GT(metrics.horizontalAdvance(QStringLiteral("Управляющая программа \"")), 216)
        << "the quote cannot join the first line";
}

TEST(HelpAbout, ClickOnTheBackgroundClosesOnClickOnALabelDoesNot) {
    struct ClickCase {
        const char* where;
        QPoint point;
        bool closes;
    };
    const ClickCase cases[] = {
        {"background between the rule and the contacts", QPoint(250, 160), true},
        {"background at the lower left", QPoint(5, 275), true},
        {"program name", QPoint(60, 75), false},
        {"logo", QPoint(380, 220), false},
    };
    for (const ClickCase& c : cases) {
        SCOPED_TRACE(c.where);
        TFormAbout about;
        about.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
        EXPECT_EQ(about.childAt(c.point) == nullptr, c.closes) << "the point is not where the case says";
        QTest::mouseClick(&about, Qt::LeftButton, {}, c.point);
        EXPECT_EQ(about.isVisible(), !c.closes);
        if (c.closes) {
            EXPECT_EQ(about.result(), QDialog::Rejected);
        }
    }
}

} // namespace
} // namespace veltra
