#pragma once
// The wire format shared with the board: an 8-byte header (0x77 'p' 'a',
// code, length low, length high, status, 0x0A), then the data followed by
// their CRC-16/KERMIT, low byte first. The length counts everything after the
// header, so a frame without data has length 0 and no CRC.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace veltra {

enum class RequestCode : std::uint8_t {
    Poll = 0x10,
    Status = 0x12,
    Upload = 0x24,
    Command = 0x25,
    MemoryWrite = 0x30,
    MemoryErase = 0x31,
    Reset = 0xF0,
};

constexpr std::size_t kFrameBufferSize = 4096;
constexpr std::size_t kFrameHeaderSize = 8;
// Data bytes that still leave room for the header and the CRC.
constexpr std::size_t kMaxFrameData = kFrameBufferSize - kFrameHeaderSize - 2;

// The outgoing frame handed from the link protocol to the port's worker.
struct TxFrameSlot {
    std::array<std::uint8_t, kFrameBufferSize> txFrame{};
    bool txPending = false;
    std::uint16_t txLength = 0;
};

// CRC-16/KERMIT: reflected polynomial 0x8408, initial value 0, no final XOR.
std::uint16_t FrameCrc(const std::uint8_t* bytes, std::size_t length);

// Builds the request frame for `code` with `data` into `out`; returns its
// length, or 0 when the data would not fit into a frame.
std::size_t EncodeFrame(RequestCode code, std::span<const std::uint8_t> data,
                        std::span<std::uint8_t, kFrameBufferSize> out);

// Builds the request frame into the slot and marks it pending. Data too long
// for a frame build nothing (the request then simply goes unanswered).
bool BuildFrame(TxFrameSlot& slot, RequestCode code, const std::uint8_t* data, std::size_t length);

} // namespace veltra
