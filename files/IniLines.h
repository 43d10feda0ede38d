#pragma once
// Reads and writes keys in the text of an INI file and leaves every other line
// exactly as it was: comments anywhere (also after the last key), lines that
// are not keys, repeated keys, blanks and line ends. Reading and writing find
// a key by the same search, so the line a value is read from is the line it
// is written back to. A general INI library rebuilds the whole text and drops
// trailing comments, non-key lines and the second of two equal keys, which
// users keep by hand in this file (a commented-out device path for a port,
// for example); SimpleIni also stops reading at a NUL byte.
//
// Section and key names compare ASCII case-insensitively after trimming
// blanks, ';' and '#' start comments, a key is what stands before the first
// '=', and keys above the first section header belong to the section "".
// Every byte but CR and LF is part of its line, NUL included. A UTF-8
// byte-order mark at the start is kept and not read as part of the first line.

#include <QByteArray>
#include <optional>
#include <string_view>
#include <vector>

namespace veltra {

class IniLines {
  public:
    explicit IniLines(const QByteArray& text);

    // Replaces the first line of `key` in `section` (the first such line in
    // file order, also when the section header appears twice) by
    // "key=value"; otherwise adds the line after the section's last key (or
    // its header); otherwise appends the section with the key at the end.
    void setValue(std::string_view section, std::string_view key, std::string_view value);

    // The text after the '=' of the line setValue would replace, blanks
    // trimmed; nothing when the key is not there. A repeated key reads as its
    // first line.
    std::optional<QByteArray> value(std::string_view section, std::string_view key) const;

    QByteArray text() const;

  private:
    struct Line {
        QByteArray body; // without its line end
        QByteArray end;  // "\r\n", "\n", "\r" or "" for an unterminated last line
    };
    // Where a key is, or where a new line for it would go.
    struct Place {
        std::optional<std::size_t> line;     // the key's first line
        std::optional<std::size_t> insertAt; // else after the section's last key
    };

    QByteArray mark_; // a leading UTF-8 byte-order mark, or nothing
    std::vector<Line> lines_;
    QByteArray newline_ = "\n";

    Place find(std::string_view section, std::string_view key) const;
    void terminateLastLine();
    // The line end of a line put in before line `at`.
    QByteArray endBefore(std::size_t at) const;
};

} // namespace veltra
