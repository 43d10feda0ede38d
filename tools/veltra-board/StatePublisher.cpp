#include "tools/veltra-board/StatePublisher.h"

#include <cstdio>

#include "board/BoardModel.h"
#include "board/StateJson.h"
#include "board/WordText.h"

namespace veltra::board_sim {

namespace {

std::string hexWord(std::uint16_t word) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04X", static_cast<unsigned>(word));
    return buf;
}

std::string where(int index) {
    if (index < 0) return "console";
    std::string text = "[";
    text += std::to_string(index);
    text += ']';
    return text;
}

} // namespace

StatePublisher::StatePublisher(BoardModel& board, std::ostream& log, std::ostream* stateOut)
    : board_(board), log_(log), stateOut_(stateOut) {}

void StatePublisher::publish() {
    const auto events = board_.takeEvents();
    for (const BoardEvent& e : events) {
        switch (e.kind) {
        case BoardEvent::Kind::Forwarded:
            log_ << "   module " << where(e.index) << " " << hexWord(e.word) << "  " << describeWord(e.word)
                 << '\n';
            break;
        case BoardEvent::Kind::Halted:
            log_ << "   program halted at " << where(e.index) << " " << hexWord(e.word)
                 << ": not a word the board executes\n";
            break;
        }
    }
    if (!events.empty()) log_ << std::flush;

    if (!stateOut_ || printedRevision_ == board_.revision()) return;
    *stateOut_ << stateJson(board_.state(), board_.program()) << '\n' << std::flush;
    printedRevision_ = board_.revision();
    ++lines_;
}

} // namespace veltra::board_sim
