#pragma once
// A ComPort on the slave side of a pseudo-terminal whose master side is played
// by the test's board peer, with the link protocol behind it and a log of what
// the worker's synchronised steps did.

#include <gtest/gtest.h>

#include <QString>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "link/ComPort.h"
#include "link/LinkProtocol.h"
#include "link/ProtocolClient.h"
#include "link/SelectPort.h"
#include "link/TCOMport.h"
#include "tests/support/PtyBoardPeer.h"
#include "tests/support/WaitFor.h"

namespace veltra::test {

// Forwards to the protocol and notes every step, in order.
class RecordingClient : public LinkClient {
  public:
    struct Event {
        bool frame;                      // OnFrameReceived, else OnLinkCycle
        std::vector<std::uint8_t> bytes; // the frame received
        std::int32_t countdownAfter;
        std::size_t cyclesBefore;  // OnLinkCycle calls before this event
        unsigned long workerCycle; // the worker's active cycle it happened in
        std::uint8_t sentCode = 0; // code of the frame the cycle built, 0 = none
        std::chrono::steady_clock::time_point at = std::chrono::steady_clock::now();
    };

    explicit RecordingClient(LinkProtocol& link) : link_(link), inner_(link) {}

    void OnFrameReceived(std::span<const std::uint8_t> frame) override {
        inner_.OnFrameReceived(frame);
        events.push_back({true, {frame.begin(), frame.end()}, link_.linkCountdown(), cycles, workerCycles()});
    }
    void OnLinkCycle(TxFrameSlot& tx) override {
        inner_.OnLinkCycle(tx);
        events.push_back({false, {}, link_.linkCountdown(), cycles, workerCycles()});
        if (tx.txPending) events.back().sentCode = tx.txFrame[3];
        ++cycles;
    }
    void OnLinkStopped() override { inner_.OnLinkStopped(); }
    void OnLinkStarted() override { inner_.OnLinkStarted(); }

    std::vector<Event> events;
    std::size_t cycles = 0;
    // The port whose worker's cycles are noted.
    const ComPort* port = nullptr;

  private:
    unsigned long workerCycles() const { return port ? port->worker().ActiveCycles() : 0; }

    LinkProtocol& link_;
    ProtocolClient inner_;
};

class RecordingReporter : public PortReporter {
  public:
    void errorBeep() override { calls.push_back(QStringLiteral("beep")); }
    void setPortPanel(const QString& text) override { calls.push_back(QStringLiteral("panel:") + text); }
    void showPortError(const QString& message) override { calls.push_back(QStringLiteral("box:") + message); }
    std::vector<QString> calls;
};

class LinkOverPty : public ::testing::Test {
  protected:
    PortMap mapTo(const std::string& path) {
        PortMap map;
        map.com1 = QByteArray::fromStdString(path);
        return map;
    }

    // Opens COM1 on the peer and starts the link.
    void openRunning() {
        port = std::make_unique<ComPort>(&client, mapTo(peer.slavePath()), portTurns);
        client.port = port.get();
        ASSERT_TRUE(port->Open(QStringLiteral("COM1"))) << port->OpenFailureMessage().toStdString();
        port->SetRun(true);
    }

    PtyBoardPeer peer;
    LinkProtocol link;
    RecordingClient client{link};
    PlainTurns portTurns;
    std::unique_ptr<ComPort> port;
};

} // namespace veltra::test
