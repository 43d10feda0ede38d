#include "files/SafeWrite.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/AppError.h"
#include "os/Descriptor.h"

namespace veltra {

namespace {

bool writeAt(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::pwrite(fd, bytes.constData() + done, std::size_t(bytes.size() - done), off_t(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

bool readAll(int fd, qsizetype size, QByteArray& out) {
    out.resize(size);
    qsizetype done = 0;
    while (done < size) {
        ssize_t n = ::pread(fd, out.data() + done, std::size_t(size - done), off_t(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

// Puts the old size back after a failed write; best effort, as the caller
// reports the failure either way.
void restoreSize(int fd, qsizetype size) {
    if (::ftruncate(fd, off_t(size)) != 0) return;
}

// For a folder that allows no new file: the file is rewritten through its own
// inode. Growing, the new size is reserved first (posix_fallocate fails on a
// full disk or beyond the size limit before any byte changes); should a write
// fail all the same (an I/O error), the old bytes are put back.
bool rewriteInPlace(const QString& path, const QByteArray& bytes) {
    Descriptor fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    QByteArray old;
    if (!readAll(fd.get(), qsizetype(st.st_size), old)) return false;
    if (bytes.size() > old.size() && ::posix_fallocate(fd.get(), 0, off_t(bytes.size())) != 0) {
        restoreSize(fd.get(), old.size()); // a partial reservation may have grown it
        return false;
    }
    if (writeAt(fd.get(), bytes) && ::ftruncate(fd.get(), off_t(bytes.size())) == 0 && ::fsync(fd.get()) == 0)
        return true;
    (void)writeAt(fd.get(), old);
    restoreSize(fd.get(), old.size());
    (void)::fsync(fd.get());
    return false;
}

} // namespace

bool mayReplace(const QString& path) {
    QFileInfo info(path);
    return info.isFile() || (!info.exists() && !info.isSymLink());
}

void writeWholeFile(const QString& path, const QByteArray& bytes, const QString& failure,
                    bool inPlaceFallback) {
    if (!mayReplace(path)) throw AppError(failure);
    QSaveFile file(path);
    file.setDirectWriteFallback(false); // Qt's own fallback truncates first: a failed write loses the file
    if (!file.open(QIODevice::WriteOnly)) {
        if (inPlaceFallback && rewriteInPlace(path, bytes)) return;
        throw AppError(failure);
    }
    // flush() reports a full disk that commit() would not notice.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        file.commit();
        throw AppError(failure);
    }
    if (!file.commit()) throw AppError(failure);
}

} // namespace veltra
