#pragma once
// The file that stands for the board's non-volatile memory. It is text, so a
// user can look into it:
//
//   veltra-board program 1
//   words 3
//   AEF8
//   4201
//   E000
//   end
//
// It is written to a temporary file beside it and renamed over it, so a crash
// while writing leaves the previous copy intact.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace veltra {

enum class NonVolatileStatus : std::uint8_t { Loaded, Missing, Corrupt };

struct NonVolatileRead {
    NonVolatileStatus status = NonVolatileStatus::Missing;
    std::vector<std::uint16_t> words;
    std::string message; // why a file was refused; empty otherwise
};

// Reads and checks the layout (header, count, four hex digits a line, end
// mark). Whether the words make a runnable program is the board's to judge.
NonVolatileRead readNonVolatileFile(const std::filesystem::path& path);

// The same check on the file's bytes; `name` starts a refusal's message.
NonVolatileRead parseNonVolatileText(std::string_view text, const std::string& name);

// The file's text for `words`, as the writer stores it.
std::string nonVolatileText(std::span<const std::uint16_t> words);

// Returns an empty string on success, else why the file could not be written.
std::string writeNonVolatileFile(const std::filesystem::path& path, std::span<const std::uint16_t> words);

} // namespace veltra
