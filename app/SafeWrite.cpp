#include "app/SafeWrite.h"

#include <QSaveFile>

#include "app/AppError.h"

namespace veltra {

void writeWholeFile(const QString& path, const QByteArray& bytes, const QString& failure,
                    bool directWriteFallback) {
    QSaveFile file(path);
    file.setDirectWriteFallback(directWriteFallback);
    if (!file.open(QIODevice::WriteOnly)) throw AppError(failure);
    // flush() reports a full disk that commit() would not notice.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        file.commit();
        throw AppError(failure);
    }
    if (!file.commit()) throw AppError(failure);
}

} // namespace veltra
