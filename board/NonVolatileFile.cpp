#include "board/NonVolatileFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <system_error>

#include "board/BoardState.h"

namespace veltra {

namespace {

constexpr const char* kHeader = "veltra-board program 1";
constexpr const char* kEnd = "end";
// Far more than 1000 words need; a bigger file is not ours.
constexpr std::uintmax_t kMaxFileBytes = 64 * 1024;

NonVolatileRead corrupt(const std::filesystem::path& path, const std::string& why) {
    NonVolatileRead r;
    r.status = NonVolatileStatus::Corrupt;
    r.message = path.string() + ": " + why;
    return r;
}

bool parseHexWord(const std::string& line, std::uint16_t& word) {
    if (line.size() != 4) return false;
    unsigned value = 0;
    for (char c : line) {
        value <<= 4;
        if (c >= '0' && c <= '9')
            value |= static_cast<unsigned>(c - '0');
        else if (c >= 'A' && c <= 'F')
            value |= static_cast<unsigned>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            value |= static_cast<unsigned>(c - 'a' + 10);
        else
            return false;
    }
    word = static_cast<std::uint16_t>(value);
    return true;
}

bool readLine(std::istream& in, std::string& line) {
    if (!std::getline(in, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

} // namespace

NonVolatileRead readNonVolatileFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return {};
    if (!std::filesystem::is_regular_file(path, ec)) return corrupt(path, "not a regular file");
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return corrupt(path, "cannot read: " + ec.message());
    if (size > kMaxFileBytes) return corrupt(path, "too large for a board program");

    std::ifstream in(path, std::ios::binary);
    if (!in) return corrupt(path, std::string("cannot open: ") + std::strerror(errno));

    std::string line;
    if (!readLine(in, line) || line != kHeader) return corrupt(path, "not a board program copy");
    if (!readLine(in, line) || line.rfind("words ", 0) != 0) return corrupt(path, "word count missing");
    const std::string countText = line.substr(6);
    if (countText.empty() || countText.size() > 4 ||
        countText.find_first_not_of("0123456789") != std::string::npos)
        return corrupt(path, "bad word count");
    const std::size_t count = std::stoul(countText);
    if (count > kProgramCapacity) return corrupt(path, "more words than program memory holds");

    NonVolatileRead r;
    r.status = NonVolatileStatus::Loaded;
    r.words.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint16_t w = 0;
        if (!readLine(in, line)) return corrupt(path, "ends after " + std::to_string(i) + " words");
        if (!parseHexWord(line, w)) return corrupt(path, "bad word on line " + std::to_string(i + 3));
        r.words.push_back(w);
    }
    if (!readLine(in, line) || line != kEnd) return corrupt(path, "end mark missing");
    return r;
}

std::string writeNonVolatileFile(const std::filesystem::path& path, std::span<const std::uint16_t> words) {
    std::ostringstream text;
    text << kHeader << '\n' << "words " << words.size() << '\n';
    char hex[8];
    for (std::uint16_t w : words) {
        std::snprintf(hex, sizeof hex, "%04X\n", static_cast<unsigned>(w));
        text << hex;
    }
    text << kEnd << '\n';

    std::filesystem::path temp = path;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return temp.string() + ": cannot create: " + std::strerror(errno);
        out << text.str();
        out.close();
        if (out.fail()) {
            std::error_code ignored;
            std::filesystem::remove(temp, ignored);
            return temp.string() + ": write failed";
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        return path.string() + ": cannot replace: " + ec.message();
    }
    return {};
}

} // namespace veltra
