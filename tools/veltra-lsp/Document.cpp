#include "tools/veltra-lsp/Document.h"

#include <algorithm>

namespace veltra::lsp {

namespace {

// The units of `encoding` that the UTF-16 unit at `i` of `text` adds: a
// surrogate pair counts once, on its first half.
int unitsAt(QStringView text, qsizetype i, PositionEncoding encoding) {
    const QChar c = text[i];
    const bool pairStart = c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
    const bool pairEnd = c.isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate();
    switch (encoding) {
    case PositionEncoding::Utf16:
        return 1;
    case PositionEncoding::Utf32:
        return pairEnd ? 0 : 1;
    case PositionEncoding::Utf8:
        if (pairStart) return 4;
        if (pairEnd) return 0;
        return c.unicode() < 0x80 ? 1 : c.unicode() < 0x800 ? 2 : 3;
    }
    return 1;
}

} // namespace

QString encodingName(PositionEncoding encoding) {
    switch (encoding) {
    case PositionEncoding::Utf8:
        return QStringLiteral("utf-8");
    case PositionEncoding::Utf16:
        return QStringLiteral("utf-16");
    case PositionEncoding::Utf32:
        return QStringLiteral("utf-32");
    }
    return {};
}

std::optional<PositionEncoding> encodingNamed(const QString& name) {
    for (PositionEncoding e : {PositionEncoding::Utf8, PositionEncoding::Utf16, PositionEncoding::Utf32})
        if (encodingName(e) == name) return e;
    return std::nullopt;
}

int unitsOf(QStringView text, PositionEncoding encoding) {
    if (encoding == PositionEncoding::Utf16) return int(text.size());
    int units = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        units += unitsAt(text, i, encoding);
    return units;
}

int utf16Index(QStringView line, int units, PositionEncoding encoding) {
    if (units <= 0) return 0;
    if (encoding == PositionEncoding::Utf16) {
        qsizetype i = std::min<qsizetype>(units, line.size());
        // Never between the halves of a pair.
        if (i > 0 && i < line.size() && line[i].isLowSurrogate() && line[i - 1].isHighSurrogate()) --i;
        return int(i);
    }
    int seen = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const int width = unitsAt(line, i, encoding);
        if (width == 0) continue;
        if (seen + width > units) return int(i);
        seen += width;
    }
    return int(line.size());
}

Document::Document(QString text, int version) : text_(std::move(text)), version_(version) {
    findLines();
}

void Document::findLines() {
    starts_.clear();
    starts_.push_back(0);
    const QChar* data = text_.constData();
    const qsizetype n = text_.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = data[i].unicode();
        if (c != u'\n' && c != u'\r') continue;
        if (c == u'\r' && i + 1 < n && data[i + 1].unicode() == u'\n') ++i;
        starts_.push_back(i + 1);
    }
    checkLines_.reset();
}

QStringView Document::line(int index) const {
    if (index < 0 || index >= lineCount()) return {};
    const qsizetype start = starts_[std::size_t(index)];
    qsizetype end = index + 1 < lineCount() ? starts_[std::size_t(index) + 1] : text_.size();
    while (end > start && (text_[end - 1] == QLatin1Char('\n') || text_[end - 1] == QLatin1Char('\r')) &&
           index + 1 < lineCount())
        --end;
    return QStringView(text_).mid(start, end - start);
}

qsizetype Document::offsetOf(int line, int character, PositionEncoding encoding) const {
    if (line < 0) return 0;
    if (line >= lineCount()) return text_.size();
    const QStringView text = this->line(line);
    return starts_[std::size_t(line)] + utf16Index(text, character, encoding);
}

void Document::replace(qsizetype from, qsizetype to, const QString& text, int version) {
    from = std::clamp<qsizetype>(from, 0, text_.size());
    to = std::clamp<qsizetype>(to, from, text_.size());
    text_.replace(from, to - from, text);
    version_ = version;
    findLines();
}

void Document::setText(QString text, int version) {
    text_ = std::move(text);
    version_ = version;
    findLines();
}

const std::vector<std::u32string>& Document::checkLines() const {
    if (!checkLines_) {
        std::vector<std::u32string> lines;
        const bool endsWithBreak =
            !text_.isEmpty() && (text_.back() == QLatin1Char('\n') || text_.back() == QLatin1Char('\r'));
        const int count = text_.isEmpty() ? 0 : lineCount() - (endsWithBreak ? 1 : 0);
        lines.reserve(std::size_t(count));
        for (int i = 0; i < count; ++i)
            lines.push_back(line(i).toString().toStdU32String());
        checkLines_ = std::move(lines);
    }
    return *checkLines_;
}

} // namespace veltra::lsp
