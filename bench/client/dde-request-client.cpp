// Calls Request(item) on a Quorvane DDE server back to back over one session-bus connection
// and reports how long each call waited: the median, the 99th percentile, the maximum, the
// number of calls and how many hit the timeout. Runs until SIGTERM or SIGINT, or until the
// given number of calls is made.
//
//   quorvane-dde-request-client BUS_NAME ITEM [CALLS] [TIMEOUT_MS]
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

volatile sig_atomic_t stopRequested = 0;
void RequestStop(int) {
    stopRequested = 1;
}

double Percentile(const std::vector<double>& sorted, double p) {
    if (sorted.empty()) return 0.0;
    const size_t at = static_cast<size_t>(p * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[std::min(at, sorted.size() - 1)];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s BUS_NAME ITEM [CALLS] [TIMEOUT_MS]\n", argv[0]);
        return 2;
    }
    QCoreApplication app(argc, argv);
    const QString busName = QString::fromLocal8Bit(argv[1]);
    const QString item = QString::fromLocal8Bit(argv[2]);
    const long calls = argc > 3 ? std::atol(argv[3]) : 0;  // 0: until a signal
    const int timeoutMs = argc > 4 ? std::atoi(argv[4]) : 10000;
    struct sigaction action = {};
    action.sa_handler = RequestStop;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "no session bus\n");
        return 1;
    }
    std::vector<double> waits;  // milliseconds
    long timeouts = 0, errors = 0;
    std::fprintf(stdout, "calling\n");
    std::fflush(stdout);
    while (!stopRequested && (calls == 0 || static_cast<long>(waits.size()) < calls)) {
        QDBusMessage call = QDBusMessage::createMethodCall(busName, "/org/quorvane/Dde",
                                                           "org.quorvane.Dde1", "Request");
        call << item;
        const auto start = std::chrono::steady_clock::now();
        const QDBusMessage reply = bus.call(call, QDBus::Block, timeoutMs);
        const std::chrono::duration<double, std::milli> waited =
            std::chrono::steady_clock::now() - start;
        waits.push_back(waited.count());
        if (reply.type() == QDBusMessage::ErrorMessage) {
            if (reply.errorName() == "org.freedesktop.DBus.Error.NoReply" ||
                reply.errorName() == "org.freedesktop.DBus.Error.Timeout") {
                ++timeouts;
            } else {
                ++errors;
                if (errors == 1)
                    std::fprintf(stderr, "error: %s\n", qPrintable(reply.errorMessage()));
            }
        }
    }
    std::vector<double> sorted = waits;
    std::sort(sorted.begin(), sorted.end());
    std::printf("calls: %zu, timed out (%d ms): %ld, other errors: %ld\n", sorted.size(), timeoutMs,
                timeouts, errors);
    std::printf("wait per call: median %.2f ms, 99th percentile %.2f ms, maximum %.2f ms\n",
                Percentile(sorted, 0.5), Percentile(sorted, 0.99),
                sorted.empty() ? 0.0 : sorted.back());
    return errors == 0 ? 0 : 1;
}
