#include "files/IniLines.h"

#include <optional>

namespace veltra {

namespace {

std::string_view trimmed(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string_view view(const QByteArray& bytes) {
    return {bytes.constData(), std::size_t(bytes.size())};
}

// The section name of a header line, or nothing for any other line.
std::optional<std::string_view> sectionOf(std::string_view line) {
    line = trimmed(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    std::size_t close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trimmed(line.substr(1, close - 1));
}

// The key name of a key line, or nothing for comments, blanks and other lines.
std::optional<std::string_view> keyOf(std::string_view line) {
    line = trimmed(line);
    if (line.empty() || line.front() == ';' || line.front() == '#' || line.front() == '[')
        return std::nullopt;
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return trimmed(line.substr(0, eq));
}

} // namespace

IniLines::IniLines(const QByteArray& text) {
    if (text.startsWith("\xEF\xBB\xBF")) mark_ = text.first(3);
    qsizetype start = mark_.size();
    bool newlineKnown = false;
    while (start < text.size()) {
        qsizetype i = start;
        while (i < text.size() && text[i] != '\n' && text[i] != '\r')
            ++i;
        Line line{text.mid(start, i - start), {}};
        if (i < text.size()) {
            qsizetype endLen = (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            line.end = text.mid(i, endLen);
            if (!newlineKnown) {
                newline_ = line.end;
                newlineKnown = true;
            }
            i += endLen;
        }
        lines_.push_back(std::move(line));
        start = i;
    }
}

QByteArray IniLines::endBefore(std::size_t at) const {
    // A bare CR followed by a line that starts with LF would read back as one
    // CR LF, and that blank line would be gone.
    const bool nextStartsWithLf = at < lines_.size() && lines_[at].body.isEmpty() && lines_[at].end.startsWith('\n');
    return newline_ == "\r" && nextStartsWithLf ? QByteArray("\r\n") : newline_;
}

void IniLines::terminateLastLine() {
    if (!lines_.empty() && lines_.back().end.isEmpty()) lines_.back().end = newline_;
}

IniLines::Place IniLines::find(std::string_view section, std::string_view key) const {
    // A key the section does not have yet goes after the last key of the
    // section's first appearance (comments below it usually belong to the
    // next section), or right after its header.
    std::optional<std::size_t> insertAt;
    bool inSection = section.empty(); // keys above the first header belong to ""
    bool firstAppearance = inSection;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        std::string_view body = view(lines_[i].body);
        if (auto name = sectionOf(body)) {
            if (inSection) firstAppearance = false;
            inSection = sameName(*name, section);
            if (inSection && !insertAt) {
                insertAt = i + 1;
                firstAppearance = true;
            }
            continue;
        }
        if (!inSection) continue;
        auto name = keyOf(body);
        if (name && sameName(*name, key)) return {i, std::nullopt};
        if (name && firstAppearance) insertAt = i + 1;
    }
    return {std::nullopt, insertAt};
}

std::optional<QByteArray> IniLines::value(std::string_view section, std::string_view key) const {
    std::optional<std::size_t> line = find(section, key).line;
    if (!line) return std::nullopt;
    std::string_view body = view(lines_[*line].body);
    std::string_view text = trimmed(body.substr(body.find('=') + 1));
    return QByteArray(text.data(), qsizetype(text.size()));
}

void IniLines::setValue(std::string_view section, std::string_view key, std::string_view value) {
    QByteArray entry = QByteArray(key.data(), qsizetype(key.size())) + '=' +
                       QByteArray(value.data(), qsizetype(value.size()));
    const Place place = find(section, key);
    if (place.line) {
        lines_[*place.line].body = entry;
        return;
    }
    if (place.insertAt || section.empty()) {
        std::size_t at = place.insertAt.value_or(0);
        if (at == lines_.size()) terminateLastLine();
        lines_.insert(lines_.begin() + std::ptrdiff_t(at), Line{entry, endBefore(at)});
        return;
    }
    terminateLastLine();
    lines_.push_back(Line{'[' + QByteArray(section.data(), qsizetype(section.size())) + ']', newline_});
    lines_.push_back(Line{entry, newline_});
}

QByteArray IniLines::text() const {
    QByteArray out = mark_;
    for (const Line& line : lines_)
        out += line.body + line.end;
    return out;
}

} // namespace veltra
