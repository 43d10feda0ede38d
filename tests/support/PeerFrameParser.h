#pragma once
// The test board's own reading of host frames. It is written apart from the
// program's frame code on purpose: a mistake shared by both would otherwise
// pass every test. It is also stricter: a header must end in 0x0A.

#include <cstdint>
#include <vector>

namespace veltra::test {

struct PeerFrame {
    std::vector<std::uint8_t> bytes; // the whole frame, header included

    std::uint8_t code() const { return bytes.at(3); }
    std::uint8_t status() const { return bytes.at(6); }
    std::size_t declaredLength() const { return bytes.at(4) | (bytes.at(5) << 8); }
    // Data bytes without the CRC.
    std::vector<std::uint8_t> data() const;
    // True when there are no data, or the CRC after the data matches them.
    bool crcOk() const;
};

// CRC-16/KERMIT, computed here with a table of its own.
std::uint16_t peerCrc(const std::uint8_t* bytes, std::size_t length);

class PeerFrameParser {
  public:
    // Adds received bytes; returns the frames they complete, in order.
    std::vector<PeerFrame> push(const std::uint8_t* bytes, std::size_t length);
    std::size_t buffered() const { return pending_.size(); }

  private:
    std::vector<std::uint8_t> pending_;
};

// The bytes of a board answer: code, status, payload (with its CRC when not empty).
std::vector<std::uint8_t> peerAnswer(std::uint8_t code, std::uint8_t status,
                                     const std::vector<std::uint8_t>& payload = {});

} // namespace veltra::test
