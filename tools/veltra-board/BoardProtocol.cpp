#include "tools/veltra-board/BoardProtocol.h"

#include <array>

namespace veltra::board_sim {

std::vector<BoardRequest> BoardFrameParser::push(const std::uint8_t* bytes, std::size_t length) {
    std::vector<BoardRequest> requests;
    for (std::size_t i = 0; i < length; ++i) {
        if (!assembler_.feed(bytes[i])) continue;
        const std::span<const std::uint8_t> frame = assembler_.frame();
        const std::span<const std::uint8_t> data = FrameData(frame);
        BoardRequest request;
        request.code = frame[kFrameCodeAt];
        request.data.assign(data.begin(), data.end());
        request.crcOk = FrameCrcMatches(frame);
        request.raw.assign(frame.begin(), frame.end());
        requests.push_back(std::move(request));
    }
    return requests;
}

std::vector<std::uint8_t> encodeAnswer(std::uint8_t code, const BoardAnswer& answer) {
    // Answers carry a few bytes at most, so they always fit into a frame.
    std::array<std::uint8_t, kFrameBufferSize> out{};
    const std::size_t n = EncodeFrame(code, answer.status, answer.payload, out);
    return {out.begin(), out.begin() + static_cast<long>(n)};
}

} // namespace veltra::board_sim
