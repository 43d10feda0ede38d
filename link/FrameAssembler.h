#pragma once
// Cuts the received byte stream into frames. It knows only what finding the
// frame boundaries needs: a frame starts with 0x77, its header is 8 bytes, a
// header ending in 0x0A carries the payload length in bytes 4 and 5. Anything
// before a 0x77 is dropped, so the stream resynchronises by itself.

#include <array>
#include <cstdint>
#include <span>

namespace veltra {

class FrameAssembler {
  public:
    static constexpr int kBufferSize = 4096;
    static constexpr int kHeaderSize = 8;
    static constexpr int kMaxPayload = kBufferSize - kHeaderSize;
    static constexpr int kSilentCyclesBeforeDrop = 20;

    // Start of an active cycle with `bytesWaiting` bytes in the receive queue:
    // counts the cycle as silent and drops a partly collected frame in the
    // 21st silent cycle in a row.
    void beginCycle(int bytesWaiting);

    // Takes one received byte. True when it completes a frame, which is then
    // `frame()` until the next byte is fed.
    bool feed(std::uint8_t byte);

    std::span<const std::uint8_t> frame() const {
        return {rxBuffer.data(), static_cast<std::size_t>(payloadLength + kHeaderSize)};
    }

    // The frame being collected, and the length taken from the last good header
    // (kept from frame to frame, 0 at start).
    std::array<std::uint8_t, kBufferSize> rxBuffer{};
    int rxPos = 0;
    int payloadLength = 0;
    unsigned idleCycles = 0;
};

} // namespace veltra
