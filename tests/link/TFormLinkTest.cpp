// The upload window against a simulated link: its log, its result, the time
// its waits take, and the frames the board receives.

#include <QPlainTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include "link/LinkSession.h"
#include "link/TFormLink.h"
#include "tests/support/ScriptedBoard.h"

namespace veltra {
namespace {

using test::ScriptedBoard;

const QString kSeparator(49, QChar('-'));

class TFormLinkTest : public ::testing::Test {
protected:
    TFormLinkTest() {
        board.attach(link);
        // The board answered a poll: the link is alive.
        link.OnFrameReceived(std::vector<std::uint8_t>{0x77, 0x70, 0x61, 0x10, 0, 0, 0, 0x0A});
        program.count = 3;
        program.words[0] = 0xAEF8;
        program.words[1] = 0x4201;
        program.words[2] = 0xE000;
    }

    // Runs the upload sequence as its timer would and returns the window's result.
    int upload() {
        TFormLink form(session, program);
        form.TmTimer();
        log = form.LogLines();
        return form.result();
    }

    // The board's status for each request code it is asked.
    void answer(std::optional<std::uint8_t> status, std::optional<std::uint8_t> uploadStatus) {
        board.respond = [=](const std::vector<std::uint8_t>& frame) {
            return frame[3] == 0x24 ? uploadStatus : status;
        };
    }

