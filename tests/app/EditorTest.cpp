// The editor's helpers in the real main window: live marks, the jump to the
// error, the shortcuts, undo after New and Open, the recovery copy, long
// texts going in and out.

#include <QHelpEvent>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QProgressDialog>
#include <QSpinBox>
#include <QTextBlock>
#include <QToolTip>
#include <functional>

#include "app/editor/FindBar.h"
#include "app/editor/LineGutter.h"
#include "app/editor/ProgramEdit.h"
#include "app/editor/RecoveryCopy.h"
#include "app/editor/TextLoader.h"
#include "app/shell/FittedLabel.h"
#include "files/Cp1251.h"
#include "compiler/ProgramCheck.h"
#include "tests/app/MainFormFixture.h"
#include "tests/support/ScopedFileSizeLimit.h"
#include "tests/support/ScopedUnprivilegedFiles.h"

#include <sys/stat.h>
#include <unistd.h>

using namespace veltra;
using namespace veltra::test;

namespace {

const QString kNewProgram = QStringLiteral("//------- программа Veltra -------");

class EditorTest : public MainFormTest {
  protected:
    QTemporaryDir state;

    void SetUp() override {
        MainFormTest::SetUp();
        // Each test has a state folder of its own for the recovery copy.
        qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    }

    LineGutter& gutter() const { return static_cast<ProgramEdit*>(edit())->gutter(); }
    // This editor's recovery copy.
    QString copyPath() const { return form->findChild<RecoveryCopy*>()->path(); }
    QString text() const { return countedLines(*edit()->document()).join('\n'); }
    int caret() const { return caretLine(*edit()); }

    void goToLine(int line) {
        edit()->setTextCursor(QTextCursor(edit()->document()->findBlockByNumber(line - 1)));
    }
};

TEST_F(EditorTest, LiveMarksAreTheCheckErrorsAndLeaveTheWindowsStateAlone) {
    start();
    setEditorText(QStringLiteral("пауза\nпауза 5\nпереход метка_2\nсвд = х\n"));
    form->program().image().count = 3;
    const int length = peer().changes().textLength();

    // A change brings the marks a moment later.
    edit()->moveCursor(QTextCursor::End);
    type(edit(), QStringLiteral("пауза"));
    ASSERT_TRUE(waitFor([&] { return gutter().marks().size() == 3; }, 5000));
    std::map<int, QString> expected;
    for (const CheckReport& error : findProgramErrors(sourceLines(*edit()->document())))
        expected.emplace(error.line, QString::fromStdString(error.message));
    EXPECT_EQ(gutter().marks(), expected);
    EXPECT_EQ(gutter().marks().at(2), "[стр.  2] ОШИБКА: параметр команды");
    EXPECT_EQ(message(), "...");
    EXPECT_EQ(form->program().image().count, 3);
    EXPECT_EQ(peer().changes().textLength(), length);
    EXPECT_EQ(peer().changes().lastTextLength(), length);

    // The window's own check reports the first mark.
    peer().checkProgram();
    EXPECT_EQ(message(), gutter().marks().begin()->second);

    // The gutter lives inside the editor's own rectangle.
    EXPECT_EQ(edit()->geometry(), QRect(11, 5, 484, 539));
    EXPECT_TRUE(edit()->rect().contains(gutter().geometry()));

    // A mark's tooltip is its message.
    const ShownLine second = static_cast<ProgramEdit*>(edit())->shownLines().at(1);
    QHelpEvent hover(QEvent::ToolTip, QPoint(4, second.top + 2),
                     gutter().mapToGlobal(QPoint(4, second.top + 2)));
    QApplication::sendEvent(&gutter(), &hover);
    EXPECT_EQ(QToolTip::text(), "[стр.  2] ОШИБКА: параметр команды");
}

TEST_F(EditorTest, F4AndAClickOnTheMessageLineGoToTheFailingLine) {
    start();
    setEditorText(QStringLiteral("пауза\nпауза\nпереход метка_3\nпауза\n"));
    peer().checkProgram(); // the missing label is reported at its jump, line 3
    goToLine(1);
    QTest::keyClick(edit(), Qt::Key_F4);
    EXPECT_EQ(caret(), 3);
    goToLine(1);
    QTest::mouseClick(label("stError"), Qt::LeftButton);
    EXPECT_EQ(caret(), 3);
    EXPECT_EQ(focused(), edit());

    // Once the text changed, the check's line is stale: the first live mark counts.
    goToLine(2);
    type(edit(), QStringLiteral("x"));
    ASSERT_TRUE(waitFor([&] { return gutter().firstMarkedLine() == 2; }, 5000));
    goToLine(4);
    QTest::keyClick(edit(), Qt::Key_F4);
    EXPECT_EQ(caret(), 2);

    // Not from the console view.
    goToLine(4);
    QTest::keyClick(edit(), Qt::Key_F10);
    QTest::keyClick(editConsol(), Qt::Key_F4);
    QTest::mouseClick(label("stError"), Qt::LeftButton);
    EXPECT_EQ(caret(), 4);
}

TEST_F(EditorTest, ShortcutsActAsTheButtonsInTheEditorViewOnly) {
    start();
    QString saved = dir.filePath("saved.txt");
    struct Case {
        QKeyCombination keys;
        std::function<bool()> acted;
    };
    const Case cases[] = {
        {Qt::CTRL | Qt::Key_N, [&] { return text() == kNewProgram; }},
        {Qt::CTRL | Qt::Key_O, [&] { return dialogs.count(DialogCall::Open) == 1; }},
        // The console's own Ctrl+S saves its text, under another title.
        {Qt::CTRL | Qt::Key_S,
         [&] { return dialogs.last(DialogCall::Save).setup.title == "Сохранить программу..."; }},
        {Qt::CTRL | Qt::Key_P, [&] { return dialogs.count(DialogCall::Modal) == 1; }},
        {Qt::CTRL | Qt::Key_F, [&] { return form->findChild<FindBar*>()->isVisible(); }},
        {Qt::CTRL | Qt::Key_H,
         [&] { return form->findChild<QLineEdit*>(QStringLiteral("replaceText"))->isVisible(); }},
        {Qt::CTRL | Qt::Key_G,
         [&] { return form->findChild<QSpinBox*>(QStringLiteral("lineNumber"))->isVisible(); }},
    };
    bool previewed = false;
    dialogs.modal = [&](QDialog& dialog) {
        previewed = qobject_cast<QPrintPreviewDialog*>(&dialog) != nullptr;
        return int(QDialog::Rejected);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QKeySequence(c.keys).toString().toStdString());
        // Console view first: nothing happens.
        setEditorText(QStringLiteral("пауза"));
        dialogs.calls.clear();
        QTest::keyClick(edit(), Qt::Key_F10);
        QTest::keyClick(editConsol(), c.keys.key(), c.keys.keyboardModifiers());
        QTest::keyClick(editConsol(), Qt::Key_F10);
        EXPECT_FALSE(c.acted());
        QTest::keyClick(edit(), c.keys.key(), c.keys.keyboardModifiers());
        EXPECT_TRUE(c.acted());
        form->findChild<FindBar*>()->close();
    }
    EXPECT_TRUE(previewed); // printing goes through Qt's preview
}

