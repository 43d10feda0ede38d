// libFuzzer target: the board's saved program (veltra-board --memory), any
// bytes as the file. Besides crashes and sanitizer reports it traps when the
// reading breaks its promises: a refusal names the file and keeps no word; a
// copy it takes holds no more words than program memory and reads back the
// same once written; and a program the board accepts runs, with the buttons
// pressed and released, for a few seconds of board time without meeting a
// word it cannot execute, its lamps within their ranges.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "board/BoardModel.h"
#include "board/NonVolatileFile.h"
#include "tests/fuzz/Require.h"

namespace {

using namespace veltra;
using veltra::fuzz::require;

void checkState(const BoardState& state, std::size_t programSize) {
    require(state.programSize == programSize && state.pc <= programSize);
    for (const LedState& led : state.leds)
        require(led.colour <= kMaxColour && led.brightness <= kMaxBrightness);
    for (const std::uint8_t brightness : state.portBrightness)
        require(brightness <= kMaxBrightness);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string name = "board.nv";
    const NonVolatileRead copy = parseNonVolatileText(text, name);
    if (copy.status != NonVolatileStatus::Loaded) {
        require(copy.status == NonVolatileStatus::Corrupt && copy.words.empty() &&
                copy.message.starts_with(name + ": "));
        return 0;
    }
    require(copy.words.size() <= kProgramCapacity && copy.message.empty());
    const NonVolatileRead again = parseNonVolatileText(nonVolatileText(copy.words), name);
    require(again.status == NonVolatileStatus::Loaded && again.words == copy.words);

    BoardModel board;
    if (!board.loadProgram(copy.words)) return 0;
    // Two seconds in steps of 50 ms, a button changing at each.
    for (int step = 1; step <= 40; ++step) {
        board.setButton(step % kButtonCount + 1, (step / kButtonCount) % 2 == 0);
        board.run(BoardTime(step * 50), {200, {}});
        checkState(board.state(), copy.words.size());
        for (const BoardEvent& event : board.takeEvents())
            require(event.kind == BoardEvent::Kind::Forwarded && event.index >= 0 &&
                    std::size_t(event.index) < copy.words.size());
    }
    return 0;
}
