#pragma once
// The host's side of the conversation with the board. It lives on the GUI
// thread only: requesters raise requests, OnLinkCycle (once per active worker
// cycle) turns the first raised one into a frame or sends a poll, and
// OnFrameReceived records every reply. Nothing here needs a lock, and only
// its own rules change its state: requesters and the display read it.

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "compiler/ProgramImage.h"
#include "link/LinkHealth.h"
#include "wire/FrameCodec.h"
#include "wire/LinkCycle.h"

namespace veltra {

// Worker cycles a reply keeps the link alive.
constexpr std::int32_t kLinkAliveCycles = cyclesIn(std::chrono::seconds(2));

// The requests a requester may raise, in the order OnLinkCycle serves them:
// of those raised, the first row's frame goes out in the next cycle. Each row
// has its flag, read under its own name below. A new request is a row here,
// its RequestCode, its flag's name, and its data in requestData.
inline constexpr std::array<RequestCode, 6> kRequestOrder{
    RequestCode::Upload,      // uploadRequest
    RequestCode::Command,     // consoleCommandRequest
    RequestCode::MemoryWrite, // memoryWriteRequest
    RequestCode::MemoryErase, // memoryEraseRequest
    RequestCode::Reset,       // resetRequest
    RequestCode::Status,      // statusRequest
};

class LinkProtocol {
  public:
    // A requester's side: raise the request of `code` (its data set first),
    // see whether the link has taken it yet, withdraw it when nobody waits
    // for it any more. Poll is no request and is never raised.
    void Raise(RequestCode code);
    bool Raised(RequestCode code) const;
    void Withdraw(RequestCode code);
    // The flags under their own names.
    bool uploadRequest() const { return Raised(RequestCode::Upload); }
    bool consoleCommandRequest() const { return Raised(RequestCode::Command); }
    bool memoryWriteRequest() const { return Raised(RequestCode::MemoryWrite); }
    bool memoryEraseRequest() const { return Raised(RequestCode::MemoryErase); }
    bool resetRequest() const { return Raised(RequestCode::Reset); }
    bool statusRequest() const { return Raised(RequestCode::Status); }

    // Data of the next Command request: 1, word (low byte first), external
    // prefix word or 0 (low byte first), 1 for an external-module command.
    void SetConsoleCommand(std::uint16_t word, std::uint16_t prefixWord, bool external);
    // The words of `image` become the data of the next Upload request.
    void SetUploadProgram(const ProgramImage& image);

    // Set on a view switch: the next cycle without a request sends nothing.
    void SkipNextPoll() { skipPoll_ = true; }
    bool skipPoll() const { return skipPoll_; }

    // The request in progress is over: pendingRequestCode = 0, so the link
    // polls again.
    void ClearPendingRequest() { pendingRequestCode_ = 0; }
    // 0 = none; no polls while set.
    std::uint8_t pendingRequestCode() const { return pendingRequestCode_; }
    // The reply to the request in progress has come: the first frame with
    // pendingRequestCode after that request's frame was built, whatever came
    // before or after it. A reply counts only if it came after its request:
    // lastReplyCode is never cleared, so an earlier reply with the same code
    // (the board answered the last command, then went quiet) must not pass
    // for the answer to this one.
    bool ReplyArrived() const { return pendingRequestCode_ != 0 && awaitedReplyIn_; }
    // That reply's status, kept from the moment it came.
    std::uint8_t awaitedReplyStatus() const { return awaitedReplyStatus_; }

    std::uint8_t lastReplyCode() const { return lastReplyCode_; }
    std::uint8_t lastReplyStatus() const { return lastReplyStatus_; }
    std::int32_t linkCountdown() const { return linkCountdown_; }
    std::int32_t ioCount() const { return ioCount_; }
    bool LinkAlive() const { return linkCountdown_ > 0; }

    // What the link has seen so far: polls, replies, round trips, errors.
    LinkHealth& health() { return health_; }

    // Shows a text in the main window's message line ("ERROR EEPROM").
    void SetShowMessage(std::function<void(const QString&)> showMessage) {
        showMessage_ = std::move(showMessage);
    }

    // One active worker cycle: builds at most one frame into `tx`. An upload
    // request without words builds no frame at all (it would wipe the board's
    // program), so its requester hears no answer.
    void OnLinkCycle(TxFrameSlot& tx);
    // The worker stopped: no frame can come, so the link counts as lost at
    // once. A frame the worker read before it stopped may still be handed
    // over afterwards (its step was already queued); it is dropped, since
    // nothing would count the link down again after it.
    void OnLinkStopped() {
        linkCountdown_ = 0;
        stopped_ = true;
    }
    // The worker services the port again.
    void OnLinkStarted() { stopped_ = false; }
    // One complete frame from the board, header included.
    void OnFrameReceived(std::span<const std::uint8_t> frame);

  private:
    // The data a request's frame carries; nothing when it can build none.
    std::optional<std::span<const std::uint8_t>> requestData(RequestCode code) const;

    std::array<bool, kRequestOrder.size()> raised_{}; // by row of kRequestOrder
    bool skipPoll_ = false;
    std::array<std::uint8_t, 6> consoleCommand_{};
    std::vector<std::uint8_t> uploadData_; // the program's words, low byte first
    std::uint8_t pendingRequestCode_ = 0;
    std::uint8_t lastReplyCode_ = 0;
    std::uint8_t lastReplyStatus_ = 0;
    std::int32_t linkCountdown_ = 0;
    std::int32_t ioCount_ = 0;
    bool awaitedReplyIn_ = false;
    std::uint8_t awaitedReplyStatus_ = 0;
    std::function<void(const QString&)> showMessage_;
    bool stopped_ = false;
    LinkHealth health_;
};

} // namespace veltra
