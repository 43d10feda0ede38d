// Switching the port on a link that worked, with the scripted board standing
// in for the port and its worker, in simulated time.

#include <gtest/gtest.h>

#include "link/LinkDisplay.h"
#include "link/SelectPort.h"
#include "tests/support/ScriptedBoard.h"

namespace veltra {
namespace {

using test::ScriptedBoard;

class QuietReporter : public PortReporter {
  public:
    void errorBeep() override {}
    void setPortPanel(const QString&) override {}
    void showPortError(const QString&) override {}
};

TEST(FailedSwitch, ShowsTheLostLinkWheneverAReplyReadBeforeTheStopIsHandedOver) {
    // A reply the worker had read when the link stopped is handed over at the
    // next pass of the event pump, which may come at any of the switch's waits.
    const struct {
        const char* moment;
        int pumps; // 0: before the switch began
    } moments[] = {{"before the switch", 0},
                   {"in the pump right after the stop", 1},
                   {"after the settle pause", 2},
                   {"inside the open's hold", 3},
                   {"after the failure was reported", 4}};
    const std::vector<std::uint8_t> pollReply{0x77, 0x70, 0x61, 0x10, 0, 0, 0, 0x0A};
    for (const auto& m : moments) {
        SCOPED_TRACE(m.moment);
        LinkProtocol link;
        ScriptedBoard board(&link);
        board.answerEverythingAfter(0);
        ASSERT_TRUE(link.LinkAlive());

        if (m.pumps == 0) {
            link.OnFrameReceived(pollReply);
        } else {
            board.queueFrame(pollReply, m.pumps);
        }
        QuietReporter reporter;
        board.opens = false;
        EXPECT_FALSE(SelectPort(board, QStringLiteral("COM2"), reporter, board));

        // The main window's ticks for 1.5 s.
        bool lostShown = false;
        for (int tick = 1; tick <= 15; ++tick) {
            board.Turn(100);
            lostShown |= LinkPanelText(link.linkCountdown(), tick % 10, link.ioCount()) ==
                         std::optional(QStringLiteral("       НЕТ СВЯЗИ !!!    "));
        }
        EXPECT_TRUE(lostShown);
        EXPECT_FALSE(link.LinkAlive()); // so F8 is refused

        // A switch that opens counts the board's answers again.
        board.opens = true;
        EXPECT_TRUE(SelectPort(board, QStringLiteral("COM1"), reporter, board));
        for (int turn = 0; turn < 10; ++turn)
            board.Turn(50);
        EXPECT_TRUE(link.LinkAlive());
    }
}

} // namespace
} // namespace veltra
