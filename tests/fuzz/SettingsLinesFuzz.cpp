// libFuzzer target: the settings line layer. Any bytes are a settings file
// into which the program writes its keys, as closing the program does. What
// the program does not own must survive: every line but the written keys'
// own comes back byte for byte and in order, nothing is added but the
// program's key lines and section headers, and every key reads back as
// written. The lines are cut here by a reader of this target's own, so a
// mistake shared with the layer cannot hide.

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "files/IniLines.h"
#include "tests/fuzz/Require.h"

namespace {

using veltra::fuzz::require;
struct Line {
    QByteArray body;
    QByteArray end;
};

std::vector<Line> cutLines(const QByteArray& text) {
    std::vector<Line> lines;
    Line current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            current.body += c;
            continue;
        }
        current.end = (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? "\r\n" : QByteArray(1, c);
        if (current.end.size() == 2) ++i;
        lines.push_back(current);
        current = {};
    }
    if (!current.body.isEmpty()) lines.push_back(current);
    return lines;
}

struct Key {
    const char* section;
    const char* key;
};

// The keys closing the program writes, and one the settings dialog writes.
const Key kKeys[] = {{"PCB", "PCB_NAME"},
                     {"LINK", "PORT_NAME"},
                     {"EDIT", "BG_COLOR"},
                     {"EDIT", "TXT_COLOR"},
                     {"PORTS", "COM1"}};

QByteArray lowered(QByteArray s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

// A line the layer may replace: one of the written keys, whatever its section.
bool writtenKeyLine(const QByteArray& body) {
    const qsizetype eq = body.indexOf('=');
    if (eq < 0) return false;
    const QByteArray name = lowered(body.left(eq).trimmed());
    for (const Key& k : kKeys)
        if (name == lowered(k.key)) return true;
    return false;
}

bool addedLine(const QByteArray& body, const std::vector<QByteArray>& entries) {
    for (const QByteArray& entry : entries)
        if (body == entry) return true;
    for (const Key& k : kKeys)
        if (body == QByteArray("[") + k.section + "]") return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    require(veltra::IniLines(text).text() == text); // a round without writes changes nothing

    veltra::IniLines ini(text);
    std::vector<QByteArray> entries;
    for (std::size_t i = 0; i < std::size(kKeys); ++i) {
        // Values of the program's kinds: numbers, names, a path.
        const std::string value =
            i == 4 ? "/dev/ttyUSB" + std::to_string(size % 10) : std::to_string(size * 31 + i);
        ini.setValue(kKeys[i].section, kKeys[i].key, value);
        entries.push_back(QByteArray(kKeys[i].key) + '=' + QByteArray::fromStdString(value));
    }
    const QByteArray out = ini.text();
    const veltra::IniLines reread(out);
    for (std::size_t i = 0; i < std::size(kKeys); ++i)
        require(reread.value(kKeys[i].section, kKeys[i].key) == entries[i].mid(entries[i].indexOf('=') + 1));

    const QByteArray bom("\xEF\xBB\xBF");
    require(text.startsWith(bom) == out.startsWith(bom));
    const qsizetype skip = text.startsWith(bom) ? 3 : 0;
    const std::vector<Line> before = cutLines(text.mid(skip));
    const std::vector<Line> after = cutLines(out.mid(skip));
    std::size_t b = 0;
    for (const Line& line : after) {
        // The last line of a file without a final line end may gain one.
        const bool same = b < before.size() && line.body == before[b].body &&
                          (line.end == before[b].end || (b + 1 == before.size() && before[b].end.isEmpty()));
        if (same) {
            ++b;
            continue;
        }
        require(addedLine(line.body, entries));
        // A key line the new one replaced.
        if (b < before.size() && writtenKeyLine(before[b].body) && addedLine(line.body, entries)) ++b;
    }
    for (; b < before.size(); ++b)
        require(false); // a line of the user's went missing
    return 0;
}
