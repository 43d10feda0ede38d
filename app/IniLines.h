#pragma once
// Writes keys into the text of an INI file and leaves every other line exactly
// as it was: comments anywhere (also after the last key), lines that are not
// keys, repeated keys, blanks and line ends. SimpleIni reads the file, but its
// writer rebuilds the whole text and drops trailing comments, non-key lines
// and the second of two equal keys, which users keep by hand in this file
// (a commented-out device path for a port, for example).
//
// Lines are found the way SimpleIni reads them: section and key names compare
// ASCII case-insensitively after trimming blanks, ';' and '#' start comments,
// a key is what stands before the first '=', and keys above the first section
// header belong to the section "".

#include <QByteArray>
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

    QByteArray text() const;

  private:
    struct Line {
        QByteArray body; // without its line end
        QByteArray end;  // "\r\n", "\n", "\r" or "" for an unterminated last line
    };
    std::vector<Line> lines_;
    QByteArray newline_ = "\n";

    void terminateLastLine();
};

} // namespace veltra