TEST_F(EditorTest, UndoAfterNewOrOpenBringsThePreviousTextBack) {
    start();
    const QString path = dir.filePath("prog.txt");
    writeFile(path, "\xef\xe0\xf3\xe7\xe0\r\n"); // "пауза"
    setEditorText(QStringLiteral("свд = ж,7"));
    type(edit(), QStringLiteral("x"));
    const QString typed = text();

    button("btNew")->click();
    ASSERT_EQ(text(), kNewProgram);
    QTest::keyClick(edit(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), typed);
    runOneSecond();
    EXPECT_EQ(message(), "программа изменена..."); // the old text counts as a change again

    dialogs.openAnswers.push_back(path);
    button("btLoadFromFile")->click();
    ASSERT_EQ(text(), "пауза");
    QTest::keyClick(edit(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), typed);
}

TEST_F(EditorTest, TheRecoveryCopySurvivesAKillAndIsOfferedOnceAsAChange) {
    start();
    type(edit(), QStringLiteral("свд = ж,7"));
    const QString typed = wholeText(*edit()->document());
    // Written while the window runs: what a kill leaves behind.
    const QString killed = copyPath();
    ASSERT_TRUE(waitFor([&] { return readFile(killed) == typed.toUtf8(); }, 5000));
    form.reset(); // no closing at all, as after a kill

    start();
    form->offerRecovery();
    ASSERT_EQ(dialogs.count(DialogCall::Question), 1);
    EXPECT_TRUE(dialogs.last(DialogCall::Question).text.contains("Восстановить"));
    EXPECT_EQ(wholeText(*edit()->document()), typed);
    EXPECT_EQ(form->program().image().count, 0);
    runOneSecond();
    EXPECT_EQ(message(), "программа изменена..."); // to be checked before an upload
    EXPECT_FALSE(QFile::exists(killed));           // now this editor's own copy
    EXPECT_EQ(readFile(copyPath()), typed.toUtf8());
    form->offerRecovery();
    EXPECT_EQ(dialogs.count(DialogCall::Question), 1);
}

