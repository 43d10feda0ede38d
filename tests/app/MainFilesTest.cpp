#include <QDir>
#include <QTextBlock>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

#include "files/Cp1251.h"
#include "tests/app/MainFormFixture.h"

using namespace veltra;
using namespace veltra::test;

namespace {

const QString kFilter = QStringLiteral("Файлы программ Veltra(*.txt)");

} // namespace

TEST_F(MainFormTest, NewDiscardsTheTextWithoutAQuestion) {
    start();
    setEditorText(QStringLiteral("свд = ж,7\nпауза"));
    type(edit(), QStringLiteral("xyz"));
    form->program().image().count = 4;
    button("btSaveToFile")->setEnabled(false);

    button("btNew")->click();
    EXPECT_EQ(countedLines(*edit()->document()), QStringList{"//------- программа Veltra -------"});
    EXPECT_EQ(message(), "");
    EXPECT_EQ(form->program().image().count, 0);
    EXPECT_FALSE(button("btSaveToFile")->isEnabled()); // buttons stay as they were
    EXPECT_TRUE(dialogs.calls.empty());
    runOneSecond();
    EXPECT_EQ(message(), ""); // not reported as a change
}

TEST_F(MainFormTest, OpenLoadsTheFileAsItIsAndEnablesSaving) {
    start();
    QString path = dir.filePath("prog.txt");
    writeFile(path, "// \xef\xf0\xee\xe1\xe0\r\n\xf1\xe2\xe4 = \xe6,7\r\nbad line\r\n");
    button("btSaveToFile")->setEnabled(false);
    form->program().image().count = 4;
    dialogs.openAnswers.push_back(path);

    button("btLoadFromFile")->click();
    DialogCall call = dialogs.last(DialogCall::Open);
    EXPECT_EQ(call.setup.title, "Открыть файл с программой...");
    EXPECT_EQ(call.setup.filter, kFilter);
    EXPECT_EQ(call.setup.folder, dir.path());
    EXPECT_EQ(call.setup.defaultSuffix, "");
    EXPECT_EQ(countedLines(*edit()->document()),
              (QStringList{"// проба", "свд = ж,7", "bad line"})); // not checked on opening
    EXPECT_EQ(peer().files().openPath(), path);
    EXPECT_EQ(peer().files().savePath(), dir.filePath("0001.vel"));
    EXPECT_EQ(message(), "");
    EXPECT_TRUE(button("btSaveToFile")->isEnabled());
    EXPECT_TRUE(button("btPrintFile")->isEnabled());
    EXPECT_EQ(form->program().image().count, 0);
    runOneSecond();
    EXPECT_EQ(message(), "");
}

TEST_F(MainFormTest, AUtf8FileOpensReadableAndIsSavedAsWindows1251SayingSoOnce) {
    start();
    const QString path = dir.filePath("utf8.txt");
    writeFile(path, "\xef\xbb\xbf" + QStringLiteral("// проба\nсвд = ж,7\n").toUtf8());
    dialogs.openAnswers.push_back(path);
    button("btLoadFromFile")->click();
    EXPECT_EQ(countedLines(*edit()->document()), (QStringList{"// проба", "свд = ж,7"}));
    EXPECT_EQ(message(), "файл в UTF-8; сохранится в Windows-1251");

    dialogs.saveAnswers = {path, path};
    button("btSaveToFile")->click();
    EXPECT_EQ(readFile(path), "// \xef\xf0\xee\xe1\xe0\r\n\xf1\xe2\xe4 = \xe6,7\r\n");
    EXPECT_EQ(message(), "файл сохранён в кодировке Windows-1251");
    peer().btSaveToFileClick();
    EXPECT_EQ(message(), "");
}

TEST_F(MainFormTest, CancelledDialogsChangeNothing) {
    start();
    setEditorText(QStringLiteral("пауза"));
    button("btLoadFromFile")->click();
    button("btSaveToFile")->click();
    EXPECT_EQ(dialogs.count(DialogCall::Open), 1);
    EXPECT_EQ(dialogs.count(DialogCall::Save), 1);
    EXPECT_EQ(countedLines(*edit()->document()), QStringList{"пауза"});
    EXPECT_EQ(message(), "...");
    EXPECT_TRUE(button("btSaveToFile")->isEnabled());
}

TEST_F(MainFormTest, AFileThatCannotBeOpenedIsReportedAndTheTextStays) {
    start();
    setEditorText(QStringLiteral("свд = ж,7"));
    QString missing = dir.filePath("missing.txt");
    dialogs.openAnswers.push_back(missing);
    button("btLoadFromFile")->click();
    EXPECT_EQ(dialogs.last(DialogCall::Error).text, "Cannot open file " + missing);
    EXPECT_EQ(countedLines(*edit()->document()), QStringList{"свд = ж,7"});
    EXPECT_EQ(peer().files().openPath(), missing);
    runOneSecond();
    EXPECT_EQ(message(), "...");
}

