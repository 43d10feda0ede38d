// The program's own dialogs as the user sees them: the caption of boxes that
// have none of their own, and file dialogs that never read a file to list it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include "app/shell/AppTitle.h"
#include "app/shell/FileDialogs.h"
#include "app/shell/QtUserDialogs.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/WaitFor.h"

using namespace veltra;
using namespace veltra::test;

namespace {

// The title of the next modal window that appears, which is then closed.
QString titleOfNextBox(const std::function<void()>& show) {
    QString title;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            title = box->windowTitle();
            box->close();
        }
    });
    poll.start(10);
    show();
    return title;
}

TEST(QtUserDialogs, BoxesWithoutACaptionOfTheirOwnCarryTheApplicationsTitle) {
    QtUserDialogs dialogs;
    EXPECT_EQ(titleOfNextBox([&] { dialogs.message(nullptr, "?", QString(), BoxIcon::Stop); }), kAppTitle);
    EXPECT_EQ(titleOfNextBox([&] { dialogs.showError("Cannot open file x"); }), kAppTitle);
    EXPECT_EQ(titleOfNextBox([&] { dialogs.message(nullptr, "?", " Внимание: ", BoxIcon::Exclamation); }),
              " Внимание: ");
}

TEST(FileDialogs, ListedFilesAreKnownByTheirNamesNotTheirContents) {
    QTemporaryDir dir;
    const QString disguised = dir.filePath("report");
    QFile file(disguised);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("%PDF-1.4\n%\xe2\xe3\xcf\xd3\n1 0 obj\n<<>>\nendobj\n");
    file.close();

    // Qt's own provider looks inside; the program's must not.
    const QString sniffed = QFileIconProvider().type(QFileInfo(disguised));
    ASSERT_TRUE(sniffed.contains("PDF")) << sniffed.toStdString();
    NameOnlyIconProvider provider;
    EXPECT_FALSE(provider.type(QFileInfo(disguised)).contains("PDF"));
    // A name that tells is still told.
    const QString named = dir.filePath("p.txt");
    QFile(named).open(QIODevice::WriteOnly);
    EXPECT_EQ(provider.type(QFileInfo(named)), QFileIconProvider().type(QFileInfo(named)));
}

TEST(FileDialogs, ASaveDialogProposesTheNameItIsGiven) {
    QTemporaryDir dir;
    ProgramFileDialog dialog(nullptr, {"?", dir.path(), "Текст консоли(*.txt)", "txt", "консоль_1.txt"},
                             QFileDialog::AcceptSave);
    EXPECT_EQ(dialog.selectedFiles().value(0), dir.filePath("консоль_1.txt"));
}

TEST(FileDialogs, TheNextDialogNeverStartsInASystemTree) {
    const QString fallback = QStringLiteral("/opt/veltra/");
    const struct {
        const char* lastFile;
        const char* startFolder;
    } cases[] = {
        {"/home/u/prog/a.txt", "/home/u/prog"}, {"/procedures/a.txt", "/procedures"},
        {"/proc/a.txt", "/opt/veltra"},         {"/proc/self/x/a.txt", "/opt/veltra"},
        {"/sys/kernel/a.txt", "/opt/veltra"},   {"/dev/a.txt", "/opt/veltra"},
        {"/dev/fd/a.txt", "/opt/veltra"}, // a link into /proc
    };
    for (const auto& c : cases)
        EXPECT_EQ(dialogStartFolder(QString::fromUtf8(c.lastFile), fallback),
                  QString::fromUtf8(c.startFolder))
            << c.lastFile;
}

} // namespace
