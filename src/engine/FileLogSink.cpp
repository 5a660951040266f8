#include "engine/FileLogSink.h"

#include <cerrno>
#include <cstring>

namespace quorvane {

namespace {

LogStatus ErrorFromErrno(int error) {
    return LogStatus::Error(error != 0 ? std::strerror(error) : "Unknown error");
}

}  // namespace

FileLogSink::~FileLogSink() {
    Close();
}

LogStatus FileLogSink::Open(const std::string& path) {
    Close();
    errno = 0;
    file_ = std::fopen(path.c_str(), "ab");
    if (file_ == nullptr) return ErrorFromErrno(errno);
    // Unbuffered: fwrite's count is then what the system accepted, nothing waits in memory.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    return LogStatus::Ok();
}

LogStatus FileLogSink::Write(std::string_view bytes, size_t& written) {
    written = 0;
    if (file_ == nullptr) return ErrorFromErrno(EBADF);
    if (bytes.empty()) return LogStatus::Ok();
    errno = 0;
    written = std::fwrite(bytes.data(), 1, bytes.size(), file_);
    if (written == bytes.size()) return LogStatus::Ok();
    const int error = errno != 0 ? errno : EIO;
    std::clearerr(file_);
    return ErrorFromErrno(error);
}

LogStatus FileLogSink::Close() {
    if (file_ == nullptr) return LogStatus::Ok();
    std::FILE* file = file_;
    file_ = nullptr;
    errno = 0;
    if (std::fclose(file) != 0) return ErrorFromErrno(errno != 0 ? errno : EIO);
    return LogStatus::Ok();
}

}  // namespace quorvane
