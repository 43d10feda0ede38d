#pragma once
// Files whose names a user or another program may have set up: a program file
// chosen in a dialog, the copies and the history in the state folder. Reading
// takes a regular file (or a link to one) only, with a bound, and never waits:
// a FIFO, a device, a socket or a folder is refused at once, where a plain
// read would block on the FIFO forever or read /dev/zero until memory ran out.
// Writing in the state folder replaces the entry itself, never the file a
// link there points to, and keeps what it writes to the user alone.

#include <QByteArray>
#include <QLockFile>
#include <QString>

namespace veltra {

// Larger than any program file by far; /dev/zero or a log file chosen by
// mistake is refused instead of filling the memory (veltra-check's bound too).
constexpr qint64 kMaxUserFileBytes = qint64(16) << 20;

struct FileRead {
    enum class Outcome {
        Read,       // `bytes` holds the file
        Missing,    // nothing of that name
        NotRegular, // a folder, a FIFO, a device or a socket
        TooLarge,   // larger than the bound
        Failed,     // open or read failed otherwise (`error` is the errno)
    };
    Outcome outcome = Outcome::Failed;
    QByteArray bytes;
    qint64 size = 0; // the file's whole size, when it could be seen
    int error = 0;
};

enum class ReadPart {
    Whole, // a file beyond the bound is refused
    Tail,  // a file beyond the bound is read from that far before its end
};

// Reads `path` as above. Safe on any thread.
FileRead readUserFile(const QString& path, qint64 limit = kMaxUserFileBytes, ReadPart part = ReadPart::Whole);
// The same for a path as the file system's bytes (one a command line gave):
// a name that is not UTF-8 reaches open() as it is.
FileRead readUserFile(const QByteArray& path, qint64 limit = kMaxUserFileBytes,
                      ReadPart part = ReadPart::Whole);

// Makes `folder` (and what is missing above it) for the user alone (0700),
// and takes group and other rights away from it if it exists and is the
// user's. False when it cannot be had as a folder.
bool makeStateFolder(const QString& folder);

// Whether `folder` is a folder of the user's own (by the effective id, and
// not a link to one) that nobody else may write to: whoever can write there
// could pre-make the lock, the socket or the link a program keeps in it. Such
// a folder that others may still read or enter loses those rights here.
bool ownPrivateFolder(const QString& folder);

// Replaces the entry `path` with a new file holding `bytes`, mode 0600: a
// temporary file in the same folder, synced, then renamed over the name, so a
// link at `path` is replaced itself and whatever it points to is untouched.
// False, with `why` set, when the new file could not be made; the old entry
// then stays as it was.
bool writeStateFile(const QString& path, const QByteArray& bytes, QString* why = nullptr);

// Makes what was renamed or made in `folder` last a crash (fsync of the
// folder): before an older file that stood for it is removed.
bool syncFolder(const QString& folder);

// Whether a running process holds the lock file `path` (QLockFile keeps its
// lock file locked while it lives). A missing, empty, garbled or half-written
// lock that no process holds is not held, whatever it says; only an empty one
// made in the last two seconds counts as held (QLockFile locks it a moment
// after making it).
bool lockHeld(const QString& path);

// QLockFile::tryLock that also takes over a lock no process holds: Qt takes
// over a lock whose process is gone, but an empty or garbled lock file, or a
// folder or a link in its place, would stand for ever. An empty folder or a
// link there is removed; a folder with files in it is not (Unknown error).
QLockFile::LockError takeLock(QLockFile& lock);

} // namespace veltra
