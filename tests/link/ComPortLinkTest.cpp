// The port, its worker and the protocol over a real pseudo-terminal.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>

#include "link/LinkRequest.h"
#include "tests/link/LinkFixture.h"

namespace veltra::test {
namespace {

using namespace std::chrono_literals;

TEST_F(LinkOverPty, OnePollPerActiveCycleAtAboutTwentyPerSecond) {
    openRunning();
    ASSERT_TRUE(waitFor([&] { return link.LinkAlive(); }));
    pumpFor(3000);
    port->SetRun(false);
    ASSERT_TRUE(waitFor([&] { return !port->worker().Active(); }));

    // Every active cycle wrote exactly one poll, and nothing else was written.
    ASSERT_TRUE(waitFor([&] { return peer.frameCount() >= client.cycles; }));
    pumpFor(100);
    auto frames = peer.frames();
    EXPECT_EQ(frames.size(), client.cycles);
    EXPECT_EQ(client.cycles, port->worker().ActiveCycles());
    ASSERT_GE(frames.size(), 20u);
    for (const auto& f : frames)
        EXPECT_EQ(f.frame.bytes, (std::vector<std::uint8_t>{0x77, 0x70, 0x61, 0x10, 0, 0, 0, 0x0A}));

    double seconds = std::chrono::duration<double>(frames.back().at - frames.front().at).count();
    double rate = (frames.size() - 1) / seconds;
    std::printf("poll rate: %.2f per second\n", rate);
    // A cycle sleeps 50 ms, so never more than 20 per second; a loaded machine may be slower.
    EXPECT_LE(rate, 20.5);
    EXPECT_GE(rate, 10.0);
}

TEST_F(LinkOverPty, AliveWithinOneCycleOfTheFirstAnswerAndLostFortySilentCyclesLater) {
    peer.setAnswering(false);
    openRunning();
    ASSERT_TRUE(waitFor([&] { return client.cycles >= 3; }));
    EXPECT_FALSE(link.LinkAlive());
    EXPECT_TRUE(client.events.size() >= 3 && !client.events[0].frame);

    peer.setAnswering(true);
    ASSERT_TRUE(waitFor([&] { return link.LinkAlive(); }));
    std::size_t firstFrame = 0;
    while (!client.events[firstFrame].frame)
        ++firstFrame;
    // Alive from the frame on: the next cycle counts down from 40.
    EXPECT_EQ(client.events[firstFrame].countdownAfter, 40);
    auto nextCycle = [&] {
        for (std::size_t i = firstFrame + 1; i < client.events.size(); ++i)
            if (!client.events[i].frame) return i;
        return std::size_t{0};
    };
    ASSERT_TRUE(waitFor([&] { return nextCycle() != 0; }));
    EXPECT_EQ(client.events[nextCycle()].countdownAfter, 39);

    peer.setAnswering(false);
    ASSERT_TRUE(waitFor([&] { return !link.LinkAlive(); }, 20000));
    // Count the cycles between the last frame and the moment the link was lost.
    std::size_t lastFrame = client.events.size();
    while (!client.events[--lastFrame].frame) {
    }
    std::size_t silentCycles = 0;
    for (std::size_t i = lastFrame + 1; i < client.events.size(); ++i) {
        ASSERT_FALSE(client.events[i].frame);
        ++silentCycles;
        if (client.events[i].countdownAfter == 0) break;
    }
    EXPECT_EQ(silentCycles, 40u);
    // The I/O count stays where it was while the board is silent.
    std::int32_t io = link.ioCount();
    pumpFor(300);
    EXPECT_EQ(link.ioCount(), io);
}

TEST_F(LinkOverPty, AnswerIsDeliveredByTheFirstCycleThatStartsAfterIt) {
    std::atomic<unsigned long> cycleAtWrite{0};
    std::atomic<bool> written{false};
    std::atomic<const TCOMport*> worker{nullptr};
    peer.setOnWritten([&] {
        // A cycle counts itself before it looks at the receive queue: the
        // cycle after the one running now sees these bytes for certain.
        if (!written.exchange(true) && worker.load()) cycleAtWrite = worker.load()->ActiveCycles();
    });
    peer.setAnswering(false);
    openRunning();
    worker = &port->worker();
    ASSERT_TRUE(waitFor([&] { return client.cycles >= 2; }));
    peer.setAnswering(true);
    ASSERT_TRUE(waitFor([&] { return link.LinkAlive(); }));
    ASSERT_TRUE(written);
    peer.setOnWritten({});
    const auto& first =
        *std::find_if(client.events.begin(), client.events.end(), [](auto& e) { return e.frame; });
    EXPECT_GE(first.workerCycle, cycleAtWrite.load());
    // The kernel hands bytes from the master to the slave side asynchronously,
    // which a loaded machine may delay by a cycle or two beyond the next one.
    EXPECT_LE(first.workerCycle, cycleAtWrite + 3);
    std::printf("answer written in cycle %lu, delivered in cycle %lu\n", cycleAtWrite.load(),
                first.workerCycle);
}

TEST_F(LinkOverPty, FramesOfOneCycleAreDeliveredInOrderBeforeTheCyclesOwnStep) {
    peer.setAnswering(false);
    openRunning();
    ASSERT_TRUE(waitFor([&] { return client.cycles >= 2; }));
    auto a = peerAnswer(0x12, 0, {1, 2, 3});
    auto b = peerAnswer(0x25, 1);
    std::vector<std::uint8_t> burst = {0x00, 0x13, 0x0A}; // noise first
    burst.insert(burst.end(), a.begin(), a.end());
    burst.insert(burst.end(), b.begin(), b.end());
    const std::size_t before = client.events.size();
    peer.sendRaw(burst);
    ASSERT_TRUE(waitFor([&] { return link.lastReplyCode() == 0x25; }));
    std::vector<const RecordingClient::Event*> frames;
    for (std::size_t i = before; i < client.events.size(); ++i)
        if (client.events[i].frame) frames.push_back(&client.events[i]);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0]->bytes, a);
    EXPECT_EQ(frames[1]->bytes, b);
    EXPECT_EQ(frames[0]->cyclesBefore, frames[1]->cyclesBefore);
    EXPECT_EQ(link.lastReplyStatus(), 1);
    EXPECT_EQ(link.ioCount(), 2);
}

