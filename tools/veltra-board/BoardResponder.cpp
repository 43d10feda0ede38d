#include "tools/veltra-board/BoardResponder.h"

#include "board/BoardRequests.h"

namespace veltra::board_sim {

namespace {
constexpr std::uint8_t kPoll = board_request::Poll;
constexpr std::uint8_t kMemoryFailure = kBoardMemoryFailure;
constexpr std::uint8_t kRejected = kBoardRejected;

bool touchesMemory(std::uint8_t code) {
    return code == board_request::Upload || code == board_request::MemoryWrite ||
           code == board_request::MemoryErase;
}

// A refused upload or memory request answers as the board answers one it
// could not store: the host judges those by the memory-failure bit alone, and
// status 1 would read as success.
std::uint8_t refusal(std::uint8_t code) {
    return touchesMemory(code) ? kBoardNotStored : kRejected;
}
} // namespace

std::optional<ForcedStatus> forcedStatus(const EchoOptions& options, const BoardRequest& request) {
    if (options.memoryFail && touchesMemory(request.code))
        return ForcedStatus{kMemoryFailure, "memory failure (--memory-fail)"};
    if (options.rejected.count(request.code))
        return ForcedStatus{refusal(request.code), "rejected (--reject)"};
    if (!request.crcOk) return ForcedStatus{refusal(request.code), "rejected: the data's CRC does not match"};
    return std::nullopt;
}

std::vector<std::uint8_t> answerPayload(std::uint8_t code) {
    if (code == kPoll) return {0x00, 0x00};
    return {};
}

std::optional<BoardAnswer> EchoResponder::Answer(const BoardRequest& request) {
    if (options_.silent) return std::nullopt;
    BoardAnswer answer;
    if (auto forced = forcedStatus(options_, request)) answer.status = forced->status;
    answer.payload = answerPayload(request.code);
    return answer;
}

} // namespace veltra::board_sim
