#pragma once
// One open document as the client sent it. The text is kept whole, with the
// start of every line, so that an edit given by line and character lands
// where the client meant it: a line ends at CR LF, LF or CR, as the protocol
// counts lines. Characters are counted in the unit the client and the server
// agreed on: UTF-16 code units unless the client offered UTF-8 or UTF-32.

#include <QString>
#include <QStringView>

#include <optional>
#include <string>
#include <vector>

namespace veltra::lsp {

enum class PositionEncoding { Utf8, Utf16, Utf32 };

// "utf-8", "utf-16", "utf-32": the protocol's names.
QString encodingName(PositionEncoding encoding);
std::optional<PositionEncoding> encodingNamed(const QString& name);

// How many units of `encoding` the UTF-16 text `text` takes.
int unitsOf(QStringView text, PositionEncoding encoding);

// The UTF-16 index in `line` of the character at `units` units of
// `encoding`; past the end it is the end of the line, and a position inside
// a character is that character's start.
int utf16Index(QStringView line, int units, PositionEncoding encoding);

class Document {
  public:
    Document(QString text, int version);

    const QString& text() const { return text_; }
    int version() const { return version_; }

    // Lines as the protocol counts them: a text that ends with a line end
    // has one more, empty, line after it.
    int lineCount() const { return int(starts_.size()); }
    QStringView line(int index) const;
    QString lineText(int index) const { return line(index).toString(); }

    // The offset in text() of a protocol position, clamped to the text.
    qsizetype offsetOf(int line, int character, PositionEncoding encoding) const;

    // Replaces [from, to) of text() and gives the document a new version.
    void replace(qsizetype from, qsizetype to, const QString& text, int version);
    void setText(QString text, int version);

    // The lines the check reads, split as a program file is split (a line
    // end at the very end opens no further line), one code point per
    // position.
    const std::vector<std::u32string>& checkLines() const;

  private:
    void findLines();

    QString text_;
    std::vector<qsizetype> starts_; // offset of each line's first character
    int version_ = 0;
    mutable std::optional<std::vector<std::u32string>> checkLines_;
};

} // namespace veltra::lsp
