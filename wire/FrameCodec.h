#pragma once
// The wire format shared with the board: an 8-byte header (0x77 'p' 'a',
// code, length low, length high, status, 0x0A), then the data followed by
// their CRC-16/KERMIT, low byte first. The length counts everything after the
// header, so a frame without data has length 0 and no CRC.
//
// Both ends of the line build and read frames with this code: the program's
// link and the board simulator. Plain C++, so the simulator needs no more of
// the link than the wire.

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

// The header, byte by byte.
constexpr std::uint8_t kFrameStart = 0x77; // byte 0, 'w'
constexpr std::uint8_t kFrameMarkP = 0x70; // byte 1, 'p'
constexpr std::uint8_t kFrameMarkA = 0x61; // byte 2, 'a'
constexpr std::size_t kFrameCodeAt = 3;    // the request's code, echoed in the answer
constexpr std::size_t kFrameLengthAt = 4;  // payload length, low byte first (bytes 4 and 5)
constexpr std::size_t kFrameStatusAt = 6;  // the board's status; 0 in requests
constexpr std::size_t kFrameEndAt = 7;     // holds kFrameHeaderEnd in a good header
constexpr std::uint8_t kFrameHeaderEnd = 0x0A;
constexpr std::size_t kFrameHeaderSize = 8;
constexpr std::size_t kFrameCrcSize = 2;

constexpr std::size_t kFrameBufferSize = 4096;
// Payload bytes (data and CRC) a frame buffer holds after the header.
constexpr std::size_t kMaxFramePayload = kFrameBufferSize - kFrameHeaderSize;
// Data bytes that still leave room for the header and the CRC.
constexpr std::size_t kMaxFrameData = kMaxFramePayload - kFrameCrcSize;

// An answer's status is 0 when the request was accepted. The host judges
// uploads and memory commands by the memory-failure bit alone.
constexpr std::uint8_t kMemoryFailureBit = 0x10;

// The outgoing frame handed from the link protocol to the port's worker.
struct TxFrameSlot {
    std::array<std::uint8_t, kFrameBufferSize> txFrame{};
    bool txPending = false;
    std::uint16_t txLength = 0;
};

// CRC-16/KERMIT: reflected polynomial 0x8408, initial value 0, no final XOR.
std::uint16_t FrameCrc(const std::uint8_t* bytes, std::size_t length);

// Builds a frame with `code`, `status` and `data` into `out`; returns its
// length, or 0 when the data would not fit into a frame.
std::size_t EncodeFrame(std::uint8_t code, std::uint8_t status, std::span<const std::uint8_t> data,
                        std::span<std::uint8_t, kFrameBufferSize> out);

// The request frame for `code` (status 0).
std::size_t EncodeFrame(RequestCode code, std::span<const std::uint8_t> data,
                        std::span<std::uint8_t, kFrameBufferSize> out);

// Builds the request frame into the slot and marks it pending. Data too long
// for a frame build nothing (the request then simply goes unanswered).
bool BuildFrame(TxFrameSlot& slot, RequestCode code, const std::uint8_t* data, std::size_t length);

// Reading a whole frame, header included, whose header is good (ends in 0x0A,
// so that bytes 4 and 5 give its length).
std::size_t FramePayloadLength(std::span<const std::uint8_t> frame);
// The data bytes, without the CRC; empty when the payload is too short to hold a CRC.
std::span<const std::uint8_t> FrameData(std::span<const std::uint8_t> frame);
// True when the frame has no payload or its last two bytes are the CRC of its data.
bool FrameCrcMatches(std::span<const std::uint8_t> frame);

} // namespace veltra
