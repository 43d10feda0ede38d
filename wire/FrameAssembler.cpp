#include "wire/FrameAssembler.h"

namespace veltra {

namespace {
// A counter that never meets a byte would otherwise grow without bound; it
// starts again after two and a half seconds of silence.
constexpr unsigned kIdleWrap = cyclesIn(std::chrono::milliseconds(2500));
constexpr int kHeaderSize = static_cast<int>(kFrameHeaderSize);
} // namespace

void FrameAssembler::beginCycle(int bytesWaiting) {
    if (++idleCycles > kIdleWrap) idleCycles = 0;
    if (bytesWaiting == 0 && idleCycles > kSilentCyclesBeforeDrop) {
        idleCycles = 0;
        if (rxPos > 0) ++framingErrors_;
        rxPos = 0;
    }
}

bool FrameAssembler::feed(std::uint8_t byte) {
    idleCycles = 0;
    rxBuffer[static_cast<std::size_t>(rxPos)] = byte;
    rxPos = rxBuffer[0] == kFrameStart ? rxPos + 1 : 0;
    const bool discarded = rxPos == 0;
    if (discarded && !discarding_) ++framingErrors_;
    discarding_ = discarded;

    if (rxPos == kHeaderSize && !acceptHeader()) return false;
    if (rxPos == payloadLength + kHeaderSize) {
        rxPos = 0;
        return true;
    }
    return false;
}

// Called with a whole header collected; false when it was dropped.
bool FrameAssembler::acceptHeader() {
    const bool terminated = rxBuffer[kFrameEndAt] == kFrameHeaderEnd;
    const int announced = rxBuffer[kFrameLengthAt + 1] * 256 + rxBuffer[kFrameLengthAt];
    const bool fits = announced <= static_cast<int>(kMaxFramePayload);
    if (check_ == HeaderCheck::KeepLastLength) {
        // Tolerated, but still a break in the stream.
        if (!terminated) {
            ++framingErrors_;
            return true;
        }
        if (!fits) {
            // Cannot be held: forget this start and look for the next 0x77.
            dropHeader();
            rxPos = 0;
            return false;
        }
        payloadLength = announced;
        return true;
    }
    if (!terminated || !fits || announced == 1) {
        dropHeader();
        searchAgainAfterStart();
        return false;
    }
    payloadLength = announced;
    return true;
}

// One break: the stray bytes that follow the dropped header belong to it.
void FrameAssembler::dropHeader() {
    ++framingErrors_;
    discarding_ = true;
}

// Reads the header's bytes after its 0x77 again: a frame may start among them.
// Seven bytes cannot complete a header, so this never comes back here.
void FrameAssembler::searchAgainAfterStart() {
    std::array<std::uint8_t, kFrameHeaderSize - 1> rest{};
    std::copy(rxBuffer.begin() + 1, rxBuffer.begin() + kHeaderSize, rest.begin());
    rxPos = 0;
    for (std::uint8_t b : rest)
        feed(b);
}

} // namespace veltra
