#include "link/LinkProtocol.h"

#include <algorithm>

namespace veltra {

namespace {

constexpr std::size_t kCodeByte = 3;
constexpr std::size_t kStatusByte = 6;

bool buildUpload(TxFrameSlot& tx, const std::vector<std::uint16_t>& words) {
    if (words.empty()) return false;
    std::vector<std::uint8_t> data;
    data.reserve(2 * words.size());
    for (std::uint16_t word : words) {
        data.push_back(static_cast<std::uint8_t>(word & 0xFF));
        data.push_back(static_cast<std::uint8_t>(word >> 8));
    }
    // A program too long for one frame builds nothing; the upload then reports no answer.
    return BuildFrame(tx, RequestCode::Upload, data.data(), data.size());
}

} // namespace

void LinkProtocol::SetConsoleCommand(std::uint16_t word, std::uint16_t prefixWord, bool external) {
    consoleCommand = {1,
                      static_cast<std::uint8_t>(word & 0xFF),
                      static_cast<std::uint8_t>(word >> 8),
                      static_cast<std::uint8_t>(prefixWord & 0xFF),
                      static_cast<std::uint8_t>(prefixWord >> 8),
                      static_cast<std::uint8_t>(external ? 1 : 0)};
}

bool* LinkProtocol::RequestFlag(RequestCode code) {
    switch (code) {
    case RequestCode::Upload:
        return &uploadRequest;
    case RequestCode::Command:
        return &consoleCommandRequest;
    case RequestCode::MemoryWrite:
        return &memoryWriteRequest;
    case RequestCode::MemoryErase:
        return &memoryEraseRequest;
    case RequestCode::Reset:
        return &resetRequest;
    case RequestCode::Status:
        return &statusRequest;
    case RequestCode::Poll:
        return nullptr;
    }
    return nullptr;
}

void LinkProtocol::SetUploadProgram(const ProgramImage& image) {
    const std::size_t count = std::min<std::size_t>(image.count, image.words.size());
    uploadWords.assign(image.words.begin(), image.words.begin() + static_cast<std::ptrdiff_t>(count));
}

void LinkProtocol::OnLinkCycle(TxFrameSlot& tx) {
    auto send = [&](RequestCode code, const std::uint8_t* data = nullptr, std::size_t length = 0) {
        BuildFrame(tx, code, data, length);
        pendingRequestCode = static_cast<std::uint8_t>(code);
        awaitedReplyIn = false;
    };

    if (uploadRequest) {
        uploadRequest = false;
        if (buildUpload(tx, uploadWords)) {
            pendingRequestCode = static_cast<std::uint8_t>(RequestCode::Upload);
            awaitedReplyIn = false;
        }
    } else if (consoleCommandRequest) {
        consoleCommandRequest = false;
        send(RequestCode::Command, consoleCommand.data(), consoleCommand.size());
    } else if (memoryWriteRequest) {
        memoryWriteRequest = false;
        send(RequestCode::MemoryWrite);
    } else if (memoryEraseRequest) {
        memoryEraseRequest = false;
        send(RequestCode::MemoryErase);
    } else if (resetRequest) {
        resetRequest = false;
        send(RequestCode::Reset);
    } else if (statusRequest) {
        statusRequest = false;
        send(RequestCode::Status);
    } else if (skipPoll) {
        skipPoll = false;
    } else if (pendingRequestCode == 0) {
        BuildFrame(tx, RequestCode::Poll, nullptr, 0);
    }

    if (linkCountdown > 0) --linkCountdown;
}

void LinkProtocol::OnFrameReceived(std::span<const std::uint8_t> frame) {
    if (frame.size() <= kStatusByte || stopped_) return;
    linkCountdown = kLinkAliveCycles;
    lastReplyCode = frame[kCodeByte];
    lastReplyStatus = frame[kStatusByte];
    if (pendingRequestCode != 0 && lastReplyCode == pendingRequestCode && !awaitedReplyIn) {
        awaitedReplyIn = true;
        awaitedReplyStatus = lastReplyStatus;
    }
    const bool memoryReply = lastReplyCode == static_cast<std::uint8_t>(RequestCode::MemoryWrite) ||
                             lastReplyCode == static_cast<std::uint8_t>(RequestCode::MemoryErase);
    if (memoryReply && lastReplyStatus != 0 && showMessage) showMessage(QStringLiteral("ERROR EEPROM"));
    if ((lastReplyStatus & kMemoryFailureBit) == 0) ++ioCount;
}

} // namespace veltra
