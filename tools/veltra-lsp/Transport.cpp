#include "tools/veltra-lsp/Transport.h"

#include <QJsonDocument>

namespace veltra::lsp {

QByteArray framed(const QJsonObject& message) {
    const QByteArray body = QJsonDocument(message).toJson(QJsonDocument::Compact);
    return "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

void Transport::send(const QJsonObject& message) {
    if (reachable_) reachable_ = write_(framed(message));
}

} // namespace veltra::lsp
