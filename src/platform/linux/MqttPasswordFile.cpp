#include "platform/linux/MqttPasswordFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "mqtt/MqttSettings.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {

MqttPasswordRead ReadMqttPasswordFile(const std::string& path) {
    MqttPasswordRead result;
    const auto unreadable = [&](int error) {
        result.error = LoadString(kStrMqttPasswordFileUnreadable, {path, std::strerror(error)});
        return result;
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return unreadable(errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return unreadable(error);
    }
    if (S_ISDIR(info.st_mode)) {
        ::close(fd);
        return unreadable(EISDIR);
    }
    if (info.st_mode & (S_IRGRP | S_IROTH))
        result.warnings.push_back(LoadString(kStrMqttPasswordFileOpen, {path}));
    // One byte past the limit, and the line end, tell a password that is too long.
    std::string text(kMqttMaxStringBytes + 3, '\0');
    size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return unreadable(error);
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
        if (text.find('\n') < got) break;
    }
    ::close(fd);
    text.resize(got);
    text = text.substr(0, text.find('\n'));
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (text.empty()) {
        result.error = LoadString(kStrMqttPasswordFileEmpty, {path});
    } else if (text.size() > kMqttMaxStringBytes) {
        result.error = LoadString(kStrMqttPasswordTooLong, {path});
    } else {
        result.ok = true;
        result.password = std::move(text);
    }
    return result;
}

}  // namespace quorvane
