#pragma once
// The settings file carries no write bit between two accesses, so that it is
// not changed by accident; each access gives the bits back first and takes
// them away again at its end.
//
// Only write bits are ever taken, and an access gives back exactly the ones
// the previous access took (remembered per file in the user's state folder,
// so also in the next run), so a group-writable file stays group-writable
// during accesses. A file met for the first time, or whose mode someone
// changed since, gets the owner's write bit only. Modes are read and set on
// the file a symbolic link points to; the link itself is left alone. Safe to
// use from any thread.

#include <QByteArray>
#include <QString>

namespace veltra {

class FileAccess {
  public:
    // The path as the file system's bytes, or as the text Qt names it by.
    explicit FileAccess(QByteArray path);
    explicit FileAccess(const QString& path);
    ~FileAccess();
    FileAccess(const FileAccess&) = delete;
    FileAccess& operator=(const FileAccess&) = delete;

  private:
    QByteArray path_;
};

} // namespace veltra
