#pragma once
// Cuts the received byte stream into frames. It knows only what finding the
// frame boundaries needs: a frame starts with 0x77, its header is 8 bytes, a
// header ending in 0x0A carries the payload length in bytes 4 and 5. Anything
// before a 0x77 is dropped, so the stream resynchronises by itself.
//
// The program's port and the board simulator both read with it; they differ
// only in what a header that cannot be right does (HeaderCheck).

#include <array>
#include <chrono>
#include <cstdint>
#include <span>
#include <utility>

#include "wire/FrameCodec.h"
#include "wire/LinkCycle.h"

namespace veltra {

class FrameAssembler {
  public:
    // A partly collected frame is dropped once a second of active cycles has
    // passed without a byte (in the 21st such cycle).
    static constexpr int kSilentCyclesBeforeDrop = cyclesIn(std::chrono::seconds(1));

    enum class HeaderCheck {
        // The program's port: a header whose byte 7 is not 0x0A keeps the
        // previous frame's length, and one that announces more than a buffer
        // holds is forgotten with the bytes collected so far.
        KeepLastLength,
        // The board: a header that is not 0x0A-terminated, announces more than
        // a buffer holds or a payload of one byte (no room for the CRC) is no
        // header; the search for a start goes on from the byte after its 0x77.
        Resynchronise,
    };

    explicit FrameAssembler(HeaderCheck check = HeaderCheck::KeepLastLength) : check_(check) {}

    // Start of an active cycle with `bytesWaiting` bytes in the receive queue:
    // counts the cycle as silent and drops a partly collected frame in the
    // 21st silent cycle in a row.
    void beginCycle(int bytesWaiting);

    // Takes one received byte. True when it completes a frame, which is then
    // `frame()` until the next byte is fed.
    bool feed(std::uint8_t byte);

    std::span<const std::uint8_t> frame() const {
        return {rxBuffer.data(), static_cast<std::size_t>(payloadLength) + kFrameHeaderSize};
    }

    // Breaks in the stream since the last call: a run of bytes outside any
    // frame, a header whose byte 7 is not 0x0A or that announces more than a
    // buffer holds, a partly collected frame dropped after a second of
    // silence. Each counts once.
    unsigned TakeFramingErrors() { return std::exchange(framingErrors_, 0u); }

    // The frame being collected, and the length taken from the last good header
    // (kept from frame to frame, 0 at start).
    std::array<std::uint8_t, kFrameBufferSize> rxBuffer{};
    int rxPos = 0;
    int payloadLength = 0;
    unsigned idleCycles = 0;

  private:
    bool acceptHeader();
    void searchAgainAfterStart();
    void dropHeader();

    HeaderCheck check_;
    unsigned framingErrors_ = 0;
    bool discarding_ = false; // the last byte was outside any frame
};

} // namespace veltra
