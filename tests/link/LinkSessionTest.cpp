// The link session's port from start-up to shutdown, with no window: the
// scripted board is its port and the port's turns, in simulated time; the
// owner's turns end as a closing window's do.

#include <gtest/gtest.h>

#include "link/LinkSession.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ScriptedBoard.h"

namespace veltra {
namespace {

using test::ScriptedBoard;

// The owner's turns, as a window's: they run on the board until the owner
// closes, and then end at once without waiting.
class OwnerTurns : public WaitTurns {
  public:
    explicit OwnerTurns(ScriptedBoard& board) : board_(board) {}
    void close() { closed_ = true; }

    void Turn(int stepMs) override {
        if (!closed_) board_.Turn(stepMs);
    }
    void Sleep(int ms) override {
        if (!closed_) board_.Sleep(ms);
    }
    void Pump() override {
        if (!closed_) board_.Pump();
    }
    bool Aborted() const override { return closed_; }

  private:
    ScriptedBoard& board_;
    bool closed_ = false;
};

class Reporter : public SessionReporter {
  public:
    void errorBeep() override { said.append(QStringLiteral("beep")); }
    void setPortPanel(const QString& text) override { said.append(QStringLiteral("panel:") + text); }
    void showPortError(const QString& message) override { said.append(QStringLiteral("box:") + message); }
    void showLinkMessage(const QString& text) override { said.append(QStringLiteral("message:") + text); }
    QStringList said;
};

// A session whose port is a scripted board, and its owner.
struct Rig {
    void runFor(int ms) {
        for (int turn = 0; turn < ms / 50; ++turn)
            owner.Turn(50);
    }

