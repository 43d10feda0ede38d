#include <gtest/gtest.h>

#include <QObject>

#include <deque>
#include <vector>

#include "link/LinkRequest.h"
#include "tests/support/PeerFrameParser.h"

namespace veltra {
namespace {

// A link driven turn by turn, without real time: every turn is one worker
// cycle (when the link runs) and the board answers `replyAfter` turns later.
class ScriptedLink : public WaitTurns {
  public:
    explicit ScriptedLink(LinkProtocol& link) : link_(link) {}

    void Turn(int stepMs) override {
        steps.push_back(stepMs);
        ++turn_;
        while (!replies_.empty() && replies_.front().first <= turn_) {
            auto bytes = test::peerAnswer(replies_.front().second, status);
            replies_.pop_front();
            link_.OnFrameReceived(bytes);
        }
        if (turn_ <= stoppedUntil) return;
        TxFrameSlot tx;
        link_.OnLinkCycle(tx);
        if (!tx.txPending) return;
        sent.push_back(tx.txFrame[3]);
        if (answering && tx.txFrame[3] != 0x10) replies_.emplace_back(turn_ + replyAfter, tx.txFrame[3]);
        if (abortAfterSend) aborted_ = true;
    }
    void Sleep(int) override {}
    void Pump() override {}
    bool Aborted() const override { return aborted_ || turn_ >= abortAtTurn; }

    std::vector<int> steps;
    std::vector<std::uint8_t> sent;
    int stoppedUntil = 0; // the worker runs no cycle in turns 1..stoppedUntil
    bool answering = true;
    int replyAfter = 2;
    std::uint8_t status = 0;
    int abortAtTurn = 1 << 30;
    bool abortAfterSend = false;

