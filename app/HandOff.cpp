#include "app/HandOff.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QFile>
#include <QLocalSocket>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "app/HandOffRequest.h"
#include "app/shell/AppTitle.h"
#include "files/ProgramFolder.h"

namespace veltra {

namespace {

constexpr int kRetryMs = 100;
// The running editor reads the file (16 MiB at most) beside its window.
constexpr int kAnswerBoundMs = 15000;
// After a failed accept (no descriptor left): the next try.
constexpr int kAcceptRetryMs = 200;

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

QString handOffSocketPath() {
    const QString folder = runtimeFolder();
    return folder.isEmpty() ? folder : folder + QLatin1Char('/') + kAppTitle + QStringLiteral(".socket");
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
    HandOffAnswer answer;
    QDataStream in(&socket);
    const QDeadlineTimer answerDeadline(kAnswerBoundMs);
    for (;;) {
        in.startTransaction();
        in >> answer.why >> answer.shownThere;
        if (in.commitTransaction()) {
            answer.opened = answer.why.isEmpty();
            return answer;
        }
        if (answerDeadline.hasExpired() || socket.state() != QLocalSocket::ConnectedState)
            return {false, QStringLiteral("запущенный редактор не ответил")};
        socket.waitForReadyRead(kRetryMs);
    }
}

HandOffServer::HandOffServer(std::function<HandOffAnswer(const QString&)> open, QObject* parent)
    : QObject(parent), open_(std::move(open)) {
    retry_.setSingleShot(true);
    retry_.setInterval(kAcceptRetryMs);
    connect(&retry_, &QTimer::timeout, this, &HandOffServer::acceptWaiting);
}

HandOffServer::~HandOffServer() {
    if (listener_ < 0) return;
    ::close(listener_);
    ::unlink(QFile::encodeName(path_).constData());
}

bool HandOffServer::listen(const QString& socketPath, QString& why) {
    const QByteArray name = QFile::encodeName(socketPath);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.size() >= qsizetype(sizeof address.sun_path)) {
        why = QStringLiteral("its path is too long for a socket");
        return false;
    }
    std::memcpy(address.sun_path, name.constData(), std::size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        why = systemError();
        return false;
    }
    (void)::unlink(name.constData());
    // Only the user's own processes hand files over. Nobody can connect
    // before listen(), so the mode is set in between.
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(name.constData(), 0600) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        why = systemError();
        ::close(fd);
        return false;
    }
    listener_ = fd;
    path_ = socketPath;
    waiting_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(waiting_, &QSocketNotifier::activated, this, &HandOffServer::acceptWaiting);
    return true;
}

void HandOffServer::acceptWaiting() {
    while (held_ < kMaxConnections) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                waiting_->setEnabled(true);
                return;
            }
            // No descriptor (or memory) left: the socket stays, and what
            // waits in its queue is taken a moment later, when some may be free.
            waiting_->setEnabled(false);
            retry_.start();
            return;
        }
        auto* socket = new QLocalSocket(this);
        if (!socket->setSocketDescriptor(fd)) {
            ::close(fd);
            delete socket;
            continue;
        }
        serve(socket);
    }
    // As many as are held: the rest wait in the queue until one is done.
    waiting_->setEnabled(false);
}

void HandOffServer::released() {
    --held_;
    if (!retry_.isActive()) acceptWaiting();
}

void HandOffServer::serve(QLocalSocket* socket) {
    ++held_;
    connect(socket, &QObject::destroyed, this, &HandOffServer::released);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // Runs until the request has come: a connection that sends nothing does
    // not hold its place.
    auto* idle = new QTimer(socket);
    idle->setSingleShot(true);
    connect(idle, &QTimer::timeout, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    idle->start(kIdleMs);
    connect(socket, &QLocalSocket::readyRead, socket, [this, socket, idle] {
        if (!idle->isActive()) return; // one file per connection, taken already
        const HandOffRequest request = readHandOffRequest(socket->peek(kMaxHandOffRequestBytes));
        if (request.state == HandOffRequest::State::Refused) {
            socket->abort();
            socket->deleteLater();
            return;
        }
        if (request.state == HandOffRequest::State::Incomplete) return; // the rest is on its way
        idle->stop();
        const QString file = request.file;
        // Opening runs the event pump (the file is read beside the window):
        // the socket may be gone when it returns.
        const QPointer guard(socket);
        const HandOffAnswer answer = open_(file);
        if (!guard) return;
        QDataStream out(socket);
        out << (answer.opened ? QString() : answer.why) << answer.shownThere;
        socket->disconnectFromServer();
    });
}

} // namespace veltra
