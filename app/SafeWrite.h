#pragma once
// Writing a whole file so that a failure never leaves it cut short.

#include <QByteArray>
#include <QString>

namespace veltra {

// Writes `bytes` beside `path` and renames the result over it; any failure
// throws AppError(failure) and leaves the old file as it was. With
// `directWriteFallback`, a folder that allows no new file gets the file
// rewritten in place instead.
void writeWholeFile(const QString& path, const QByteArray& bytes, const QString& failure,
                    bool directWriteFallback = false);

} // namespace veltra
