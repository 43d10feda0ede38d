#pragma once
// A board played by the test on the master side of a real pseudo-terminal:
// the program opens the slave path as its serial port. The peer reads frames
// with its own parser, records them with their arrival times and answers them
// as told, from a thread of its own.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/PeerFrameParser.h"

namespace veltra::test {

struct ReceivedFrame {
    PeerFrame frame;
    std::chrono::steady_clock::time_point at;
};

class PtyBoardPeer {
  public:
    PtyBoardPeer();
    ~PtyBoardPeer();
    PtyBoardPeer(const PtyBoardPeer&) = delete;
    PtyBoardPeer& operator=(const PtyBoardPeer&) = delete;

    const std::string& slavePath() const { return slavePath_; }

    // Answer policy; by default every frame is answered at once with its code and status 0.
    void setAnswering(bool on) { answering_ = on; }
    void setStatus(std::uint8_t code, std::uint8_t status);
    void setReplyDelay(std::chrono::milliseconds delay);
    void setPollPayload(std::vector<std::uint8_t> payload);

    // Bytes to put on the line as they are (noise, broken or hand-made frames).
    void sendRaw(std::vector<std::uint8_t> bytes);
    // The device vanishes: the master side is closed; returns once it is.
    void closeMaster();

    std::vector<ReceivedFrame> frames() const;
    std::size_t frameCount() const;
    std::size_t countOf(std::uint8_t code) const;
    std::optional<PeerFrame> lastOf(std::uint8_t code) const;
    void clearFrames();
    // Called on the peer's thread right after it has written bytes to the host.
    void setOnWritten(std::function<void()> callback);

    // Bytes written to the host so far.
    std::size_t bytesSent() const { return bytesSent_; }

  private:
    void loop();
    void answer(const PeerFrame& frame);

    int master_ = -1;
    std::string slavePath_;
    PeerFrameParser parser_;

    mutable std::mutex mutex_;
    std::vector<ReceivedFrame> frames_;
    std::map<std::uint8_t, std::uint8_t> statusFor_;
    std::chrono::milliseconds delay_{0};
    std::vector<std::uint8_t> pollPayload_;
    std::vector<std::pair<std::chrono::steady_clock::time_point, std::vector<std::uint8_t>>> outbox_;
    std::function<void()> onWritten_;

    std::atomic<bool> answering_{true};
    std::atomic<bool> stop_{false};
    std::atomic<bool> closeRequested_{false};
    std::atomic<bool> closed_{false};
    std::atomic<std::size_t> bytesSent_{0};
    std::thread thread_;
};

} // namespace veltra::test