  private:
    LinkProtocol& link_;
    int turn_ = 0;
    bool aborted_ = false;
    std::deque<std::pair<int, std::uint8_t>> replies_;
};

const RequestPlan kCommand{{50, 20}, {50, 20}};

TEST(LinkRequest, AnsweredRequestReportsTheStatusAndLeavesPendingToFinish) {
    for (std::uint8_t status : {0x00, 0x01, 0x10}) {
        LinkProtocol link;
        ScriptedLink world(link);
        world.status = status;
        LinkRequest request(link, world);
        link.SetConsoleCommand(0x1234, 0, false);
        auto result = request.Run(RequestCode::Command, kCommand);
        EXPECT_EQ(result.outcome, RequestOutcome::Answered);
        EXPECT_EQ(result.status, status);
        EXPECT_EQ(world.sent, std::vector<std::uint8_t>{0x25});
        EXPECT_EQ(world.steps.size(), 3u); // one turn to be picked up, two for the reply
        EXPECT_EQ(link.pendingRequestCode(), 0x25);
        request.Finish();
        EXPECT_EQ(link.pendingRequestCode(), 0);
    }
}

TEST(LinkRequest, StoppedLinkRunsOutThePickUpAndWithdrawsTheFlag) {
    LinkProtocol link;
    link.OnFrameReceived(test::peerAnswer(0x10, 0)); // polls were answered before the link stopped
    ScriptedLink world(link);
    world.stoppedUntil = 1000;
    LinkRequest request(link, world);
    auto result = request.Run(RequestCode::Reset, {{50, 10}, {10, 50}});
    EXPECT_EQ(result.outcome, RequestOutcome::NoAnswer);
    EXPECT_FALSE(link.resetRequest());
    // Ten pick-up turns of 50 ms; nothing went out, so no reply is awaited.
    EXPECT_EQ(world.steps, std::vector<int>(10, 50));
    // The withdrawn flag is never sent when the link comes back.
    world.stoppedUntil = 0;
    request.Finish();
    world.Turn(50);
    EXPECT_EQ(world.sent, std::vector<std::uint8_t>{0x10});
}

TEST(LinkRequest, SilentBoardRunsOutTheReplyWait) {
    LinkProtocol link;
    ScriptedLink world(link);
    world.answering = false;
    LinkRequest request(link, world);
    auto result = request.Run(RequestCode::Command, kCommand);
    EXPECT_EQ(result.outcome, RequestOutcome::NoAnswer);
    EXPECT_EQ(world.steps.size(), 1u + 20u);
}

TEST(LinkRequest, PickUpOnTheLastAllowedTurnStillCountsAsNoAnswer) {
    LinkProtocol link;
    ScriptedLink world(link);
    world.stoppedUntil = 9; // taken in the tenth turn
    LinkRequest request(link, world);
    auto result = request.Run(RequestCode::Status, {{50, 10}, {50, 10}});
    EXPECT_EQ(world.sent, std::vector<std::uint8_t>{0x12});
    EXPECT_EQ(result.outcome, RequestOutcome::NoAnswer);
}

TEST(LinkRequest, TwoRequestsShareOnePickUpAllowance) {
    LinkProtocol link;
    ScriptedLink world(link);
    world.stoppedUntil = 4;
    LinkRequest request(link, world);
    int pickUps = 0;
    auto status = request.Run(RequestCode::Status, {{50, 10}, {50, 10}}, &pickUps);
    EXPECT_EQ(status.outcome, RequestOutcome::Answered);
    EXPECT_EQ(pickUps, 5);
    request.Finish();

    // The upload's pick-up continues from 5: five more turns are left.
    world.stoppedUntil = static_cast<int>(world.steps.size()) + 5;
    auto upload = request.Run(RequestCode::Upload, {{50, 10}, {50, 100}}, &pickUps);
    EXPECT_EQ(upload.outcome, RequestOutcome::NoAnswer);
    EXPECT_EQ(pickUps, 10);
    EXPECT_FALSE(link.uploadRequest());
}

TEST(LinkRequest, SettleTurnComesBetweenPickUpAndReply) {
    LinkProtocol link;
    ScriptedLink world(link);
    world.replyAfter = 3;
    LinkRequest request(link, world);
    auto result = request.Run(RequestCode::MemoryWrite, {{50, 20}, {40, 100}, 30});
    EXPECT_EQ(result.outcome, RequestOutcome::Answered);
    // Picked up in the first turn, answered three turns after it was sent.
    EXPECT_EQ(world.steps, (std::vector<int>{50, 30, 40, 40}));
}

TEST(LinkRequest, EarlierReplyWithTheSameCodeIsNotTakenForTheAnswer) {
    LinkProtocol link;
    ScriptedLink world(link);
    LinkRequest request(link, world);
    ASSERT_EQ(request.Run(RequestCode::Command, kCommand).outcome, RequestOutcome::Answered);
    request.Finish();
    // The board goes quiet; its last reply still carries 0x25.
    world.answering = false;
    auto result = request.Run(RequestCode::Command, kCommand);
    EXPECT_EQ(result.outcome, RequestOutcome::NoAnswer);
    EXPECT_EQ(link.lastReplyCode(), 0x25);
}

TEST(LinkRequest, AbortedWaitTouchesNothingMore) {
    for (int abortAt : {1, 3}) {
        LinkProtocol link;
        ScriptedLink world(link);
        world.stoppedUntil = 2;
        world.answering = false;
        world.abortAtTurn = abortAt;
        LinkRequest request(link, world);
        auto result = request.Run(RequestCode::Command, kCommand);
        EXPECT_EQ(result.outcome, RequestOutcome::Aborted) << abortAt;
        EXPECT_EQ(world.steps.size(), static_cast<std::size_t>(abortAt));
        // Neither the raised flag nor the awaited code is touched once aborted.
        EXPECT_EQ(link.consoleCommandRequest(), abortAt == 1);
        request.Finish();
        EXPECT_EQ(link.pendingRequestCode(), abortAt == 1 ? 0 : 0x25);
    }
}

TEST(EventPumpTurns, EndsWhenTheGuardIsDestroyedOrStopIsAsked) {
    auto* guard = new QObject;
    bool closing = false;
    EventPumpTurns turns(guard, [&] { return closing; });
    EXPECT_FALSE(turns.Aborted());
    closing = true;
    EXPECT_TRUE(turns.Aborted());
    closing = false;
    delete guard;
    EXPECT_TRUE(turns.Aborted());

    EventPumpTurns unguarded;
    EXPECT_FALSE(unguarded.Aborted());
    unguarded.Abort();
    EXPECT_TRUE(unguarded.Aborted());
}

} // namespace
} // namespace veltra
