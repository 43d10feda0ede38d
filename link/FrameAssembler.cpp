#include "link/FrameAssembler.h"

namespace veltra {

namespace {
constexpr std::uint8_t kFrameStart = 0x77;
constexpr std::uint8_t kHeaderEnd = 0x0A;
// A counter that never meets a byte would otherwise grow without bound.
constexpr unsigned kIdleWrap = 50;
} // namespace

void FrameAssembler::beginCycle(int bytesWaiting) {
    if (++idleCycles > kIdleWrap) idleCycles = 0;
    if (bytesWaiting == 0 && idleCycles > kSilentCyclesBeforeDrop) {
        idleCycles = 0;
        rxPos = 0;
    }
}

bool FrameAssembler::feed(std::uint8_t byte) {
    idleCycles = 0;
    rxBuffer[static_cast<std::size_t>(rxPos)] = byte;
    rxPos = rxBuffer[0] == kFrameStart ? rxPos + 1 : 0;

    if (rxPos == kHeaderSize && rxBuffer[7] == kHeaderEnd) {
        int announced = rxBuffer[5] * 256 + rxBuffer[4];
        if (announced > kMaxPayload) {
            // Cannot be held: forget this start and look for the next 0x77.
            rxPos = 0;
            return false;
        }
        payloadLength = announced;
    }
    if (rxPos == payloadLength + kHeaderSize) {
        rxPos = 0;
        return true;
    }
    return false;
}

} // namespace veltra
