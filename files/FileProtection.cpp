#include "files/FileProtection.h"

#include <QFile>

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <utility>

namespace veltra {

namespace {

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

struct Taken {
    mode_t left = 0; // the mode the protection left behind
    mode_t bits = 0; // the write bits it took
};

std::mutex takenMutex;

// Keyed by the canonical path of the file itself, so that a link and its
// target share one entry; an atomic replace keeps the path (not the inode).
std::map<QByteArray, Taken>& takenBits() {
    static std::map<QByteArray, Taken> taken;
    return taken;
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
        std::lock_guard lock(takenMutex);
        auto it = takenBits().find(canonicalPath(name));
        if (it != takenBits().end() && it->second.left == *mode) give = it->second.bits;
    }
    if ((*mode | give) != *mode) (void)::chmod(name.constData(), *mode | give);
}

void takeAway(const QByteArray& name) {
    const std::optional<mode_t> mode = modeOf(name);
    if (!mode) return;
    const mode_t left = *mode & ~kWriteBits;
    // Nothing to take (the earlier record stays true), or not ours to change.
    if (left == *mode || ::chmod(name.constData(), left) != 0) return;
    std::lock_guard lock(takenMutex);
    takenBits()[canonicalPath(name)] = Taken{left, *mode & kWriteBits};
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