    ScriptedBoard board;
    OwnerTurns owner{board};
    Reporter reporter;
    LinkSession session{owner, &reporter, &board};
};

class LinkSessionTest : public ::testing::Test, protected Rig {
  protected:
    const PortMap ports{"/dev/board-1", "/dev/board-2", "/dev/board-3"};
};

TEST_F(LinkSessionTest, StartMakesThePortOpensTheNamedOneThenPausesAndKeepsItOpen) {
    const QStringList selected{"port made", "run off", "pump", "turn 200", "open COM1"};
    const struct {
        const char* name;
        QString portName;
        bool opens;
        QStringList calls;
        QStringList said;
    } cases[] = {
        {"a port that opens",
         "COM1",
         true,
         selected + QStringList{"run on", "sleep 50"},
         {"panel:Порт COM1 - ОК"}},
        {"a port that cannot be opened",
         "COM1",
         false,
         selected + QStringList{"sleep 50"},
         {"beep", "panel:Порт COM1 - ошибка", "box:scripted failure"}},
        // A name other than COM1..COM3 opens nothing and says nothing.
        {"an unknown name", "com1", true, {"port made", "run off", "pump", "turn 200", "sleep 50"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        auto& [board, owner, reporter, session] = rig;
        board.opens = c.opens;
        EXPECT_FALSE(session.StartBegun());
        EXPECT_EQ(session.port(), nullptr);

        session.Start(ports, c.portName);
        EXPECT_TRUE(session.Started());
        EXPECT_EQ(board.calls, c.calls);
        EXPECT_EQ(reporter.said, c.said);
        ASSERT_NE(session.port(), nullptr);
        EXPECT_EQ(session.port()->portMap().com2, ports.com2);
        EXPECT_TRUE(session.Reconnecting());
        EXPECT_FALSE(session.PortInTransition());

        // It runs once.
        session.Start(ports, c.portName);
        EXPECT_EQ(board.calls, c.calls);
    }
}

TEST_F(LinkSessionTest, TheOpenedPortPollsAndTheBoardsAnswersKeepTheLinkWorking) {
    board.answerPolls = true;
    session.Start(ports, QStringLiteral("COM1"));
    EXPECT_FALSE(session.LinkWorking());
    runFor(200);
    EXPECT_TRUE(session.LinkWorking());
}

TEST_F(LinkSessionTest, AnOwnerClosingDuringStartLeavesTheStepsNotYetTakenAndKeepsThePortForTheShutdown) {
    const struct {
        const char* moment;
        QString closeAt; // the call after which the owner closes; empty: before Start
        QStringList calls;
        QStringList said;
    } moments[] = {
        {"before the start", QString(), {}, {}},
        {"the port made", "port made", {"port made"}, {}},
        {"the link stopped for the switch", "run off", {"port made", "run off"}, {}},
        // A port opened while the owner closes is not reported: it goes at once.
        {"the port opening", "open COM1", {"port made", "run off", "pump", "turn 200", "open COM1"}, {}},
        {"the link started",
         "run on",
         {"port made", "run off", "pump", "turn 200", "open COM1", "run on"},
         {"panel:Порт COM1 - ОК"}},
    };
    for (const auto& m : moments) {
        SCOPED_TRACE(m.moment);
        Rig rig;
        auto& [board, owner, reporter, session] = rig;
        if (m.closeAt.isEmpty()) owner.close();
        board.onCall = [&](const QString& call) {
            if (call == m.closeAt) owner.close();
        };

        session.Start(ports, QStringLiteral("COM1"));
        EXPECT_EQ(board.calls, m.calls);
        EXPECT_TRUE(session.Started());
        EXPECT_FALSE(session.Reconnecting());
        EXPECT_FALSE(session.PortInTransition()); // so the closing may go on
        EXPECT_EQ(reporter.said, m.said);
        EXPECT_EQ(session.port() != nullptr, !m.calls.isEmpty());

        board.calls.clear();
        session.Shutdown();
        EXPECT_EQ(session.port(), nullptr);
        EXPECT_EQ(board.calls.contains(QStringLiteral("port destroyed")), !m.calls.isEmpty());
    }
}

TEST_F(LinkSessionTest, WhileStartingThePortIsInTransitionAndTheSessionNotYetStarted) {
    bool transitionSeen = false;
    board.onCall = [&](const QString& call) {
        if (call != QStringLiteral("turn 200")) return;
        transitionSeen = session.PortInTransition() && session.StartBegun() && !session.Started();
    };
    session.Start(ports, QStringLiteral("COM1"));
    EXPECT_TRUE(transitionSeen);
}

TEST_F(LinkSessionTest, ShutdownStopsTheReconnectThenTheLinkThenDestroysThePortWithItsOwnWaits) {
    board.answerPolls = true;
    session.Start(ports, QStringLiteral("COM1"));
    runFor(200);
    ASSERT_TRUE(session.link().LinkAlive());
    // The owner closes first; the shutdown's waits are the port's, and run all the same.
    owner.close();
    board.calls.clear();

    session.Shutdown();
    EXPECT_EQ(board.calls, QStringList({"turn 50", "turn 50", "run off", "turn 50", "turn 50", "pump",
                                        "port destroyed", "pump"}));
    EXPECT_FALSE(session.Reconnecting());
    EXPECT_EQ(session.port(), nullptr);
    EXPECT_FALSE(session.link().LinkAlive()); // a stopped link is lost at once
    EXPECT_FALSE(session.LinkWorking());
}

TEST_F(LinkSessionTest, SettingsReopenThePortWhenItsNameOrDeviceChangedOrASavedDialogFindsTheLinkNotWorking) {
    const PortMap edited{"/dev/other-1", "/dev/other-2", "/dev/other-3"};
    const struct {
        const char* name;
        bool boardAnswers;
        QString portName;
        bool saved;
        bool newDevice;
        QString opened; // empty: nothing is opened again
    } cases[] = {
        {"cancelled, link working", true, "COM1", false, false, {}},
        {"saved unchanged, link working", true, "COM1", true, false, {}},
        {"saved unchanged, board silent", false, "COM1", true, false, "COM1"},
        {"cancelled, board silent", false, "COM1", false, false, {}},
        {"another name", true, "COM2", false, false, "COM2"},
        {"another device for the same name", true, "COM1", true, true, "COM1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig;
        auto& [board, owner, reporter, session] = rig;
        board.answerPolls = c.boardAnswers;
        session.Start(ports, QStringLiteral("COM1"));
        rig.runFor(200);
        board.calls.clear();

        session.ApplyPortSettings(edited, c.portName, c.saved, c.newDevice);
        if (c.opened.isEmpty()) {
            EXPECT_TRUE(board.calls.isEmpty()) << board.calls.join(',').toStdString();
            EXPECT_EQ(session.port()->portMap().com1, ports.com1);
        } else {
            EXPECT_TRUE(board.calls.contains(QStringLiteral("open ") + c.opened));
            // The devices are those the settings file names now.
            EXPECT_EQ(session.port()->portMap().com1, edited.com1);
        }
    }
}

TEST_F(LinkSessionTest, SettingsChangeNothingBeforeTheStartOrOnceTheOwnerCloses) {
    session.ApplyPortSettings(ports, QStringLiteral("COM2"), true, true);
    EXPECT_TRUE(board.calls.isEmpty());
    EXPECT_EQ(session.port(), nullptr);

    session.Start(ports, QStringLiteral("COM1"));
    owner.close();
    board.calls.clear();
    session.ApplyPortSettings(ports, QStringLiteral("COM2"), true, true);
    EXPECT_TRUE(board.calls.isEmpty());
}

TEST_F(LinkSessionTest, ALostDeviceIsSaidQuietlyInThePortPanel) {
    board.answerPolls = true;
    session.Start(ports, QStringLiteral("COM3"));
    runFor(200);
    reporter.said.clear();
    board.loseDevice();
    EXPECT_EQ(reporter.said, QStringList({"panel:Порт COM3 - ошибка"})); // no sound, no box
    EXPECT_FALSE(session.link().LinkAlive());
}

} // namespace
} // namespace veltra
