#pragma once
// Writing a whole file so that a failure never leaves it cut short.

#include <QByteArray>
#include <QString>

namespace veltra {

// True when nothing stands at `path` yet, or a regular file (also through a
// symbolic link): the only things a whole-file write may replace. A device
// node, a FIFO, a folder or a link to nowhere is never written over.
bool mayReplace(const QString& path);

// Writes `bytes` beside `path` and renames the result over it; any failure
// throws AppError(failure) and leaves the old file as it was. With
// `inPlaceFallback`, a folder that allows no new file gets the existing file
// rewritten in place instead, with its new size reserved before any byte
// changes, so that a full disk or a size limit still leaves it whole.
void writeWholeFile(const QString& path, const QByteArray& bytes, const QString& failure,
                    bool inPlaceFallback = false);

} // namespace veltra
