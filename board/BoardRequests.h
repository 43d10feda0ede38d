#pragma once
// What the board does with each request the host sends, and the status byte it
// answers with. Framing is the link's business: `data` is the request's data
// bytes alone, without header or CRC.

#include <cstdint>
#include <span>
#include <string>

#include "wire/FrameCodec.h"

namespace veltra {

class BoardModel;

// The request codes as the bytes the board reads in a frame.
namespace board_request {
constexpr std::uint8_t Poll = static_cast<std::uint8_t>(RequestCode::Poll);
constexpr std::uint8_t Status = static_cast<std::uint8_t>(RequestCode::Status);
constexpr std::uint8_t Upload = static_cast<std::uint8_t>(RequestCode::Upload);
constexpr std::uint8_t Command = static_cast<std::uint8_t>(RequestCode::Command);
constexpr std::uint8_t MemoryWrite = static_cast<std::uint8_t>(RequestCode::MemoryWrite);
constexpr std::uint8_t MemoryErase = static_cast<std::uint8_t>(RequestCode::MemoryErase);
constexpr std::uint8_t Reset = static_cast<std::uint8_t>(RequestCode::Reset);
} // namespace board_request

constexpr std::uint8_t kBoardAccepted = 0x00;
constexpr std::uint8_t kBoardRejected = 0x01;
constexpr std::uint8_t kBoardMemoryFailure = kMemoryFailureBit;
// A program or copy that could not be stored: the host judges uploads and
// memory commands by the memory-failure bit alone, so it must be set.
constexpr std::uint8_t kBoardNotStored = kBoardRejected | kBoardMemoryFailure;

struct BoardReply {
    std::uint8_t status = kBoardAccepted;
    std::string note; // why a request was refused, for the simulator's log; empty when accepted
};

// Applies one request to the board and returns the reply status:
//   0x10 poll, 0x12 status: nothing changes, accepted.
//   0x24 upload: 2 bytes a word, low byte first; stored and started from index 0
//        (as after a reset). Odd length, more than 1000 words or a word the
//        board cannot run: nothing changes, 0x11.
//   0x25 command: byte 0 = 1, bytes 1-2 the word, bytes 3-4 the prefix, byte 5
//        the module flag. Flag 0 (prefix 0): the word executes at once; flag 1
//        (prefix 0xD100): the word is logged as forwarded. Anything else, or a
//        word the board does not execute from the console: 0x01.
//   0x30 memory write, 0x31 erase: the non-volatile copy; a file that cannot
//        be written: 0x11.
//   0xF0 reset: as BoardModel::reset().
//   any other code: 0x01.
BoardReply applyBoardRequest(BoardModel& board, std::uint8_t code, std::span<const std::uint8_t> data);

} // namespace veltra
