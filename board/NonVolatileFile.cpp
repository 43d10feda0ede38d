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

NonVolatileRead corrupt(const std::string& name, const std::string& why) {
    NonVolatileRead r;
    r.status = NonVolatileStatus::Corrupt;
    r.message = name + ": " + why;
    return r;
}

bool parseHexWord(std::string_view line, std::uint16_t& word) {
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

// The text's lines one by one, each without its "\n" or "\r\n".
class Lines {
  public:
    explicit Lines(std::string_view text) : rest_(text) {}

    bool next(std::string_view& line) {
        if (rest_.empty()) return false;
        const std::size_t end = rest_.find('\n');
        line = rest_.substr(0, end);
        rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        return true;
    }

  private:
    std::string_view rest_;
};

} // namespace

NonVolatileRead readNonVolatileFile(const std::filesystem::path& path) {
    const std::string name = path.string();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return {};
    if (!std::filesystem::is_regular_file(path, ec)) return corrupt(name, "not a regular file");

    std::ifstream in(path, std::ios::binary);
    if (!in) return corrupt(name, std::string("cannot open: ") + std::strerror(errno));
    // One byte more than allowed tells a file that is too large, also one
    // that grows while it is read.
    std::string text(kMaxFileBytes + 1, '\0');
    in.read(text.data(), std::streamsize(text.size()));
    if (in.bad()) return corrupt(name, "cannot read");
    text.resize(std::size_t(in.gcount()));
    if (text.size() > kMaxFileBytes) return corrupt(name, "too large for a board program");
    return parseNonVolatileText(text, name);
}

NonVolatileRead parseNonVolatileText(std::string_view text, const std::string& name) {
    Lines lines(text);
    std::string_view line;
    if (!lines.next(line) || line != kHeader) return corrupt(name, "not a board program copy");
    if (!lines.next(line) || !line.starts_with("words ")) return corrupt(name, "word count missing");
    const std::string_view countText = line.substr(6);
    if (countText.empty() || countText.size() > 4 ||
        countText.find_first_not_of("0123456789") != std::string::npos)
        return corrupt(name, "bad word count");
    const std::size_t count = std::stoul(std::string(countText));
    if (count > kProgramCapacity) return corrupt(name, "more words than program memory holds");

    NonVolatileRead r;
    r.status = NonVolatileStatus::Loaded;
    r.words.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint16_t w = 0;
        if (!lines.next(line)) return corrupt(name, "ends after " + std::to_string(i) + " words");
        if (!parseHexWord(line, w)) return corrupt(name, "bad word on line " + std::to_string(i + 3));
        r.words.push_back(w);
    }
    if (!lines.next(line) || line != kEnd) return corrupt(name, "end mark missing");
    return r;
}

std::string nonVolatileText(std::span<const std::uint16_t> words) {
    std::ostringstream text;
    text << kHeader << '\n' << "words " << words.size() << '\n';
    char hex[8];
    for (std::uint16_t w : words) {
        std::snprintf(hex, sizeof hex, "%04X\n", static_cast<unsigned>(w));
        text << hex;
    }
    text << kEnd << '\n';
    return text.str();
}

std::string writeNonVolatileFile(const std::filesystem::path& path, std::span<const std::uint16_t> words) {
    std::filesystem::path temp = path;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return temp.string() + ": cannot create: " + std::strerror(errno);
        out << nonVolatileText(words);
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
