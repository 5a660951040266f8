#include "app/QuitSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>

namespace quorvane {

namespace {

int g_signalPipe[2] = {-1, -1};

void OnQuitSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

QuitSignals::QuitSignals(std::function<void()> onQuit) : onQuit_(std::move(onQuit)) {
    if (g_signalPipe[0] < 0 && ::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        error_ = std::strerror(errno);
        return;
    }
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int quit : {SIGINT, SIGTERM, SIGHUP}) sigaction(quit, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);

    notifier_ = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        char buffer[16];
        while (::read(g_signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        if (onQuit_) onQuit_();
    });
}

QuitSignals::~QuitSignals() {
    // Back to the defaults: a signal after the event loop has gone ends the program.
    for (const int quit : {SIGINT, SIGTERM, SIGHUP}) signal(quit, SIG_DFL);
}

}  // namespace quorvane
