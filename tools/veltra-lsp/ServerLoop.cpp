#include "tools/veltra-lsp/ServerLoop.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "tools/veltra-lsp/LanguageServer.h"
#include "tools/veltra-lsp/Transport.h"

namespace veltra::lsp {

namespace {

bool writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, std::size_t(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        left -= n;
    }
    return true;
}

// A descriptor that becomes readable when process `pid` ends; -1 where the
// system cannot give one (the client's end of the pipe still tells).
int watchProcess(qint64 pid) {
#ifdef SYS_pidfd_open
    return int(::syscall(SYS_pidfd_open, pid_t(pid), 0));
#else
    (void)pid;
    return -1;
#endif
}

} // namespace

int runServer(int in, int out) {
    // A client that closed its end makes write() fail with EPIPE instead of
    // ending the process without a word.
    std::signal(SIGPIPE, SIG_IGN);
    Transport transport([out](const QByteArray& bytes) { return writeAll(out, bytes); });
    LanguageServer server([&transport](const QJsonObject& message) { transport.send(message); });
    int clientWatch = -1;
    qint64 watched = 0;
    int result = -1;
    char buffer[64 * 1024];

    while (result < 0) {
        while (std::optional<Frame> frame = transport.next()) {
            if (frame->fault.isEmpty())
                server.handleMessage(frame->body);
            else
                server.handleFramingFault(frame->fault);
            if (server.exited()) break;
        }
        if (server.exited()) {
            result = server.exitCode();
            break;
        }
        if (server.clientProcessId() != watched) {
            watched = server.clientProcessId();
            clientWatch = watchProcess(watched);
            if (clientWatch < 0 && errno == ESRCH) {
                std::fputs("veltra-lsp: the client's process has ended; ending\n", stderr);
                result = 1;
                break;
            }
        }

        pollfd fds[2] = {{in, POLLIN, 0}, {clientWatch, POLLIN, 0}};
        int ready = ::poll(fds, clientWatch >= 0 ? 2 : 1, 0);
        if (ready == 0) {
            server.publishPending();
            ready = ::poll(fds, clientWatch >= 0 ? 2 : 1, -1);
        }
        if (!transport.reachable()) {
            std::fputs("veltra-lsp: the client no longer reads the output; ending\n", stderr);
            result = 1;
        } else if (ready < 0 && errno != EINTR) {
            std::perror("veltra-lsp: poll");
            result = 1;
        } else if (clientWatch >= 0 && (fds[1].revents & POLLIN) != 0) {
            std::fputs("veltra-lsp: the client's process has ended; ending\n", stderr);
            result = 1;
        } else if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            const ssize_t n = ::read(in, buffer, sizeof buffer);
            if (n > 0) {
                transport.received(buffer, std::size_t(n));
            } else if (n == 0 || errno != EINTR) {
                // The client is gone without exit: as the protocol's exit without shutdown.
                result = server.exited() ? server.exitCode() : 1;
            }
        } else if ((fds[0].revents & POLLNVAL) != 0) {
            result = 1;
        }
    }
    if (clientWatch >= 0) ::close(clientWatch);
    return result;
}

} // namespace veltra::lsp
