#pragma once
// The host's side of the conversation with the board. It lives on the GUI
// thread only: requesters raise flags, OnLinkCycle (once per active worker
// cycle) turns the first raised flag into a frame or sends a poll, and
// OnFrameReceived records every reply. Nothing here needs a lock.

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "compiler/ProgramImage.h"
#include "wire/FrameCodec.h"
#include "wire/LinkCycle.h"

namespace veltra {

// Worker cycles a reply keeps the link alive.
constexpr std::int32_t kLinkAliveCycles = cyclesIn(std::chrono::seconds(2));

class LinkProtocol {
  public:
    // Pending requests, cleared when their frame is built.
    bool uploadRequest = false;
    bool statusRequest = false;
    bool consoleCommandRequest = false;
    bool memoryWriteRequest = false;
    bool memoryEraseRequest = false;
    bool resetRequest = false;
    // Set on a view switch: the next cycle without a request sends nothing.
    bool skipPoll = false;

    // Data of the next Command request: 1, word (low byte first), external
    // prefix word or 0 (low byte first), 1 for an external-module command.
    std::array<std::uint8_t, 6> consoleCommand{};
    // Data of the next Upload request: the program's words, in program order.
    std::vector<std::uint16_t> uploadWords;

    std::uint8_t pendingRequestCode = 0; // 0 = none; no polls while set
    std::uint8_t lastReplyCode = 0;
    std::uint8_t lastReplyStatus = 0;
    std::int32_t linkCountdown = 0;
    std::int32_t ioCount = 0;

    // The reply to the request in progress, kept from the moment it came:
    // the first frame with pendingRequestCode after that request's frame was
    // built. A reply counts only if it came after its request: lastReplyCode
    // is never cleared, so an earlier reply with the same code (the board
    // answered the last command, then went quiet) must not pass for the
    // answer to this one. And it counts whatever comes with it: several
    // frames may be handed over between two looks of the waiting requester.
    bool awaitedReplyIn = false;
    std::uint8_t awaitedReplyStatus = 0;

    // Shows a text in the main window's message line ("ERROR EEPROM").
    std::function<void(const QString&)> showMessage;

    void SetConsoleCommand(std::uint16_t word, std::uint16_t prefixWord, bool external);
    // The words of `image` become the data of the next Upload request.
    void SetUploadProgram(const ProgramImage& image);

    // One active worker cycle: builds at most one frame into `tx`. An upload
    // request without words builds no frame at all (it would wipe the board's
    // program), so its requester hears no answer.
    void OnLinkCycle(TxFrameSlot& tx);
    // The worker stopped: no frame can come, so the link counts as lost at
    // once. A frame the worker read before it stopped may still be handed
    // over afterwards (its step was already queued); it is dropped, since
    // nothing would count the link down again after it.
    void OnLinkStopped() {
        linkCountdown = 0;
        stopped_ = true;
    }
    // The worker services the port again.
    void OnLinkStarted() { stopped_ = false; }
    // One complete frame from the board, header included.
    void OnFrameReceived(std::span<const std::uint8_t> frame);

    bool LinkAlive() const { return linkCountdown > 0; }
    // The reply to the request in progress has come (awaitedReplyIn).
    bool ReplyArrived() const { return pendingRequestCode != 0 && awaitedReplyIn; }
    // The flag that raises the request of `code`; nullptr for Poll.
    bool* RequestFlag(RequestCode code);

  private:
    bool stopped_ = false;
};

} // namespace veltra
