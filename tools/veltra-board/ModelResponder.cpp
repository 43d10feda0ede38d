#include "tools/veltra-board/ModelResponder.h"

#include <cstdio>

#include "board/BoardRequests.h"
#include "board/WordText.h"
#include "os/ShownName.h"

namespace veltra::board_sim {

namespace {

std::string hex(unsigned value, int digits) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%0*X", digits, value);
    return buf;
}

std::string wordLine(std::uint16_t word) {
    return hex(word, 4) + "  " + describeWord(word);
}

} // namespace

ModelResponder::ModelResponder(BoardModel& board, EchoOptions options, std::ostream& log,
                               std::function<void()> applied)
    : board_(board), options_(std::move(options)), log_(log), applied_(std::move(applied)) {}

std::optional<BoardAnswer> ModelResponder::Answer(const BoardRequest& request) {
    if (options_.silent) return std::nullopt;
    BoardAnswer answer;
    answer.payload = answerPayload(request.code);
    if (auto forced = forcedStatus(options_, request)) {
        answer.status = forced->status;
        log_ << "   not done, " << forced->why << '\n' << std::flush;
        return answer;
    }
    const BoardReply reply = applyBoardRequest(board_, request.code, request.data);
    answer.status = reply.status;
    if (reply.status == kBoardAccepted)
        logApplied(request);
    else
        // A failed memory write names the copy's file.
        log_ << "   refused with status 0x" << hex(reply.status, 2) << ": " << escapedName(reply.note) << '\n'
             << std::flush;
    if (applied_) applied_();
    return answer;
}

void ModelResponder::logApplied(const BoardRequest& request) {
    switch (request.code) {
    case board_request::Upload: {
        const auto program = board_.program();
        log_ << "   program of " << program.size() << " words stored and started\n";
        for (std::size_t i = 0; i < program.size(); ++i)
            log_ << "   [" << i << "] " << wordLine(program[i]) << '\n';
        break;
    }
    case board_request::Command:
        // A word for the external module is logged as an event of the board.
        if (request.data.size() == 6 && request.data[5] == 0)
            log_ << "   command "
                 << wordLine(static_cast<std::uint16_t>(request.data[1] | request.data[2] << 8)) << '\n';
        break;
    case board_request::MemoryWrite:
        log_ << "   non-volatile copy written (" << board_.program().size() << " words)"
             << (board_.nonVolatilePath().empty() ? ""
                                                  : ": " + escapedName(board_.nonVolatilePath().string()))
             << '\n';
        break;
    case board_request::MemoryErase:
        log_ << "   non-volatile copy erased\n";
        break;
    case board_request::Reset:
        log_ << "   reset: outputs off, program restarted\n";
        break;
    default:
        break;
    }
    log_ << std::flush;
}

} // namespace veltra::board_sim
