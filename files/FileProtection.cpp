#include "files/FileProtection.h"

#include <QFile>

#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <utility>
#include <vector>

#include "files/ProgramFolder.h"
#include "os/UserFiles.h"

namespace veltra {

namespace {

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;
// Files whose taken bits are remembered: the settings file in use, and a few
// the program was pointed at before.
constexpr std::size_t kRemembered = 16;
constexpr qint64 kRecordBytes = 64 * 1024;

struct Taken {
    mode_t left = 0; // the mode the protection left behind
    mode_t bits = 0; // the write bits it took
};

// Keyed by the canonical path of the file itself, so that a link and its
// target share one entry; an atomic replace keeps the path (not the inode).
// Oldest first.
using Records = std::vector<std::pair<QByteArray, Taken>>;

// One access at a time reads and rewrites the record.
std::mutex recordMutex;

// What the accesses took is kept in the user's state folder, so that the next
// run gives it back too: remembered for the run alone, a group-writable file
// came back from its first run with the owner's write bit only, for good.
// One line per file: the mode left and the bits taken, in octal, and the
// path's bytes percent-encoded.
QString recordPath() {
    return stateFolder() + QStringLiteral("write-bits");
}

Records readRecords() {
    Records records;
    const FileRead read = readUserFile(recordPath(), kRecordBytes);
    if (read.outcome != FileRead::Outcome::Read) return records;
    for (const QByteArray& line : read.bytes.split('\n')) {
        const QByteArrayList fields = line.split(' ');
        if (fields.size() != 3) continue;
        bool leftOk = false;
        bool bitsOk = false;
        const uint left = fields[0].toUInt(&leftOk, 8);
        const uint bits = fields[1].toUInt(&bitsOk, 8);
        if (!leftOk || !bitsOk || left > 07777 || (bits & ~kWriteBits) != 0) continue;
        records.emplace_back(QByteArray::fromPercentEncoding(fields[2]), Taken{mode_t(left), mode_t(bits)});
    }
    return records;
}

void writeRecords(const Records& records) {
    QByteArray bytes;
    for (const auto& [path, taken] : records)
        bytes += QByteArray::number(uint(taken.left), 8) + ' ' + QByteArray::number(uint(taken.bits), 8) +
                 ' ' + path.toPercentEncoding() + '\n';
    // Best effort: without it, the next run gives back the owner's bit only.
    if (makeStateFolder(stateFolder())) (void)writeStateFile(recordPath(), bytes);
}

// Empty when the file is not there.
QByteArray canonicalPath(const QByteArray& name) {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(name.constData(), nullptr), &std::free);
    return real ? QByteArray(real.get()) : QByteArray();
}

std::optional<mode_t> modeOf(const QByteArray& name) {
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) return std::nullopt;
    return st.st_mode & 07777;
}

void giveBack(const QByteArray& name) {
    const std::optional<mode_t> mode = modeOf(name);
    if (!mode) return;
    mode_t give = S_IWUSR;
    {
        std::lock_guard lock(recordMutex);
        const QByteArray key = canonicalPath(name);
        for (const auto& [file, taken] : readRecords())
            if (file == key && taken.left == *mode) give = taken.bits;
    }
    if ((*mode | give) != *mode) (void)::chmod(name.constData(), *mode | give);
}

void takeAway(const QByteArray& name) {
    const std::optional<mode_t> mode = modeOf(name);
    if (!mode) return;
    const mode_t left = *mode & ~kWriteBits;
    // Nothing to take (the earlier record stays true), or not ours to change.
    if (left == *mode || ::chmod(name.constData(), left) != 0) return;
    const Taken now{left, *mode & kWriteBits};
    std::lock_guard lock(recordMutex);
    const QByteArray key = canonicalPath(name);
    Records records = readRecords();
    for (auto it = records.begin(); it != records.end(); ++it) {
        if (it->first != key) continue;
        if (it->second.left == now.left && it->second.bits == now.bits) return; // as recorded
        records.erase(it);
        break;
    }
    records.emplace_back(key, now);
    if (records.size() > kRemembered) records.erase(records.begin(), records.end() - kRemembered);
    writeRecords(records);
}

} // namespace

FileAccess::FileAccess(QByteArray path) : path_(std::move(path)) {
    giveBack(path_);
}

FileAccess::FileAccess(const QString& path) : FileAccess(QFile::encodeName(path)) {}

FileAccess::~FileAccess() {
    takeAway(path_);
}

} // namespace veltra
