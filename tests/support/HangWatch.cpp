// A test that hangs is stopped with the stacks of every thread, so that a hang on a CI
// machine says where it waited instead of only that ctest's time ran out. Linked into every
// test binary; QUORVANE_HANG_SECONDS sets the limit (200, below ctest's 300), 0 turns it off.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

extern char** environ;

namespace {

// The watch's state outlives the listener that gtest deletes at exit: the watching thread
// still waits on it then (a condition variable destroyed under a waiter blocks the exit).
class Watch {
  public:
    explicit Watch(std::chrono::seconds limit) : limit_(limit) {
        std::thread([this] { Run(); }).detach();
    }

    void Start(const testing::TestInfo& info) {
        std::lock_guard lock(mutex_);
        test_ = std::string(info.test_suite_name()) + "." + info.name();
        deadline_ = std::chrono::steady_clock::now() + limit_;
        running_ = true;
        changed_.notify_all();
    }
    void End() {
        std::lock_guard lock(mutex_);
        running_ = false;
        changed_.notify_all();
    }

  private:
    void Run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (!running_) {
                changed_.wait(lock);
                continue;
            }
            const auto deadline = deadline_;
            if (changed_.wait_until(lock, deadline) == std::cv_status::no_timeout ||
                !running_ || deadline_ != deadline)
                continue;
            std::fprintf(stderr, "\n%s has run for %lld s and is stopped; where each thread was:\n",
                         test_.c_str(), static_cast<long long>(limit_.count()));
            std::fflush(stdout);
            std::fflush(stderr);
            PrintStacks();
            std::_Exit(124);
        }
    }

    static void PrintStacks() {
        const std::string pid = std::to_string(getpid());
        char gdb[] = "gdb";
        char batch[] = "-batch";
        char nx[] = "-nx";
        char p[] = "-p";
        char ex[] = "-ex";
        char bt[] = "thread apply all bt 30";
        char* argv[] = {gdb, batch, nx, p, const_cast<char*>(pid.c_str()), ex, bt, nullptr};
        pid_t child = -1;
        if (posix_spawnp(&child, "gdb", nullptr, nullptr, argv, environ) != 0) {
            std::fprintf(stderr, "(gdb is not installed: no stacks)\n");
            return;
        }
        waitpid(child, nullptr, 0);
    }

    const std::chrono::seconds limit_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::string test_;
    std::chrono::steady_clock::time_point deadline_{};
    bool running_ = false;
};

class HangWatch : public testing::EmptyTestEventListener {
  public:
    explicit HangWatch(Watch* watch) : watch_(watch) {}
    void OnTestStart(const testing::TestInfo& info) override { watch_->Start(info); }
    void OnTestEnd(const testing::TestInfo&) override { watch_->End(); }

  private:
    Watch* watch_;
};

const bool registered = [] {
    long seconds = 200;
    if (const char* s = std::getenv("QUORVANE_HANG_SECONDS")) seconds = std::strtol(s, nullptr, 10);
    if (seconds <= 0) return false;
    prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);  // lets gdb attach under Yama
    testing::UnitTest::GetInstance()->listeners().Append(
        new HangWatch(new Watch(std::chrono::seconds(seconds))));
    return true;
}();

}  // namespace
