#include "app/HandOff.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>

#include "app/HandOffRequest.h"
#include "app/files/ProgramFolder.h"
#include "app/shell/AppTitle.h"

namespace veltra {

namespace {

constexpr int kRetryMs = 100;
// The running editor reads the file (16 MiB at most) beside its window.
constexpr int kAnswerBoundMs = 15000;

} // namespace

QString handOffSocketPath() {
    return runtimeFolder() + QLatin1Char('/') + kAppTitle + QStringLiteral(".socket");
}

HandOffAnswer handFileOver(const QString& socketPath, const QString& file, int boundMs) {
    const QDeadlineTimer deadline(boundMs);
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(kRetryMs)) break;
        socket.abort();
        if (deadline.hasExpired())
            return {false, QStringLiteral("запущенный редактор не принимает файлы (он ещё запускается, "
                                          "ждёт ответа в окне или это другая его версия)")};
        QThread::msleep(kRetryMs);
    }
    socket.write(handOffRequestBytes(file));
    socket.flush();
    QString why;
    QDataStream in(&socket);
    const QDeadlineTimer answerDeadline(kAnswerBoundMs);
    for (;;) {
        in.startTransaction();
        in >> why;
        if (in.commitTransaction()) return {why.isEmpty(), why};
        if (answerDeadline.hasExpired() || socket.state() != QLocalSocket::ConnectedState)
            return {false, QStringLiteral("запущенный редактор не ответил")};
        socket.waitForReadyRead(kRetryMs);
    }
}

HandOffServer::HandOffServer(std::function<QString(const QString&)> open, QObject* parent)
    : QObject(parent), open_(std::move(open)), server_(new QLocalServer(this)) {
    // Only the user's own processes hand files over.
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &HandOffServer::take);
}

bool HandOffServer::listen(const QString& socketPath, QString& why) {
    QLocalServer::removeServer(socketPath);
    if (server_->listen(socketPath)) return true;
    why = server_->errorString();
    return false;
}

void HandOffServer::take() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, guard = QPointer(socket)] {
            if (!guard) return;
            const HandOffRequest request = readHandOffRequest(guard->peek(kMaxHandOffRequestBytes));
            if (request.state == HandOffRequest::State::Refused) {
                guard->abort();
                return;
            }
            if (request.state == HandOffRequest::State::Incomplete) return; // the rest is on its way
            guard->disconnect(this);                                        // one file per connection
            // Opening runs the event pump (the file is read beside the
            // window): the socket may be gone when it returns.
            const QString why = open_(request.file);
            if (!guard) return;
            QDataStream out(guard.data());
            out << why;
            guard->disconnectFromServer();
        });
    }
}

} // namespace veltra