    ScriptedBoard board;
    LinkSession session{board};
    LinkProtocol& link = session.link();
    ProgramImage program; // what the check built
    QStringList log;
};

TEST_F(TFormLinkTest, SuccessfulUploadLogsEveryStepAndSendsTheWords) {
    EXPECT_EQ(upload(), QDialog::Accepted);
    EXPECT_EQ(log, QStringList({">>> Запрос статуса ", "<<< OK ", kSeparator, ">>> Загрузка программы в плату",
                                "<<< Программа загружена", kSeparator}));
    ASSERT_EQ(board.sent.size(), 2u);
    EXPECT_EQ(board.sent[0], (std::vector<std::uint8_t>{0x77, 0x70, 0x61, 0x12, 0, 0, 0, 0x0A}));
    const std::vector<std::uint8_t>& frame = board.sent[1];
    ASSERT_EQ(frame.size(), 8u + 2 * 3 + 2);
    EXPECT_EQ(frame[3], 0x24);
    EXPECT_EQ(frame[4], 8);
    EXPECT_EQ(frame[5], 0);
    const std::vector<std::uint8_t> data(frame.begin() + 8, frame.end() - 2);
    EXPECT_EQ(data, (std::vector<std::uint8_t>{0xF8, 0xAE, 0x01, 0x42, 0x00, 0xE0}));
    const std::uint16_t crc = FrameCrc(data.data(), data.size());
    EXPECT_EQ(frame[14], crc & 0xFF);
    EXPECT_EQ(frame[15], crc >> 8);
    EXPECT_EQ(link.pendingRequestCode(), 0);
}

struct FailureCase {
    const char* name;
    std::optional<std::uint8_t> statusReply;
    std::optional<std::uint8_t> uploadReply;
    std::vector<const char*> log;
    bool accepted;
};

TEST_F(TFormLinkTest, OutcomesFollowTheBoardsAnswers) {
    const char* sep = "-------------------------------------------------";
    const FailureCase cases[] = {
        {"silent board", std::nullopt, std::nullopt,
         {">>> Запрос статуса ", "<<< ОШИБКА: плата не отвечает ! ", sep}, false},
        {"status only", 0, std::nullopt,
         {">>> Запрос статуса ", "<<< OK ", sep, ">>> Загрузка программы в плату",
          "<<< ОШИБКА: плата не отвечает ! ", sep},
         false},
        {"memory failure", 0, 0x10,
         {">>> Запрос статуса ", "<<< OK ", sep, ">>> Загрузка программы в плату", "ОШИБКА: сбой памяти Veltra !",
          sep},
         false},
        {"other status bits", 0, 0x03,
         {">>> Запрос статуса ", "<<< OK ", sep, ">>> Загрузка программы в плату", "<<< Программа загружена", sep},
         true},
        {"status rejected but answered", 0x01, 0,
         {">>> Запрос статуса ", "<<< OK ", sep, ">>> Загрузка программы в плату", "<<< Программа загружена", sep},
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        answer(c.statusReply, c.uploadReply);
        const int result = upload();
        QStringList expected;
        for (const char* line : c.log) expected << QString::fromUtf8(line);
        EXPECT_EQ(log, expected);
        EXPECT_EQ(result, c.accepted ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(link.pendingRequestCode(), 0);
        EXPECT_FALSE(link.statusRequest() || link.uploadRequest());
    }
}

TEST_F(TFormLinkTest, ASlowLinkUploadsWithinTheWaitsAndFailsBeyondThem) {
    const struct {
        int roundTripMs;
        bool accepted;
    } cases[] = {
        {0, true}, {100, true}, {250, true}, {400, true},
        {500, true}, // in the last of the ten turns of the status reply wait
        {550, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.roundTripMs);
        board.answerEverythingAfter(c.roundTripMs);
        EXPECT_EQ(upload(), c.accepted ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(log.value(1), c.accepted ? "<<< OK " : "<<< ОШИБКА: плата не отвечает ! ");
        EXPECT_EQ(log.value(4), c.accepted ? "<<< Программа загружена" : "");
    }
}

TEST_F(TFormLinkTest, FailuresKeepTheWindowOpenForTheirPause) {
    // Silent at the status step: picked up in one cycle, ten reply waits of
    // 50 ms, then twenty waits of 100 ms before the window closes.
    answer(std::nullopt, std::nullopt);
    upload();
    EXPECT_EQ(board.elapsedMs, 50 + 500 + 2000);

    // Silent at the upload step: 5 s of reply waits, then 3 s. The clock also
    // counts the plain sleeps of 100 ms before the upload step and 300 ms
    // after it.
    answer(0, std::nullopt);
    board.elapsedMs = 0;
    upload();
    EXPECT_GE(board.elapsedMs, 5000 + 3000 + 400);
    EXPECT_LE(board.elapsedMs, 5000 + 3000 + 400 + 500);
}

TEST_F(TFormLinkTest, StoppedLinkWithdrawsTheStatusRequest) {
    board.linkRunning = false;
    EXPECT_EQ(upload(), QDialog::Rejected);
    EXPECT_EQ(log.value(1), QStringLiteral("<<< ОШИБКА: плата не отвечает ! "));
    // A stale flag would start an upload step by itself once the link runs again.
    EXPECT_FALSE(link.statusRequest());
    EXPECT_TRUE(board.sent.empty());
}

TEST_F(TFormLinkTest, AbortedWaitClosesTheWindowAndLeavesTheLinkAlone) {
    board.abortAfterFirstSend = true;
    answer(std::nullopt, std::nullopt);
    EXPECT_EQ(upload(), QDialog::Rejected);
    // The owner is going away: its link state is not touched any more.
    EXPECT_EQ(link.pendingRequestCode(), 0x12);
    EXPECT_EQ(log, QStringList({">>> Запрос статуса "}));
}

TEST_F(TFormLinkTest, WindowLooksAsDesignedAndItsTimerRunsTheUpload) {
    QWidget owner;
    owner.setGeometry(100, 100, 642, 607);
    TFormLink form(session, program, &owner);
    EXPECT_EQ(form.size(), QSize(290, 140));
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form.palette().color(QPalette::Window), QColor(0, 128, 0));
    EXPECT_EQ(form.findChild<QPlainTextEdit*>("Memo1")->geometry(), QRect(4, 7, 280, 126));
    // Centres of even and odd sizes may differ by a pixel of rounding.
    EXPECT_LE((form.frameGeometry().center() - owner.frameGeometry().center()).manhattanLength(), 2);
    EXPECT_EQ(form.findChild<QTimer*>("Tm")->interval(), 500);
    EXPECT_TRUE(form.findChild<QTimer*>("Tm")->isActive());

    // A watchdog keeps a broken sequence from hanging the test.
    QTimer::singleShot(30000, &form, &QDialog::reject);
    EXPECT_EQ(form.exec(), QDialog::Accepted);
    EXPECT_EQ(form.LogLines().size(), 6);
}

}  // namespace
}  // namespace veltra
