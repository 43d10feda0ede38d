#include "tests/support/PeerFrameParser.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace veltra::test {

namespace {

std::array<std::uint16_t, 256> makeTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned n = 0; n < 256; ++n) {
        unsigned value = n;
        for (int k = 0; k < 8; ++k)
            value = (value & 1) ? (value >> 1) ^ 0x8408u : value >> 1;
        table[n] = static_cast<std::uint16_t>(value);
    }
    return table;
}

} // namespace

std::uint16_t peerCrc(const std::uint8_t* bytes, std::size_t length) {
    static const auto table = makeTable();
    unsigned crc = 0;
    for (std::size_t i = 0; i < length; ++i)
        crc = (crc >> 8) ^ table[(crc ^ bytes[i]) & 0xFF];
    return static_cast<std::uint16_t>(crc);
}

std::vector<std::uint8_t> PeerFrame::data() const {
    if (bytes.size() <= 10) return {};
    return {bytes.begin() + 8, bytes.end() - 2};
}

bool PeerFrame::crcOk() const {
    if (declaredLength() == 0) return true;
    if (bytes.size() < 10) return false;
    auto d = data();
    std::uint16_t sent = static_cast<std::uint16_t>(bytes[bytes.size() - 2] | (bytes[bytes.size() - 1] << 8));
    return peerCrc(d.data(), d.size()) == sent;
}

std::vector<PeerFrame> PeerFrameParser::push(const std::uint8_t* bytes, std::size_t length) {
    pending_.insert(pending_.end(), bytes, bytes + length);
    std::vector<PeerFrame> frames;
    for (;;) {
        auto start = std::find(pending_.begin(), pending_.end(), std::uint8_t{0x77});
        pending_.erase(pending_.begin(), start);
        if (pending_.size() < 8) break;
        if (pending_[7] != 0x0A) {
            pending_.erase(pending_.begin());
            continue;
        }
        std::size_t total = 8 + (pending_[4] | (pending_[5] << 8));
        if (pending_.size() < total) break;
        frames.push_back(PeerFrame{{pending_.begin(), pending_.begin() + static_cast<long>(total)}});
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(total));
    }
    return frames;
}

std::vector<std::uint8_t> peerAnswer(std::uint8_t code, std::uint8_t status,
                                     const std::vector<std::uint8_t>& payload) {
    std::size_t length = payload.empty() ? 0 : payload.size() + 2;
    std::vector<std::uint8_t> out = {0x77,
                                     0x70,
                                     0x61,
                                     code,
                                     static_cast<std::uint8_t>(length & 0xFF),
                                     static_cast<std::uint8_t>(length >> 8),
                                     status,
                                     0x0A};
    if (!payload.empty()) {
        // Appended byte by byte: GCC 12 takes vector::insert of a range here
        // for a copy out of bounds (-Warray-bounds, a false alarm that fails
        // the Release build).
        std::copy(payload.begin(), payload.end(), std::back_inserter(out));
        std::uint16_t crc = peerCrc(payload.data(), payload.size());
        out.push_back(static_cast<std::uint8_t>(crc & 0xFF));
        out.push_back(static_cast<std::uint8_t>(crc >> 8));
    }
    return out;
}

} // namespace veltra::test
