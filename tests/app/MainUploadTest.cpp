// The upload as the user starts it: F8 or the send button in the real main
// window, the program checked, the upload window run modally, and the board
// (played on a pseudo-terminal) receiving the status request and the words.

#include <QPlainTextEdit>

#include "link/TFormLink.h"
#include "tests/app/MainFormFixture.h"

using namespace veltra;
using namespace veltra::test;

namespace {

const char* kProgram = "// пример\nметка_1:\nесли кн_1==вкл тогда свд=к\nпауза+\nпереход метка_1\n";

class MainUploadTest : public MainFormTest {
  protected:
    QStringList uploadLog;

    // Starts the window on a board that answers, with `program` in the editor,
    // and lets the upload window run for real when it is shown.
    void startWith(const char* program) {
        start();
        setEditorText(QString::fromUtf8(program));
        dialogs.modal = [this](QDialog& dialog) {
            // A watchdog keeps a broken sequence from hanging the run.
            QTimer::singleShot(60000, &dialog, &QDialog::reject);
            const int result = dialog.exec();
            if (auto* upload = qobject_cast<TFormLink*>(&dialog)) uploadLog = upload->LogLines();
            return result;
        };
        ASSERT_TRUE(waitFor([&] { return form->session().link().LinkAlive(); }));
    }

    void pressF8() { QTest::keyClick(edit(), Qt::Key_F8); }
};

TEST_F(MainUploadTest, F8UploadsTheProgramAndReportsSuccessInGreen) {
    startWith(kProgram);
    pressF8();
    EXPECT_EQ(message(), "загрузка программы...ОК");
    EXPECT_EQ(messageColour(), QColor(0, 128, 0));
    const QString sep(49, QChar('-'));
    EXPECT_EQ(uploadLog, QStringList({">>> Запрос статуса ", "<<< OK ", sep, ">>> Загрузка программы в плату",
                                      "<<< Программа загружена", sep}));
    EXPECT_EQ(dialogs.count(DialogCall::Modal), 1);

    // The board saw the status request, then one upload frame of 8 + 2n + 2 bytes.
    ASSERT_EQ(board.countOf(0x12), 1u);
    ASSERT_EQ(board.countOf(0x24), 1u);
    const PeerFrame upload = *board.lastOf(0x24);
    EXPECT_EQ(upload.bytes.size(), 8u + 2 * 4 + 2);
    EXPECT_TRUE(upload.crcOk());
    EXPECT_EQ(upload.data(), (std::vector<std::uint8_t>{0x01, 0x63, 0xF1, 0xAE, 0x01, 0x41, 0x00, 0xE0}));
    EXPECT_EQ(form->session().link().pendingRequestCode(), 0);

    // Polling resumes after the upload.
    const std::size_t polls = board.countOf(0x10);
    EXPECT_TRUE(waitFor([&] { return board.countOf(0x10) > polls; }));
}

TEST_F(MainUploadTest, MemoryFailureAtTheUploadIsAnError) {
    startWith(kProgram);
    board.setStatus(0x24, 0x10);
    button("btSend")->click();
    EXPECT_EQ(uploadLog.value(4), "ОШИБКА: сбой памяти Veltra !");
    EXPECT_EQ(message(), "загрузка программы...ОШИБКА");
    EXPECT_EQ(messageColour(), QColor(255, 0, 0));
}

TEST_F(MainUploadTest, OtherStatusBitsStillCountAsSuccess) {
    startWith(kProgram);
    board.setStatus(0x24, 0x01);
    pressF8();
    EXPECT_EQ(message(), "загрузка программы...ОК");
}

TEST_F(MainUploadTest, SilentBoardAtTheStatusStepFailsAndTheNextUploadWorks) {
    startWith(kProgram);
    board.setAnswering(false);
    const std::int64_t waited = waitedMs();
    pressF8();
    EXPECT_GE(waitedMs() - waited, 500 + 2000); // the reply waits, then the window stays two seconds
    EXPECT_EQ(uploadLog, QStringList({">>> Запрос статуса ", "<<< ОШИБКА: плата не отвечает ! ",
                                      QString(49, QChar('-'))}));
    EXPECT_EQ(message(), "загрузка программы...ОШИБКА");
    EXPECT_EQ(form->session().link().pendingRequestCode(), 0);

    board.setAnswering(true);
    ASSERT_TRUE(waitFor([&] { return form->session().link().LinkAlive(); }));
    pressF8();
    EXPECT_EQ(message(), "загрузка программы...ОК");
}

TEST_F(MainUploadTest, BoardAnsweringOnlyTheStatusFailsAfterTheUploadWaits) {
    startWith(kProgram);
    // The peer decides whether to answer as a frame arrives: once the status
    // request is in (and answered), it falls silent.
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (board.countOf(0x12) > 0) board.setAnswering(false);
    });
    watcher.start(1);
    const std::int64_t waited = waitedMs();
    pressF8();
    watcher.stop();
    EXPECT_EQ(uploadLog.value(4), "<<< ОШИБКА: плата не отвечает ! ");
    EXPECT_GE(waitedMs() - waited, 5000 + 3300);
    EXPECT_EQ(message(), "загрузка программы...ОШИБКА");
}

