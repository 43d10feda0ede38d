#include "os/UserFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "os/Descriptor.h"

namespace veltra {

namespace {

QByteArray nativeName(const QString& path) {
    return QFile::encodeName(path);
}

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

void say(QString* why, const QString& what) {
    if (why) *why = what;
}

// A lock file no process holds: removed, so that QLockFile can make its own.
bool removeDeadLock(const QString& path) {
    const QByteArray name = nativeName(path);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0) return errno == ENOENT;
    if (S_ISDIR(st.st_mode)) return ::rmdir(name.constData()) == 0;
    if (!S_ISREG(st.st_mode)) return ::unlink(name.constData()) == 0;
    // Locked while it goes, so that a process taking it just now is not robbed.
    Descriptor fd(::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0 || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return false;
    return ::unlink(name.constData()) == 0;
}

} // namespace

FileRead readUserFile(const QString& path, qint64 limit, ReadPart part) {
    return readUserFile(nativeName(path), limit, part);
}

FileRead readUserFile(const QByteArray& path, qint64 limit, ReadPart part) {
    FileRead result;
    // O_NONBLOCK: opening a FIFO must not wait for a writer.
    Descriptor fd(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) {
        result.error = errno;
        result.outcome = errno == ENOENT ? FileRead::Outcome::Missing : FileRead::Outcome::Failed;
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        result.outcome = FileRead::Outcome::NotRegular;
        return result;
    }
    result.size = st.st_size;
    off_t from = 0;
    if (st.st_size > limit) {
        if (part == ReadPart::Whole) {
            result.outcome = FileRead::Outcome::TooLarge;
            return result;
        }
        from = off_t(st.st_size - limit);
    }
    // The file may grow while it is read: one byte past the bound tells.
    result.bytes.resize(qsizetype(std::min<qint64>(st.st_size - from, limit) + 1));
    qsizetype got = 0;
    while (got < result.bytes.size()) {
        const ssize_t n = ::pread(fd.get(), result.bytes.data() + got, std::size_t(result.bytes.size() - got),
                                  from + off_t(got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            result.error = errno;
            result.bytes.clear();
            return result;
        }
        if (n == 0) break;
        got += n;
    }
    if (got > limit) {
        result.bytes.clear();
        result.outcome = FileRead::Outcome::TooLarge;
        return result;
    }
    result.bytes.truncate(got);
    result.outcome = FileRead::Outcome::Read;
    return result;
}

bool makeStateFolder(const QString& path) {
    const QString folder = QDir::cleanPath(path);
    const QByteArray name = nativeName(folder);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) {
        if (!QDir().mkpath(QFileInfo(folder).absolutePath())) return false;
        return ::mkdir(name.constData(), 0700) == 0 || (errno == EEXIST && QFileInfo(folder).isDir());
    }
    if (!S_ISDIR(st.st_mode)) return false;
    if (st.st_uid == ::geteuid() && (st.st_mode & 077) != 0) (void)::chmod(name.constData(), st.st_mode & 07700);
    return true;
}

bool ownPrivateFolder(const QString& path) {
    // The folder itself is opened (never through a link), so that what is
    // checked and what loses its rights are the same folder.
    Descriptor fd(::open(nativeName(QDir::cleanPath(path)).constData(),
                         O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0) return false;
    if (st.st_uid != ::geteuid() || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) return false;
    return (st.st_mode & 077) == 0 || ::fchmod(fd.get(), st.st_mode & 07700) == 0;
}

bool writeStateFile(const QString& path, const QByteArray& bytes, QString* why) {
    const QFileInfo info(path);
    QByteArray temporary = nativeName(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                                      QStringLiteral(".XXXXXX"));
    // mkostemp makes a new file (O_EXCL), mode 0600, never through a link.
    Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        say(why, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (!writeAll(fd.get(), bytes) || ::fsync(fd.get()) != 0 ||
        ::rename(temporary.constData(), nativeName(path).constData()) != 0) {
        say(why, QString::fromLocal8Bit(std::strerror(errno)));
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}

bool syncFolder(const QString& folder) {
    Descriptor fd(::open(nativeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.get() >= 0 && ::fsync(fd.get()) == 0;
}

bool lockHeld(const QString& path) {
    Descriptor fd(::open(nativeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) return errno == EACCES; // another user's lock is left alone
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    // QLockFile makes its file first and locks it a moment later: an empty
    // lock made just now may be one on its way.
    if (::flock(fd.get(), LOCK_SH | LOCK_NB) == 0) return st.st_size == 0 && ::time(nullptr) - st.st_mtime < 2;
    return errno == EWOULDBLOCK;
}

QLockFile::LockError takeLock(QLockFile& lock) {
    lock.setStaleLockTime(0); // a live process keeps its lock however long it runs
    if (lock.tryLock(0)) return QLockFile::NoError;
    if (lock.error() != QLockFile::LockFailedError) return lock.error();
    if (lockHeld(lock.fileName())) return QLockFile::LockFailedError;
    if (!removeDeadLock(lock.fileName())) return QLockFile::UnknownError;
    return lock.tryLock(0) ? QLockFile::NoError : lock.error();
}

} // namespace veltra
