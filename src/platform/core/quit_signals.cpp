#include "platform/core/quit_signals.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>

namespace platform {

namespace {

// The two ends of a socket pair: the handler writes the signal's number into one, the event
// loop reads it from the other. Only write() is safe to call from a signal handler.
int ends[2] = {-1, -1};

void Handle(int number) {
    const int saved = errno;
    const char byte = char(number);
    [[maybe_unused]] const ssize_t ignored = ::write(ends[0], &byte, 1);
    errno = saved;
}

constexpr int kSignals[] = {SIGTERM, SIGINT};

}  // namespace

QuitSignals::QuitSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends) != 0) {
        qWarning("vellora: SIGTERM and SIGINT end the program unsaved: no socket pair");
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(ends[1], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        while (::read(ends[1], &byte, 1) == 1) emit received(int(byte));
    });
    struct sigaction action {};
    action.sa_handler = Handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : kSignals) ::sigaction(number, &action, nullptr);
}

QuitSignals::~QuitSignals() {
    for (const int number : kSignals) ::signal(number, SIG_DFL);
    notifier_.reset();
    for (int& end : ends) {
        if (end >= 0) ::close(end);
        end = -1;
    }
}

}  // namespace platform
