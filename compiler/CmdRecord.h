#pragma once
// The result of compiling one source line: the board command words it yields,
// a label it defines, or the status that says why it was rejected.

#include <cstddef>
#include <cstdint>

namespace veltra {

enum class CmdKind : std::uint8_t {
    Single = 0,       // word alone (nothing if word is 0)
    Conditional = 1,  // prefixWord (the condition), then word
    External = 2,     // prefixWord (the module prefix), then word forwarded to the external module
    Service = 100,    // console only: a MemoryService word selects an EEPROM request of the link
};

enum class CmdStatus : std::uint8_t {
    Ok = 0,
    BadLineStart = 1,
    LineTooLong = 2,
    BadCommand = 3,
    NoSuchCommand = 4,
    BadParameter = 5,
    Skip = 7,
};

struct CmdRecord {
    std::uint16_t word = 0;
    std::uint16_t prefixWord = 0;
    std::uint8_t label = 0;
    std::size_t rest = 0;  // position in the line where an embedded command begins
    CmdKind kind = CmdKind::Single;
    CmdStatus status = CmdStatus::Ok;
};

}  // namespace veltra
