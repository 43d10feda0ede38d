#include "app/HandOffRequest.h"

#include <QDataStream>
#include <QDir>
#include <QtEndian>

namespace veltra {

HandOffRequest readHandOffRequest(QByteArrayView bytes) {
    using State = HandOffRequest::State;
    constexpr qsizetype kLengthBytes = 4;
    if (bytes.size() < kLengthBytes) return {};
    // Refused at once when it says it is longer than we take, instead of
    // waiting for bytes that would be refused anyway. 0xFFFFFFFF is a null
    // text, which names no file either.
    const quint32 length = qFromBigEndian<quint32>(bytes.data());
    if (length > quint32(kMaxHandOffRequestBytes - kLengthBytes)) return {State::Refused, {}};
    const QByteArray message =
        bytes.first(std::min(bytes.size(), kLengthBytes + qsizetype(length))).toByteArray();
    QDataStream in(message);
    QString file;
    in >> file;
    if (in.status() == QDataStream::ReadPastEnd) return {};
    if (in.status() != QDataStream::Ok || file.isEmpty() || file.contains(QChar(u'\0')) ||
        !QDir::isAbsolutePath(file))
        return {State::Refused, {}};
    return {State::File, file};
}

QByteArray handOffRequestBytes(const QString& file) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << file;
    return bytes;
}

} // namespace veltra