struct Refusal {
    const char* program;
    bool linkAlive;
    const char* box;
};

TEST_F(MainUploadTest, RefusalsBeepAndExplain) {
    const Refusal cases[] = {
        {"// только комментарий\nметка_1:\n", true, "Проверь программу и повтори загрузку!"},
        {"свд = вкл\n", false, "Проверь связь с платой и повтори загрузку!"},
    };
    startWith("");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        setEditorText(QString::fromUtf8(c.program));
        board.setAnswering(c.linkAlive);
        if (!c.linkAlive) {
            ASSERT_TRUE(waitFor([&] { return !form->session().link().LinkAlive(); }, 15000));
        }
        const int beeps = dialogs.count(DialogCall::Beep);
        pressF8();
        EXPECT_EQ(dialogs.count(DialogCall::Beep), beeps + 1);
        EXPECT_EQ(dialogs.last(DialogCall::Message).text, QString::fromUtf8(c.box));
        EXPECT_EQ(dialogs.count(DialogCall::Modal), 0);
    }
    EXPECT_EQ(board.countOf(0x24), 0u);
}

TEST_F(MainUploadTest, CheckErrorsStopTheUploadWithTheirOwnMessage) {
    startWith("свд = вкл\nпауза 5\n");
    pressF8();
    EXPECT_EQ(message(), "[стр.  2] ОШИБКА: параметр команды");
    EXPECT_EQ(dialogs.count(DialogCall::Modal), 0);
    EXPECT_EQ(board.countOf(0x12), 0u);
}

TEST_F(MainUploadTest, F8AndTheSendButtonDoNothingInTheConsoleView) {
    startWith(kProgram);
    QTest::keyClick(edit(), Qt::Key_F10);
    ASSERT_TRUE(form->state().consoleMode);
    QTest::keyClick(editConsol(), Qt::Key_F8);
    button("btSend")->click();
    EXPECT_EQ(dialogs.count(DialogCall::Modal), 0);
    EXPECT_EQ(board.countOf(0x12), 0u);
}

TEST_F(MainUploadTest, NoSecondUploadStartsWhileOneRuns) {
    startWith(kProgram);
    int inner = -1;
    dialogs.modal = [&](QDialog& dialog) {
        // F8 and the send path entered again while the upload window waits.
        turns().AtTurn(2, [&] {
            QTest::keyClick(edit(), Qt::Key_F8);
            peer().runSend();
            inner = dialogs.count(DialogCall::Modal);
        });
        QTimer::singleShot(60000, &dialog, &QDialog::reject);
        return dialog.exec();
    };
    pressF8();
    EXPECT_EQ(message(), "загрузка программы...ОК");
    EXPECT_EQ(board.countOf(0x24), 1u);
    EXPECT_EQ(inner, 1);
}

TEST_F(MainUploadTest, TheUploadWindowIgnoresEscapeAndCloseRequestsUntilItsSequenceEnds) {
    startWith(kProgram);
    bool afterEscape = false, afterClose = false;
    dialogs.modal = [&](QDialog& dialog) {
        turns().AtTurn(2, [&] {
            QTest::keyClick(&dialog, Qt::Key_Escape);
            afterEscape = dialog.isVisible();
            dialog.close(); // what Alt+F4 and the window manager's close ask
            afterClose = dialog.isVisible();
        });
        const int result = dialog.exec();
        uploadLog = qobject_cast<TFormLink*>(&dialog)->LogLines();
        return result;
    };
    pressF8();
    EXPECT_TRUE(afterEscape);
    EXPECT_TRUE(afterClose);
    EXPECT_EQ(uploadLog.size(), 6);
    EXPECT_EQ(message(), "загрузка программы...ОК");
}

TEST_F(MainUploadTest, ClosingTheWindowDuringTheUploadEndsTheWait) {
    startWith(kProgram);
    board.setAnswering(false);
    dialogs.modal = [&](QDialog& dialog) {
        closeAfterWaiting(700);
        QTimer::singleShot(60000, &dialog, &QDialog::reject);
        return dialog.exec();
    };
    const std::int64_t waited = waitedMs();
    pressF8();
    EXPECT_TRUE(form->isClosing());
    // Without the abort the window would stay for its 2.5 s of waits.
    EXPECT_LT(waitedMs() - waited, 2400);
    EXPECT_EQ(waitedMs(), closedAt); // not a turn more once the window closed
}

} // namespace
