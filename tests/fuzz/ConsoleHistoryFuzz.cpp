// libFuzzer target: the console history file. Any bytes are the file, read
// whole or, as a file grown past the read bound is, from a point in it (the
// first byte says where). Besides crashes and sanitizer reports it traps when
// the history breaks its promises: at most its limit of entries, none empty
// and none spanning lines; what is written for the entries reads back as the
// same entries, also with a line added as a new command adds it; and a read
// from a point in the file gives its last entries, never a part of a line.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

#include "console/ConsoleHistory.h"
#include "tests/fuzz/Require.h"

namespace {

using veltra::ConsoleHistory;
using veltra::fuzz::require;

bool endsWith(const QStringList& whole, const QStringList& tail) {
    return tail.size() <= whole.size() && whole.sliced(whole.size() - tail.size()) == tail;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const QByteArray text(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const QStringList entries = ConsoleHistory::entriesFromText(text);
    require(entries.size() <= ConsoleHistory::kLimit);
    for (const QString& entry : entries)
        require(!entry.isEmpty() && !entry.contains(QLatin1Char('\n')) && !entry.contains(QLatin1Char('\r')));
    require(ConsoleHistory::entriesFromText(ConsoleHistory::textOfEntries(entries)) == entries);

    // A new command, as the console adds it after what the file holds.
    if (!entries.isEmpty()) {
        QStringList added = entries;
        added.append(entries.front() + QStringLiteral(" 1"));
        if (added.size() > ConsoleHistory::kLimit) added.removeFirst();
        require(ConsoleHistory::entriesFromText(ConsoleHistory::textOfEntries(added)) == added);
    }

    const qsizetype from = text.size() * data[0] / 256;
    require(endsWith(entries, ConsoleHistory::entriesFromText(text.sliced(from), true)));
    return 0;
}
