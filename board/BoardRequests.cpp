#include "board/BoardRequests.h"

#include <cstdio>
#include <vector>

#include "board/BoardModel.h"
#include "board/CommandWords.h"

namespace veltra {

namespace {

std::string hexWord(std::uint16_t w) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(w));
    return buf;
}

BoardReply refuse(std::uint8_t status, std::string note) {
    return {status, std::move(note)};
}

BoardReply upload(BoardModel& board, std::span<const std::uint8_t> data) {
    if (data.size() % 2 != 0) return refuse(kBoardNotStored, "upload: odd number of data bytes");
    std::vector<std::uint16_t> words(data.size() / 2);
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = static_cast<std::uint16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    if (words.size() > kProgramCapacity)
        return refuse(kBoardNotStored, "upload: " + std::to_string(words.size()) + " words do not fit");
    const int bad = firstUnrunnableWord(words);
    if (bad >= 0)
        return refuse(kBoardNotStored,
                      "upload: word " + std::to_string(bad) + " (" + hexWord(words[bad]) + ") cannot run");
    board.loadProgram(words);
    return {};
}

BoardReply command(BoardModel& board, std::span<const std::uint8_t> data) {
    if (data.size() != 6 || data[0] != 1) return refuse(kBoardRejected, "command: malformed data");
    const auto word = static_cast<std::uint16_t>(data[1] | (data[2] << 8));
    const auto prefix = static_cast<std::uint16_t>(data[3] | (data[4] << 8));
    const std::uint8_t flag = data[5];
    if (flag == 1 && prefix == kModulePrefixWord) {
        board.forwardToModule(word);
        return {};
    }
    if (flag != 0 || prefix != 0) return refuse(kBoardRejected, "command: bad prefix or module flag");
    if (!board.executeNow(word)) return refuse(kBoardRejected, "command: " + hexWord(word) + " not executed");
    return {};
}

BoardReply memory(bool written, const std::string& why) {
    if (written) return {};
    return refuse(kBoardNotStored, why);
}

} // namespace

BoardReply applyBoardRequest(BoardModel& board, std::uint8_t code, std::span<const std::uint8_t> data) {
    std::string why;
    switch (code) {
    case board_request::Poll:
    case board_request::Status:
        return {};
    case board_request::Upload:
        return upload(board, data);
    case board_request::Command:
        return command(board, data);
    case board_request::MemoryWrite:
        return memory(board.writeNonVolatile(&why), why);
    case board_request::MemoryErase:
        return memory(board.eraseNonVolatile(&why), why);
    case board_request::Reset:
        board.reset();
        return {};
    default:
        return refuse(kBoardRejected, "unknown request code");
    }
}

} // namespace veltra
