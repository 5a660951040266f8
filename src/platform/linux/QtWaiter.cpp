#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "platform/linux/QtWaiter.h"

#include <chrono>
#include <thread>

namespace quorvane {

void QtWaiter::ProcessEvents(uint32_t maxMs) {
    if (!QCoreApplication::instance()) {
        // No event loop to keep alive (a tool run without Qt): plain sleep.
        std::this_thread::sleep_for(std::chrono::milliseconds(maxMs));
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(std::chrono::milliseconds(maxMs), &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace quorvane
