#pragma once
// The board's state as one line of JSON, for scripts and tests:
// {"leds":[[c,b],...13],"ports":[6 bytes],"portBrightness":[5],"relays":[0|1,0|1],
//  "buttons":[3 x 0|1],"A":n,"B":n,"stores":[{...},{...}],"pc":n,"word":n|null,
//  "programSize":n,"running":bool,"paused":bool,"forwarded":{"count":n,"last":n}}
// A store is {"kind":"empty"} or carries its saved object (see docs/virtual-board.md).

#include <cstdint>
#include <span>
#include <string>

#include "board/BoardState.h"

namespace veltra {

// `program` gives "word", the word at pc (null past the end of the program).
std::string stateJson(const BoardState& s, std::span<const std::uint16_t> program);

} // namespace veltra
