// Every text of the help and About windows fits the box laid out for it in
// the fonts this machine really uses (the free substitutes on Linux), and no
// two boxes overlap.

#include "help/Fonts.h"
#include "help/TFormAbout.h"
#include "help/THelpForm.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>

#include <gtest/gtest.h>

#include <memory>

namespace veltra {
namespace {

std::string describe(const QLabel* label) {
    return label->objectName().toStdString() + " in " + QFontInfo(label->font()).family().toStdString();
}

void expectLabelsFit(QWidget& window) {
    const QList<QLabel*> labels = window.findChildren<QLabel*>();
    ASSERT_FALSE(labels.isEmpty());
    for (const QLabel* label : labels) {
        if (label->text().isEmpty()) continue; // pictures and the empty spacer
        const QRect box = label->contentsRect();
        const QFontMetrics metrics(label->font());
        if (label->wordWrap()) {
            const QRect needed = metrics.boundingRect(box, Qt::TextWordWrap, label->text());
            EXPECT_LE(needed.width(), box.width()) << describe(label);
            EXPECT_LE(needed.height(), box.height()) << describe(label);
        } else {
            EXPECT_LE(metrics.horizontalAdvance(label->text()), box.width()) << describe(label);
            EXPECT_LE(metrics.height(), box.height()) << describe(label);
        }
        const QWidget* parent = label->parentWidget();
        EXPECT_TRUE(parent->contentsRect().contains(label->geometry()))
            << describe(label) << " leaves its parent";
    }
    // Texts and pictures sharing a parent must not cover one another.
    for (qsizetype i = 0; i < labels.size(); ++i)
        for (qsizetype j = i + 1; j < labels.size(); ++j) {
            const QLabel* a = labels[i];
            const QLabel* b = labels[j];
            if (a->parentWidget() != b->parentWidget()) continue;
            if (a->text().isEmpty() && a->pixmap().isNull()) continue;
            if (b->text().isEmpty() && b->pixmap().isNull()) continue;
            EXPECT_FALSE(a->geometry().intersects(b->geometry()))
                << describe(a) << " overlaps " << describe(b);
        }
}

TEST(HelpTextFit, LanguageHelpLabels) {
    QWidget mainWindow;
    THelpForm form(&mainWindow);
    expectLabelsFit(form);
}

TEST(HelpTextFit, HighlightedTopicLabelsStillFit) {
    QWidget mainWindow;
    THelpForm form(&mainWindow);
    for (QLabel* label : form.findChildren<QLabel*>())
        if (label->objectName() != QStringLiteral("Label1")) form.Label2MouseMove(label);
    expectLabelsFit(form);
}

TEST(HelpTextFit, AboutLabels) {
    TFormAbout about;
    expectLabelsFit(about);
}

TEST(HelpTextFit, WindowsFamiliesResolveToWidthCompatibleFonts) {
    // The boxes were laid out for these widths; a substitute that is much
    // wider or narrower would cut texts or leave them adrift.
    struct Family {
        const char* family;
        int pixelSize;
        const char* sample;
        int designWidth;
    };
    const Family families[] = {
        {"Arial", 12, "ветвление ( метка, переход, возврат )", 210},
        {"Courier New", 13, "Версия 1.2", 78},
        {"Times New Roman", 19, "Управляющая программа", 205},
    };
    for (const Family& f : families) {
        SCOPED_TRACE(f.family);
        const QFont font = designFont(QString::fromLatin1(f.family), f.pixelSize);
        EXPECT_EQ(font.pixelSize(), f.pixelSize);
        const int width = QFontMetrics(font).horizontalAdvance(QString::fromUtf8(f.sample));
        EXPECT_NEAR(width, f.designWidth, f.designWidth / 20) << QFontInfo(font).family().toStdString();
    }
    EXPECT_TRUE(designFont(QStringLiteral("Arial"), 15, true).bold());
}

} // namespace
} // namespace veltra
