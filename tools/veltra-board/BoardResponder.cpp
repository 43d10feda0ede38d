#include "tools/veltra-board/BoardResponder.h"

namespace veltra::board_sim {

namespace {
constexpr std::uint8_t kPoll = 0x10;
constexpr std::uint8_t kMemoryFailure = 0x10;
constexpr std::uint8_t kRejected = 0x01;

bool touchesMemory(std::uint8_t code) {
    return code == 0x24 || code == 0x30 || code == 0x31;
}
} // namespace

std::optional<BoardAnswer> EchoResponder::Answer(const BoardRequest& request) {
    if (options_.silent) return std::nullopt;
    BoardAnswer answer;
    if (options_.memoryFail && touchesMemory(request.code))
        answer.status = kMemoryFailure;
    else if (options_.rejected.count(request.code) || !request.crcOk)
        answer.status = kRejected;
    if (request.code == kPoll) answer.payload = {0x00, 0x00};
    return answer;
}

} // namespace veltra::board_sim
