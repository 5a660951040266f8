#include "platform/linux/PosixProcessLauncher.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

extern char** environ;

namespace quorvane {

namespace {

// The spawn attributes and file actions, released on every path.
class SpawnSetup {
  public:
    SpawnSetup() {
        posix_spawnattr_init(&attributes_);
        posix_spawn_file_actions_init(&actions_);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions_);
        posix_spawnattr_destroy(&attributes_);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    // 0 or an error number.
    int Prepare() {
        sigset_t none;
        sigemptyset(&none);
        sigset_t all;
        sigfillset(&all);
        int error = posix_spawnattr_setsigmask(&attributes_, &none);
        if (error == 0) error = posix_spawnattr_setsigdefault(&attributes_, &all);
        if (error == 0) error = posix_spawnattr_setpgroup(&attributes_, 0);
        if (error == 0) {
            error = posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK |
                                                               POSIX_SPAWN_SETSIGDEF |
                                                               POSIX_SPAWN_SETPGROUP);
        }
        if (error == 0) {
            error =
                posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        }
        return error;
    }

    posix_spawnattr_t attributes_;
    posix_spawn_file_actions_t actions_;
};

void ReapWhenDone(pid_t pid) {
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

}  // namespace

LaunchResult PosixProcessLauncher::Start(const std::vector<std::string>& words) {
    LaunchResult result;
    if (words.empty() || words.front().empty()) {
        result.error = std::strerror(ENOENT);
        return result;
    }
    std::vector<char*> argv;
    argv.reserve(words.size() + 1);
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);

    SpawnSetup setup;
    int error = setup.Prepare();
    pid_t pid = 0;
    if (error == 0) {
        error =
            posix_spawnp(&pid, argv[0], &setup.actions_, &setup.attributes_, argv.data(), environ);
    }
    if (error != 0) {
        result.error = std::strerror(error);
        return result;
    }
    result.processId = static_cast<int>(pid);
    ReapWhenDone(pid);
    return result;
}

}  // namespace quorvane
