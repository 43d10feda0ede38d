#include "os/StopSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace veltra {

namespace {

volatile std::sig_atomic_t writeEnd = -1;

void onStopSignal(int) {
    const int saved = errno;
    const char byte = 1;
    if (writeEnd >= 0) (void)!::write(writeEnd, &byte, 1);
    errno = saved;
}

} // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent) {}

StopSignals::~StopSignals() {
    if (pipe_[0] < 0) return;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        sigaction(s, &action, nullptr);
    writeEnd = -1;
    delete notifier_;
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

bool StopSignals::install(std::string& error) {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = std::string("cannot make a pipe for signals: ") + std::strerror(errno);
        pipe_[0] = pipe_[1] = -1;
        return false;
    }
    notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char drain[16];
        while (::read(pipe_[0], drain, sizeof drain) > 0) {
        }
        emit stopRequested();
    });
    writeEnd = pipe_[1];
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        sigaction(s, &action, nullptr);
    return true;
}

} // namespace veltra
