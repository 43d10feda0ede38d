#pragma once
// The board's side of the wire: reading the host's request frames and
// writing answers, with the link's own frame code. The board resynchronises
// at any header that cannot be right, where the host keeps its last length.

#include <cstdint>
#include <vector>

#include "wire/FrameAssembler.h"

namespace veltra::board_sim {

struct BoardRequest {
    std::uint8_t code = 0;
    std::vector<std::uint8_t> data; // without the CRC
    bool crcOk = true;              // false when the data's CRC did not match
    std::vector<std::uint8_t> raw;  // the whole frame as received
};

struct BoardAnswer {
    std::uint8_t status = 0;
    std::vector<std::uint8_t> payload;
};

// Collects request frames from the received bytes: skips everything until a
// 0x77 that starts a header ending in 0x0A, then takes the announced length.
class BoardFrameParser {
  public:
    // Adds bytes; returns the requests they complete, in order.
    std::vector<BoardRequest> push(const std::uint8_t* bytes, std::size_t length);

  private:
    FrameAssembler assembler_{FrameAssembler::HeaderCheck::Resynchronise};
};

// The bytes of an answer to `code`: header with the status, then the payload
// and its CRC when there is a payload.
std::vector<std::uint8_t> encodeAnswer(std::uint8_t code, const BoardAnswer& answer);

} // namespace veltra::board_sim
