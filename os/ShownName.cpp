#include "os/ShownName.h"

#include <QFile>
#include <QJsonObject>

#include <cstdint>
#include <optional>

namespace veltra {

namespace {

struct CodePoint {
    char32_t value;
    std::size_t length;
};

// The UTF-8 sequence at `at`, or nothing when the byte there does not start
// a valid one.
std::optional<CodePoint> decodeAt(std::string_view bytes, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return CodePoint{lead, 1};
    std::size_t length = 0;
    char32_t value = 0;
    char32_t least = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, value = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, value = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, value = lead & 0x07, least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (at + length > bytes.size()) return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return std::nullopt;
        value = (value << 6) | (byte(at + i) & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return std::nullopt;
    return CodePoint{value, length};
}

// Characters that reorder or hide the text around them.
bool invisibleFormat(char32_t c) {
    return c == 0x061C || (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ||
           (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF;
}

void appendHex(std::string& out, const char* prefix, unsigned value, int digits) {
    static const char kHex[] = "0123456789ABCDEF";
    out += prefix;
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += kHex[(value >> shift) & 0xF];
}

} // namespace

std::string escapedName(std::string_view bytes) {
    static const char* const kNamed[] = {"\\a", "\\b", "\\t", "\\n", "\\v", "\\f", "\\r"};
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        const std::optional<CodePoint> c = decodeAt(bytes, at);
        if (!c) {
            appendHex(out, "\\x", static_cast<unsigned char>(bytes[at]), 2);
            ++at;
            continue;
        }
        if (c->value == U'\\')
            out += "\\\\";
        else if (c->value >= 0x07 && c->value <= 0x0D)
            out += kNamed[c->value - 0x07];
        else if (c->value == 0x1B)
            out += "\\e";
        else if (c->value < 0x20 || c->value == 0x7F)
            appendHex(out, "\\x", unsigned(c->value), 2);
        else if ((c->value >= 0x80 && c->value <= 0x9F) || invisibleFormat(c->value))
            appendHex(out, "\\u", unsigned(c->value), 4);
        else
            out.append(bytes.substr(at, c->length));
        at += c->length;
    }
    return out;
}

QString shownName(const QByteArray& bytes) {
    return QString::fromStdString(escapedName(std::string_view(bytes.constData(), std::size_t(bytes.size()))));
}

QString shownPath(const QString& path) {
    return shownName(QFile::encodeName(path));
}

bool isUtf8(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size();) {
        const std::optional<CodePoint> c = decodeAt(bytes, at);
        if (!c) return false;
        at += c->length;
    }
    return true;
}

void insertName(QJsonObject& object, const QString& key, const QByteArray& bytes) {
    object.insert(key, QString::fromUtf8(bytes));
    if (!isUtf8(std::string_view(bytes.constData(), std::size_t(bytes.size()))))
        object.insert(key + QStringLiteral("_bytes"), QString::fromLatin1(bytes.toBase64()));
}

} // namespace veltra
