// SIGINT, SIGTERM and SIGHUP for a program with a Qt event loop: the handler only writes a
// byte to a pipe, and the quit itself runs in the event loop, between poll ticks.
#pragma once

#include <functional>
#include <memory>
#include <string>

class QSocketNotifier;

namespace quorvane {

class QuitSignals {
  public:
    // Installs the handlers (one object per process); onQuit runs in the event loop for each
    // burst of signals. A hang-up quits too: its default would end the program with the port
    // still open. SIGPIPE is ignored, so a log on a closed pipe fails its write instead.
    explicit QuitSignals(std::function<void()> onQuit);
    ~QuitSignals();
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

    // False when the pipe could not be made; Error() then says why.
    bool Installed() const { return notifier_ != nullptr; }
    const std::string& Error() const { return error_; }

  private:
    std::function<void()> onQuit_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::string error_;
};

}  // namespace quorvane
