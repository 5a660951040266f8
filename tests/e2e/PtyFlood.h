// A device as fast as the program reads: a pseudo-terminal of the test's own, raw, whose
// slave end stays open across the program's start, and a writer thread that repeats one
// record into it until Stop (or the end of this object). A short write goes on where it
// stopped, so records are never cut or glued.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

namespace quorvane::e2e {

class PtyFlood {
  public:
    PtyFlood() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
        path_ = ptsname(master_);
        slave_ = open(path_.c_str(), O_RDWR | O_NOCTTY);
        if (slave_ < 0) return;
        termios raw{};
        tcgetattr(slave_, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave_, TCSANOW, &raw);
    }
    ~PtyFlood() {
        Stop();
        if (slave_ >= 0) close(slave_);
        if (master_ >= 0) close(master_);
    }
    PtyFlood(const PtyFlood&) = delete;
    PtyFlood& operator=(const PtyFlood&) = delete;

    bool Ok() const { return slave_ >= 0; }
    // The device path for --port COM1=PATH.
    const std::string& Path() const { return path_; }

    void Start(const std::string& record) {
        writer_ = std::thread([this, record] {
            std::string chunk;
            while (chunk.size() < 20000) chunk += record;
            size_t at = 0;    // where in the chunk the stream goes on
            while (!stop_) {  // non-blocking, so that the writer sees stop when nobody reads
                const ssize_t n = write(master_, chunk.data() + at, chunk.size() - at);
                if (n > 0) {
                    at = (at + static_cast<size_t>(n)) % chunk.size();
                } else if (errno == EAGAIN || errno == EINTR) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                } else {
                    break;
                }
            }
        });
    }
    void Stop() {
        stop_ = true;
        if (writer_.joinable()) writer_.join();
    }

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
    std::atomic<bool> stop_{false};
    std::thread writer_;
};

}  // namespace quorvane::e2e