TEST_F(MainFormTest, OpenReadsOnlyRegularFilesOfAtMost16MiBAndNeverWaitsForAWriter) {
    start();
    setEditorText(QStringLiteral("свд = ж,7"));
    // Each would hang the window or fill the memory if it were simply read.
    const QString fifo = dir.filePath("fifo.txt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = dir.filePath("zero.txt");
    ASSERT_TRUE(QFile::link("/dev/zero", zero));
    const QString huge = dir.filePath("huge.txt");
    QFile sparse(huge);
    ASSERT_TRUE(sparse.open(QIODevice::WriteOnly) && sparse.resize((qint64(16) << 20) + 1));
    sparse.close();
    const QString folder = dir.filePath("folder.txt");
    ASSERT_TRUE(QDir().mkdir(folder));
    for (const QString& path : {fifo, zero, huge, folder}) {
        dialogs.openAnswers.push_back(path);
        button("btLoadFromFile")->click();
        EXPECT_EQ(dialogs.last(DialogCall::Error).text, "Cannot open file " + path);
        EXPECT_EQ(countedLines(*edit()->document()), QStringList{"свд = ж,7"}) << path.toStdString();
    }
    // A name is shown as one line of visible text.
    const QString odd = dir.filePath("a\nb\x1b[2J.txt");
    dialogs.openAnswers.push_back(odd);
    button("btLoadFromFile")->click();
    EXPECT_EQ(dialogs.last(DialogCall::Error).text, "Cannot open file " + dir.filePath("a\\nb\\e[2J.txt"));
}

TEST_F(MainFormTest, SaveWritesCrLfLinesAndDisablesItselfUntilTheNextChange) {
    start();
    setEditorText(QStringLiteral("метка_1:\nсвд = ж,7\n"));
    form->program().image().count = 2;
    QString path = dir.filePath("prog.txt");
    dialogs.saveAnswers.push_back(path);

    button("btSaveToFile")->click();
    DialogCall call = dialogs.last(DialogCall::Save);
    EXPECT_EQ(call.setup.title, "Сохранить программу...");
    EXPECT_EQ(call.setup.filter, kFilter);
    EXPECT_EQ(call.setup.folder, dir.path());
    EXPECT_EQ(call.setup.defaultSuffix, "txt");
    EXPECT_EQ(readFile(path), "\xec\xe5\xf2\xea\xe0_1:\r\n\xf1\xe2\xe4 = \xe6,7\r\n");
    EXPECT_EQ(peer().files().savePath(), path);
    EXPECT_EQ(message(), "");
    EXPECT_FALSE(button("btSaveToFile")->isEnabled());
    EXPECT_TRUE(button("btPrintFile")->isEnabled());
    EXPECT_EQ(form->program().image().count, 2); // saving leaves the compiled program alone

    edit()->moveCursor(QTextCursor::End);
    type(edit(), QStringLiteral("п"));
    runOneSecond();
    EXPECT_TRUE(button("btSaveToFile")->isEnabled());
    EXPECT_EQ(message(), "программа изменена...");
    EXPECT_EQ(messageColour(), QColor(0, 0, 255));
}

TEST_F(MainFormTest, AnEditRightAfterASaveCanBeSavedAtOnceByTheButtonAndByCtrlS) {
    start();
    timer()->stop(); // all of it within the second before the change detection
    setEditorText(QStringLiteral("пауза"));
    const QString path = dir.filePath("prog.txt");
    dialogs.saveAnswers = {path, path, path};
    button("btSaveToFile")->click();
    ASSERT_FALSE(button("btSaveToFile")->isEnabled());

    edit()->moveCursor(QTextCursor::End);
    type(edit(), QStringLiteral("1"));
    button("btSaveToFile")->click();
    EXPECT_EQ(readFile(path), QByteArray("\xef\xe0\xf3\xe7\xe0"
                                         "1\r\n"));
    type(edit(), QStringLiteral("0"));
    QTest::keyClick(edit(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(readFile(path), QByteArray("\xef\xe0\xf3\xe7\xe0"
                                         "10\r\n"));
    EXPECT_EQ(dialogs.count(DialogCall::Save), 3);
}

TEST_F(MainFormTest, ANameWithoutExtensionGetsTxt) {
    start();
    setEditorText(QStringLiteral("пауза"));
    const std::pair<QString, QString> cases[] = {
        {dir.filePath("first"), dir.filePath("first.txt")},
        {dir.filePath("second.vel"), dir.filePath("second.vel")},
    };
    for (const auto& [typed, saved] : cases) {
        dialogs.saveAnswers.push_back(typed);
        peer().btSaveToFileClick(); // the button is off after the first save
        EXPECT_EQ(peer().files().savePath(), saved);
        EXPECT_EQ(readFile(saved), "\xef\xe0\xf3\xe7\xe0\r\n");
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("first")));
}

TEST_F(MainFormTest, OpenAndSaveDialogsRememberTheirFoldersIndependently) {
    start();
    QDir(dir.path()).mkdir("in");
    QDir(dir.path()).mkdir("out");
    writeFile(dir.filePath("in/a.txt"), "x\r\n");
    dialogs.openAnswers.push_back(dir.filePath("in/a.txt"));
    button("btLoadFromFile")->click();
    dialogs.saveAnswers.push_back(dir.filePath("out/b.txt"));
    button("btSaveToFile")->click();
    button("btLoadFromFile")->click();
    peer().btSaveToFileClick(); // the button is off after the first save

    std::vector<QString> folders;
    for (const DialogCall& call : dialogs.calls) {
        if (call.kind == DialogCall::Open || call.kind == DialogCall::Save)
            folders.push_back(call.setup.folder);
    }
    EXPECT_EQ(folders,
              (std::vector<QString>{dir.path(), dir.path(), dir.filePath("in"), dir.filePath("out")}));
}

TEST_F(MainFormTest, EveryWindows1251ByteButNulCrLfSurvivesOpenAndSave) {
    start();
    QByteArray all;
    for (int b = 1; b < 256; ++b) {
        if (b == '\r' || b == '\n') continue;
        all += char(b);
        if (b % 64 == 0) all += "\r\n"; // a few lines, not one
    }
    all += "\r\n";
    QString in = dir.filePath("all.txt");
    QString out = dir.filePath("copy.txt");
    writeFile(in, all);
    dialogs.openAnswers.push_back(in);
    dialogs.saveAnswers.push_back(out);
    button("btLoadFromFile")->click();
    button("btSaveToFile")->click();
    EXPECT_EQ(dialogs.count(DialogCall::Error), 0);
    EXPECT_EQ(readFile(out), all);
}

TEST_F(MainFormTest, AFailedSaveLeavesTheOldFileAndTheButtons) {
    start();
    QString path = dir.filePath("prog.txt");
    const QByteArray before = "old\r\n";
    writeFile(path, before);
    setEditorText(QString(40, QChar(u'ж')).append('\n').repeated(10));
    dialogs.saveAnswers.push_back(path);

    // The disk "fills up" after 64 bytes.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit tight = old;
    tight.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &tight);
    button("btSaveToFile")->click();
    setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_EQ(dialogs.last(DialogCall::Error).text, "Cannot create file " + path);
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(peer().files().savePath(), path);
    EXPECT_TRUE(button("btSaveToFile")->isEnabled());
    EXPECT_EQ(message(), "...");
}

TEST_F(MainFormTest, ATextWindows1251CannotHoldIsNotSaved) {
    start();
    setEditorText(QStringLiteral("свд = ж,7\nпауза ♥ 5\nпауза Ω\n"));
    button("btSaveToFile")->click();
    EXPECT_EQ(dialogs.count(DialogCall::Save), 0);
    EXPECT_EQ(dialogs.count(DialogCall::Beep), 1);
    DialogCall told = dialogs.last(DialogCall::Message);
    EXPECT_TRUE(told.text.contains(QStringLiteral("Строка 2"))) << told.text.toStdString();
    EXPECT_TRUE(told.text.contains(QStringLiteral("♥")));
    EXPECT_TRUE(button("btSaveToFile")->isEnabled());
    EXPECT_EQ(caretLine(*edit()), 2);
    EXPECT_EQ(edit()->textCursor().positionInBlock(), 6);
    EXPECT_EQ(QDir(dir.path()).entryList({"*.txt", "*.vel"}, QDir::Files), QStringList());
}

TEST_F(MainFormTest, FileButtonsDoNothingInTheConsoleView) {
    start();
    setEditorText(QStringLiteral("пауза"));
    button("btSaveToFile")->setEnabled(true);
    QTest::keyClick(edit(), Qt::Key_F10);
    for (QPushButton* button :
         {button("btNew"), button("btLoadFromFile"), button("btSaveToFile"), button("btPrintFile")}) {
        button->click();
    }
    EXPECT_TRUE(dialogs.calls.empty());
    EXPECT_EQ(countedLines(*edit()->document()), QStringList{"пауза"});
    EXPECT_EQ(message(), "...");
}