TEST_F(EditorTest, ARestoredLeftoverStaysUntilThisEditorsOwnCopyHoldsItsText) {
    // A leftover of an editor that was killed; since this one started, the
    // disk takes no file larger than a few bytes.
    QDir(state.path()).mkpath("veltra");
    const QString leftover = state.filePath("veltra/recovery-00000000000000ab.txt");
    const QByteArray text = QByteArray("свд = ж,7\n").repeated(100);
    writeFile(leftover, text);
    start();
    {
        ScopedFileSizeLimit full(64);
        form->offerRecovery();
    }
    EXPECT_EQ(wholeText(*edit()->document()), QString::fromUtf8(text));
    EXPECT_EQ(readFile(leftover), text); // the text's only copy on disk
    EXPECT_TRUE(message().startsWith("копия восстановленного текста не записана")) << message().toStdString();

    // Room again: once this editor's copy holds the text, the leftover goes.
    form->close();
    EXPECT_EQ(readFile(copyPath()), text);
    EXPECT_FALSE(QFile::exists(leftover));
}

TEST_F(EditorTest, TheCopyIsKeptForUnsavedTextAndGoesWhenAFileHoldsTheText) {
    start();
    type(edit(), QStringLiteral("пауза"));
    const QString closed = copyPath();
    form->close(); // at once: the copy is written while closing
    EXPECT_EQ(readFile(closed), "пауза\n");

    start();
    dialogs.questionAnswers.push_back(false);
    form->offerRecovery();
    EXPECT_EQ(text(), "");
    EXPECT_FALSE(QFile::exists(closed));
    EXPECT_EQ(readFile(state.filePath("veltra/recovery-declined.txt")), "пауза\n"); // kept aside

    type(edit(), QStringLiteral("пауза"));
    ASSERT_TRUE(waitFor([&] { return QFile::exists(copyPath()); }, 5000));
    dialogs.saveAnswers.push_back(dir.filePath("prog.txt"));
    button("btSaveToFile")->click();
    EXPECT_FALSE(QFile::exists(copyPath()));
    form->close();
    EXPECT_FALSE(QFile::exists(copyPath()));
}

TEST_F(EditorTest, TheFindFieldKeepsItsWidthWhateverItsNoteSays) {
    start();
    setEditorText(QStringLiteral("пауза\n").repeated(1200));
    QTest::keyClick(edit(), Qt::Key_H, Qt::ControlModifier);
    auto* find = form->findChild<QLineEdit*>(QStringLiteral("findText"));
    auto* note = control<FittedLabel>(*form, "findNote");
    QApplication::processEvents();
    const int width = find->width();
    type(find, QStringLiteral("пауза"));
    EXPECT_EQ(form->findChild<FindBar*>()->replaceAll(), 1200);
    QApplication::processEvents();
    EXPECT_EQ(find->width(), width);
    EXPECT_EQ(note->shownText(), QStringLiteral("заменено: 1200")); // whole
    QTest::keyClick(find, Qt::Key_Return);                          // nothing left to find
    QApplication::processEvents();
    EXPECT_EQ(find->width(), width);
    EXPECT_EQ(note->shownText(), QStringLiteral("не найдено"));
}

TEST_F(EditorTest, ReplaceAllIsOneUndoStepAndGoToLineMovesTheCaret) {
    start();
    setEditorText(QStringLiteral("пауза\nсвд = ж\nпауза+\n"));
    QTest::keyClick(edit(), Qt::Key_H, Qt::ControlModifier);
    auto* bar = form->findChild<FindBar*>();
    auto* find = form->findChild<QLineEdit*>(QStringLiteral("findText"));
    type(find, QStringLiteral("пауза"));
    QTest::keyClick(find, Qt::Key_Return); // finds; the editor gets no line break
    EXPECT_EQ(edit()->textCursor().selectedText(), "пауза");
    EXPECT_EQ(text(), "пауза\nсвд = ж\nпауза+");
    QTest::keyClick(find, Qt::Key_Tab); // to the next field, no tab over the found word
    EXPECT_EQ(text(), "пауза\nсвд = ж\nпауза+");
    EXPECT_EQ(focused(), form->findChild<QLineEdit*>(QStringLiteral("replaceText")));
    type(focused(), QStringLiteral("пауза=2"));
    EXPECT_EQ(bar->replaceAll(), 2);
    EXPECT_EQ(text(), "пауза=2\nсвд = ж\nпауза=2+");
    QTest::keyClick(edit(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), "пауза\nсвд = ж\nпауза+");

    QTest::keyClick(edit(), Qt::Key_G, Qt::ControlModifier);
    auto* line = form->findChild<QSpinBox*>(QStringLiteral("lineNumber"));
    line->selectAll();
    QTest::keyClicks(line, QStringLiteral("3"));
    QTest::keyClick(line, Qt::Key_Return);
    EXPECT_EQ(caret(), 3);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(focused(), edit());
}

} // namespace