TEST_F(LinkOverPty, RequestAndReplyThroughTheRequestHelper) {
    openRunning();
    ASSERT_TRUE(waitFor([&] { return link.LinkAlive(); }));
    EventPumpTurns turns;
    LinkRequest request(link, turns);
    // Wider bounds than the console's, so that a loaded machine cannot turn an answer into none.
    const RequestPlan generous{{50, 100}, {50, 100}};

    link.SetConsoleCommand(0x1234, 0, false);
    auto ok = request.Run(RequestCode::Command, generous);
    EXPECT_EQ(ok.outcome, RequestOutcome::Answered);
    EXPECT_EQ(ok.status, 0);
    auto sent = peer.lastOf(0x25);
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->bytes, (std::vector<std::uint8_t>{0x77, 0x70, 0x61, 0x25, 0x08, 0x00, 0x00, 0x0A, 0x01,
                                                      0x34, 0x12, 0x00, 0x00, 0x00, 0x3D, 0x07}));
    // While the reply is awaited and until Finish, the cycles go on but send nothing.
    std::size_t from = client.events.size();
    pumpFor(300);
    std::size_t quietCycles = 0;
    for (std::size_t i = from; i < client.events.size(); ++i) {
        EXPECT_EQ(client.events[i].sentCode, 0);
        quietCycles += !client.events[i].frame;
    }
    EXPECT_GT(quietCycles, 0u);
    request.Finish();
    std::size_t polls = peer.countOf(0x10);
    ASSERT_TRUE(waitFor([&] { return peer.countOf(0x10) > polls; }));

    peer.setStatus(0x30, 0x10);
    auto failed = request.Run(RequestCode::MemoryWrite, {generous.pickUp, generous.reply, 50});
    EXPECT_EQ(failed.outcome, RequestOutcome::Answered);
    EXPECT_EQ(failed.status, 0x10);
    request.Finish();

    peer.setAnswering(false);
    auto silent = request.Run(RequestCode::Reset, {generous.pickUp, {10, 50}});
    EXPECT_EQ(silent.outcome, RequestOutcome::NoAnswer);
    EXPECT_TRUE(waitFor([&] { return peer.countOf(0xF0) == 1; }));
    request.Finish();
}

TEST_F(LinkOverPty, FramesThatArriveDuringAWaitAreHandedOverAsTheyComeNotOnePerTurn) {
    // Late replies to the polls sent before a request come in a bunch while
    // the request waits; were they handed over one per turn of the wait,
    // they would use up its turns before the reply came.
    peer.setAnswering(false);
    openRunning();
    ASSERT_TRUE(waitFor([&] { return client.cycles >= 2; }));
    constexpr int kFrames = 12;
    std::vector<std::uint8_t> burst;
    for (int i = 0; i < kFrames; ++i) {
        auto frame = peerAnswer(0x10, 0);
        burst.insert(burst.end(), frame.begin(), frame.end());
    }
    const std::int32_t io = link.ioCount();
    peer.sendRaw(burst);
    EventPumpTurns turns;
    for (int turn = 0; turn < 6 && link.ioCount() - io < kFrames; ++turn)
        turns.Turn(50);
    EXPECT_EQ(link.ioCount() - io, kFrames);
}

TEST_F(LinkOverPty, VanishedDeviceRunsDownWithoutSpinningAndCanBeOpenedAgain) {
    openRunning();
    ASSERT_TRUE(waitFor([&] { return link.LinkAlive(); }));
    peer.closeMaster();

    timespec cpu0{}, cpu1{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu0);
    auto wall0 = std::chrono::steady_clock::now();
    ASSERT_TRUE(waitFor([&] { return !link.LinkAlive(); }, 20000, 20));
    waitFor([] { return false; }, 1000, 20);
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu1);
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    double cpu = (cpu1.tv_sec - cpu0.tv_sec) + (cpu1.tv_nsec - cpu0.tv_nsec) / 1e9;
    std::printf("vanished device: %.3f s CPU in %.3f s\n", cpu, wall);
    // A spinning worker would use a whole core.
    EXPECT_LT(cpu / wall, 0.5);
    // A device that is gone is closed; the port waits to be opened again.
    EXPECT_FALSE(port->IsOpen());

    PtyBoardPeer back;
    port->setPortMap(mapTo(back.slavePath()));
    ASSERT_TRUE(port->Open(QStringLiteral("COM1")));
    port->SetRun(true);
    EXPECT_TRUE(waitFor([&] { return link.LinkAlive() && back.countOf(0x10) > 0; }));
}

} // namespace
} // namespace veltra::test
