// Starting programs with posix_spawnp: the words reach the program unchanged, standard input
// is empty, the child gets its own process group and is reaped. Needs no display; it sits
// with the x11 tests because their binary links the platform library.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/linux/PosixProcessLauncher.h"

namespace quorvane {
namespace {

// Polls until the process is gone from /proc (not even a zombie), at most 10 s.
bool Reaped(int pid) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::filesystem::exists("/proc/" + std::to_string(pid))) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

TEST(PosixProcessLauncher, WordsArriveIntactStdinIsEmptyAndTheChildIsReaped) {
    const std::filesystem::path out =
        std::filesystem::temp_directory_path() / ("qv-launch-" + std::to_string(getpid()));
    PosixProcessLauncher launcher;
    const LaunchResult r =
        launcher.Start({"sh", "-c", "{ printf '%s|' \"$1\"; readlink /proc/self/fd/0; } > \"$2\"",
                        "sh", "two  words \"quoted\"", out.string()});
    ASSERT_TRUE(r.started()) << r.error;
    ASSERT_TRUE(Reaped(r.processId));  // no zombie left behind
    std::ifstream in(out);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "two  words \"quoted\"|/dev/null\n");
    std::filesystem::remove(out);
}

TEST(PosixProcessLauncher, ChildRunsInItsOwnProcessGroup) {
    PosixProcessLauncher launcher;
    const LaunchResult r = launcher.Start({"sleep", "30"});
    ASSERT_TRUE(r.started()) << r.error;
    EXPECT_EQ(getpgid(r.processId), r.processId);
    kill(r.processId, SIGTERM);
    EXPECT_TRUE(Reaped(r.processId));
}

TEST(PosixProcessLauncher, MissingProgramGivesTheSystemReason) {
    PosixProcessLauncher launcher;
    const LaunchResult missing = launcher.Start({"no-such-program-qv"});
    EXPECT_FALSE(missing.started());
    EXPECT_EQ(missing.error, "No such file or directory");
    const LaunchResult notExecutable = launcher.Start({"/etc/passwd"});
    EXPECT_FALSE(notExecutable.started());
    EXPECT_EQ(notExecutable.error, "Permission denied");
    EXPECT_FALSE(launcher.Start({}).started());
}

}  // namespace
}  // namespace quorvane