TEST_F(EditorTest, LeftoversThatAreNoRegularFilesAreNotOfferedAndNothingWaits) {
    // A copy of a version that ran alone, made a FIFO; another linked to /dev/zero.
    QDir(state.path()).mkpath("veltra");
    ASSERT_EQ(::mkfifo(QFile::encodeName(state.filePath("veltra/recovery.txt")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", state.filePath("veltra/recovery-00000000000000aa.txt")));
    start();
    form->offerRecovery();
    EXPECT_EQ(dialogs.count(DialogCall::Question), 0);
    EXPECT_EQ(text(), "");
}

TEST_F(EditorTest, ACopyThatIsALinkIsReplacedAndWhatItPointsToIsLeftAlone) {
    start();
    const QString target = dir.filePath("prog.txt");
    writeFile(target, "свд = к,3\r\n");
    ASSERT_TRUE(QFile::link(target, copyPath()));
    type(edit(), QStringLiteral("пауза"));
    form->close();
    EXPECT_EQ(readFile(target), "свд = к,3\r\n");
    EXPECT_FALSE(QFileInfo(copyPath()).isSymLink());
    EXPECT_EQ(readFile(copyPath()), "пауза\n");
    EXPECT_EQ(QFileInfo(copyPath()).permissions() & 0x0077, 0); // the user's alone
    EXPECT_EQ(QFileInfo(state.filePath("veltra")).permissions() & 0x0077, 0);
}

TEST_F(EditorTest, AFolderThatTakesNoFilesIsSaidOnceAndADeclinedCopyIsNotOfferedAgain) {
    // A copy left by a version that ran alone, in a folder the user may read
    // but not write (made by another account, say): its owner is "nobody",
    // and the editor sees the files as nobody does.
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    const QString folder = state.filePath("veltra");
    QDir(state.path()).mkpath("veltra");
    writeFile(folder + "/recovery.txt", "свд = б,9\n");
    constexpr uid_t kNobody = 65534;
    for (const QString& path : {state.path(), cache.path(), folder, folder + "/recovery.txt"})
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), kNobody, kNobody), 0);
    ::chmod(QFile::encodeName(folder).constData(), 0500);
    ScopedUnprivilegedFiles asNobody;
    const QString off = "Восстановление после сбоя выключено: в папку " + folder + " нельзя записать.";

    dialogs.questionAnswers.push_back(false);
    for (int run = 0; run < 2; ++run) {
        QPlainTextEdit editor;
        editor.show();
        RecoveryCopy copy(editor, folder + "/");
        EXPECT_FALSE(copy.kept());
        copy.offer(&editor);
        // The first run asks and says it there; the next one asks nothing, and
        // the window's message line says it.
        EXPECT_EQ(dialogs.count(DialogCall::Question), 1);
        EXPECT_TRUE(dialogs.last(DialogCall::Question).text.endsWith("\n\n" + off));
        EXPECT_EQ(copy.unsaidWarning(), run == 0 ? QString() : off);
        EXPECT_EQ(copy.unsaidWarning(), QString()); // once
    }
    qunsetenv("XDG_CACHE_HOME");
}

namespace {

// Texts of more lines than the pace's bound go in a slice at a time; here the
// bound is small, every step is a slice, and the progress shows at once, so
// that a file of some thousand lines takes the long way.
class LongTextTest : public EditorTest {
  protected:
    const TextLoader::Pace usual = TextLoader::pace();
    // Runs on every turn of the event loop while a text goes in or out.
    std::function<void(QProgressDialog*)> onTurn;
    int turns = 0;
    QTimer turn;

    void SetUp() override {
        EditorTest::SetUp();
        TextLoader::pace() = {200, 20, 0, 0};
        QObject::connect(&turn, &QTimer::timeout, [this] {
            if (!form) return;
            ++turns;
            auto* progress = form->findChild<QProgressDialog*>(QStringLiteral("textProgress"));
            if (onTurn && progress && progress->isVisible()) onTurn(progress);
        });
        turn.start(0);
    }
    void TearDown() override {
        turn.stop();
        TextLoader::pace() = usual;
        EditorTest::TearDown();
    }

