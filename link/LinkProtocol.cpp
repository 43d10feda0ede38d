#include "link/LinkProtocol.h"

#include <algorithm>

namespace veltra {

namespace {

constexpr std::size_t kCodeByte = 3;
constexpr std::size_t kStatusByte = 6;

// The row of `code` in kRequestOrder; the table's size for Poll, which is none.
std::size_t rowOf(RequestCode code) {
    return static_cast<std::size_t>(std::find(kRequestOrder.begin(), kRequestOrder.end(), code) -
                                    kRequestOrder.begin());
}

} // namespace

void LinkProtocol::Raise(RequestCode code) {
    if (const std::size_t row = rowOf(code); row < raised_.size()) raised_[row] = true;
}

bool LinkProtocol::Raised(RequestCode code) const {
    const std::size_t row = rowOf(code);
    return row < raised_.size() && raised_[row];
}

void LinkProtocol::Withdraw(RequestCode code) {
    if (const std::size_t row = rowOf(code); row < raised_.size()) raised_[row] = false;
}

void LinkProtocol::SetConsoleCommand(std::uint16_t word, std::uint16_t prefixWord, bool external) {
    consoleCommand_ = {1,
                       static_cast<std::uint8_t>(word & 0xFF),
                       static_cast<std::uint8_t>(word >> 8),
                       static_cast<std::uint8_t>(prefixWord & 0xFF),
                       static_cast<std::uint8_t>(prefixWord >> 8),
                       static_cast<std::uint8_t>(external ? 1 : 0)};
}

void LinkProtocol::SetUploadProgram(const ProgramImage& image) {
    const std::size_t count = std::min<std::size_t>(image.count, image.words.size());
    uploadData_.clear();
    uploadData_.reserve(2 * count);
    for (std::size_t i = 0; i < count; ++i) {
        uploadData_.push_back(static_cast<std::uint8_t>(image.words[i] & 0xFF));
        uploadData_.push_back(static_cast<std::uint8_t>(image.words[i] >> 8));
    }
}

std::optional<std::span<const std::uint8_t>> LinkProtocol::requestData(RequestCode code) const {
    switch (code) {
    case RequestCode::Upload:
        // No words: no frame, which would wipe the board's program.
        if (uploadData_.empty()) return std::nullopt;
        return std::span<const std::uint8_t>(uploadData_);
    case RequestCode::Command:
        return std::span<const std::uint8_t>(consoleCommand_);
    default:
        return std::span<const std::uint8_t>();
    }
}

void LinkProtocol::OnLinkCycle(TxFrameSlot& tx) {
    const auto row = std::find(raised_.begin(), raised_.end(), true);
    if (row != raised_.end()) {
        *row = false;
        const RequestCode code = kRequestOrder[static_cast<std::size_t>(row - raised_.begin())];
        // A program too long for one frame builds nothing either; its upload
        // then reports no answer.
        const auto data = requestData(code);
        if (data && BuildFrame(tx, code, data->data(), data->size())) {
            pendingRequestCode_ = static_cast<std::uint8_t>(code);
            awaitedReplyIn_ = false;
            health_.FrameSent(pendingRequestCode_, false, LinkHealth::Clock::now());
        }
    } else if (skipPoll_) {
        skipPoll_ = false;
    } else if (pendingRequestCode_ == 0) {
        if (BuildFrame(tx, RequestCode::Poll, nullptr, 0))
            health_.FrameSent(static_cast<std::uint8_t>(RequestCode::Poll), true, LinkHealth::Clock::now());
    }

    if (linkCountdown_ > 0) --linkCountdown_;
}

void LinkProtocol::OnFrameReceived(std::span<const std::uint8_t> frame) {
    if (frame.size() <= kStatusByte || stopped_) return;
    health_.FrameReceived(frame, LinkHealth::Clock::now());
    linkCountdown_ = kLinkAliveCycles;
    lastReplyCode_ = frame[kCodeByte];
    lastReplyStatus_ = frame[kStatusByte];
    if (pendingRequestCode_ != 0 && lastReplyCode_ == pendingRequestCode_ && !awaitedReplyIn_) {
        awaitedReplyIn_ = true;
        awaitedReplyStatus_ = lastReplyStatus_;
    }
    const bool memoryReply = lastReplyCode_ == static_cast<std::uint8_t>(RequestCode::MemoryWrite) ||
                             lastReplyCode_ == static_cast<std::uint8_t>(RequestCode::MemoryErase);
    if (memoryReply && lastReplyStatus_ != 0 && showMessage_) showMessage_(QStringLiteral("ERROR EEPROM"));
    if ((lastReplyStatus_ & kMemoryFailureBit) == 0) ++ioCount_;
}

} // namespace veltra
