#include "tools/veltra-board/BoardProtocol.h"

#include <algorithm>
#include <iterator>

namespace veltra::board_sim {

std::uint16_t boardCrc(const std::uint8_t* bytes, std::size_t length) {
    std::uint16_t crc = 0;
    while (length--) {
        crc ^= *bytes++;
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0x8408) : crc >> 1;
    }
    return crc;
}

std::optional<BoardRequest> BoardFrameParser::takeOne() {
    for (;;) {
        std::size_t start = 0;
        while (start < buffer_.size() && buffer_[start] != 0x77)
            ++start;
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(start));
        if (buffer_.size() < 8) return std::nullopt;
        std::size_t length = buffer_[4] | (buffer_[5] << 8);
        if (buffer_[7] != 0x0A || length + 8 > kMaxFrame || length == 1) {
            // Not a header (or one that cannot be right): look for the next start.
            buffer_.erase(buffer_.begin());
            continue;
        }
        if (buffer_.size() < length + 8) return std::nullopt;

        BoardRequest request;
        request.code = buffer_[3];
        request.raw.assign(buffer_.begin(), buffer_.begin() + static_cast<long>(length + 8));
        if (length > 0) {
            request.data.assign(buffer_.begin() + 8, buffer_.begin() + static_cast<long>(length + 6));
            std::uint16_t sent = static_cast<std::uint16_t>(buffer_[length + 6] | (buffer_[length + 7] << 8));
            request.crcOk = boardCrc(request.data.data(), request.data.size()) == sent;
        }
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(length + 8));
        return request;
    }
}

std::vector<BoardRequest> BoardFrameParser::push(const std::uint8_t* bytes, std::size_t length) {
    buffer_.insert(buffer_.end(), bytes, bytes + length);
    std::vector<BoardRequest> requests;
    while (auto request = takeOne())
        requests.push_back(std::move(*request));
    return requests;
}

std::vector<std::uint8_t> encodeAnswer(std::uint8_t code, const BoardAnswer& answer) {
    const std::size_t length = answer.payload.empty() ? 0 : answer.payload.size() + 2;
    std::vector<std::uint8_t> out(8 + length);
    const std::uint8_t header[8] = {0x77,
                                    0x70,
                                    0x61,
                                    code,
                                    static_cast<std::uint8_t>(length & 0xFF),
                                    static_cast<std::uint8_t>(length >> 8),
                                    answer.status,
                                    0x0A};
    std::copy(std::begin(header), std::end(header), out.begin());
    if (length > 0) {
        std::copy(answer.payload.begin(), answer.payload.end(), out.begin() + 8);
        std::uint16_t crc = boardCrc(answer.payload.data(), answer.payload.size());
        out[out.size() - 2] = static_cast<std::uint8_t>(crc & 0xFF);
        out[out.size() - 1] = static_cast<std::uint8_t>(crc >> 8);
    }
    return out;
}

} // namespace veltra::board_sim