    // 3000 lines, mostly comments, with a wrong one near the end, as a program file.
    QString longFile() {
        QStringList lines;
        for (int i = 1; i <= 3000; ++i)
            lines << (i == 2990     ? QStringLiteral("пауза 5")
                      : i % 10 == 0 ? QStringLiteral("свд_%1 = ж,7").arg(i % 13 + 1)
                                    : QStringLiteral("// строка %1").arg(i));
        const QString path = dir.filePath(QStringLiteral("long.txt"));
        QByteArray bytes;
        encodeCp1251(lines.join(QStringLiteral("\r\n")), bytes);
        writeFile(path, bytes);
        longLines = lines;
        return path;
    }
    QStringList longLines;
};

TEST_F(LongTextTest, ALongFileGoesInWhileTheWindowServesAndCancelLeavesThePreviousText) {
    start();
    const QString path = longFile();
    type(edit(), QStringLiteral("пауза"));
    runOneSecond(); // the change is known
    const QString before = text();
    form->program().image().count = 4;
    QString shown;
    onTurn = [&](QProgressDialog* progress) {
        if (shown.isEmpty()) shown = progress->labelText();
        QTest::keyClick(progress, Qt::Key_Escape);
    };
    dialogs.openAnswers.push_back(path);
    turns = 0;
    button("btLoadFromFile")->click();
    EXPECT_GT(turns, 0);
    EXPECT_TRUE(shown.startsWith("Текст загружается в редактор…\nстрок: ")) << shown.toStdString();
    EXPECT_EQ(text(), before);
    EXPECT_EQ(message(), "файл не открыт: загрузка отменена");
    EXPECT_EQ(form->program().image().count, 4); // still the checked program
    runOneSecond();
    EXPECT_EQ(message(), "файл не открыт: загрузка отменена"); // the text it left is no change

    // Let through: the unsaved text before it is one Ctrl+Z away.
    onTurn = nullptr;
    dialogs.openAnswers.push_back(path);
    button("btLoadFromFile")->click();
    ASSERT_EQ(countedLines(*edit()->document()), longLines);
    EXPECT_EQ(message(), "");
    // Coloured as far as seen; the wrong line marked by the check beside the window.
    QCoreApplication::processEvents();
    EXPECT_FALSE(edit()->document()->firstBlock().layout()->formats().isEmpty());
    EXPECT_TRUE(edit()->document()->findBlockByNumber(2000).layout()->formats().isEmpty());
    ASSERT_TRUE(waitFor([&] { return gutter().marks().count(2990) == 1; }));
    EXPECT_EQ(gutter().marks().size(), 1u);
    QTest::keyClick(edit(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), before);
    edit()->redo();

    // New over the long text its file holds keeps nothing of it.
    button("btNew")->click();
    EXPECT_EQ(text(), kNewProgram);
    EXPECT_EQ(edit()->document()->availableUndoSteps(), 0);
    EXPECT_EQ(edit()->document()->blockCount(), 2);
}

TEST_F(LongTextTest, NewOverALongUnsavedTextKeepsItOneCtrlZAwayAndReportsNoChangeMeanwhile) {
    start();
    setEditorText(decodeCp1251(readFile(longFile())));
    type(edit(), QStringLiteral("x"));
    const QString typed = text();
    runOneSecond(); // the change is known
    button("btSaveToFile")->setEnabled(false);
    // The once-a-second change detection runs while the old text goes out.
    int detections = 0;
    onTurn = [&](QProgressDialog*) {
        ++detections;
        runOneSecond();
    };
    button("btNew")->click();
    EXPECT_GT(detections, 0);
    EXPECT_EQ(text(), kNewProgram);
    EXPECT_EQ(message(), "");
    EXPECT_FALSE(button("btSaveToFile")->isEnabled()); // New leaves the buttons as they were
    QTest::keyClick(edit(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(text(), typed);
}

TEST_F(LongTextTest, ClosingWhileALongTextGoesInLeavesTheUnsavedTextInTheCopy) {
    start();
    const QString path = longFile();
    type(edit(), QStringLiteral("пауза"));
    const QString copy = copyPath();
    onTurn = [&](QProgressDialog*) { form->close(); };
    dialogs.openAnswers.push_back(path);
    button("btLoadFromFile")->click();
    EXPECT_TRUE(form->isClosing());
    EXPECT_EQ(readFile(copy), "пауза\n"); // not a part of the file
}

} // namespace
