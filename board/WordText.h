#pragma once
// A command word written back in the board language ("свд_1 = к,15",
// "если А>100", "переход [12]"), for the board window and the simulator's log.

#include <cstdint>
#include <string>

namespace veltra {

// UTF-8. Words the board does not execute read "?".
std::string describeWord(std::uint16_t word);

} // namespace veltra
