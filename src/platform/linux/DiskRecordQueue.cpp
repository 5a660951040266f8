#include "platform/linux/DiskRecordQueue.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace quorvane {

namespace {

std::string Reason(int error) {
    return std::strerror(error);
}

QueueStoreStatus Failure(int error) {
    return {false, Reason(error)};
}

std::string Folder(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? std::string("/") : path.substr(0, slash);
}

// mkdir -p with mode 0700 for the folders it makes: 0, or the errno of the step that failed
// with the folder it failed on in failedAt.
int MakeFolders(const std::string& folder, std::string& failedAt) {
    for (size_t at = 1; at <= folder.size(); ++at) {
        if (at != folder.size() && folder[at] != '/') continue;
        failedAt = folder.substr(0, at);
        if (::mkdir(failedAt.c_str(), 0700) == 0) continue;
        const int error = errno;
        if (error != EEXIST) return error;
        struct stat info {};
        if (::stat(failedAt.c_str(), &info) != 0) return errno;
        if (!S_ISDIR(info.st_mode)) return ENOTDIR;
    }
    return 0;
}

int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return 0;
}

// The folder's own entry list must reach the disk for a new or renamed file to survive.
int SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int result = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return result;
}

int OpenForAppend(const std::string& path) {
    return ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
}

}  // namespace

DiskRecordQueue::DiskRecordQueue(std::string path) : path_(std::move(path)) {}

DiskRecordQueue::~DiskRecordQueue() {
    Close();
}

void DiskRecordQueue::Close() {
    if (fd_ >= 0) ::close(fd_);
    if (lockFd_ >= 0) ::close(lockFd_);  // closing gives the flock back
    fd_ = lockFd_ = -1;
}

DiskQueueOpen DiskRecordQueue::Open() {
    Close();
    const std::string folder = Folder(path_);
    std::string failedAt;
    if (const int error = MakeFolders(folder, failedAt))
        return {DiskQueueOpen::Failed, failedAt + ": " + Reason(error)};
    const std::string lockPath = path_ + ".lock";
    lockFd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd_ < 0) return {DiskQueueOpen::Failed, lockPath + ": " + Reason(errno)};
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        Close();
        if (error == EWOULDBLOCK) return {DiskQueueOpen::InUse, {}};
        return {DiskQueueOpen::Failed, lockPath + ": " + Reason(error)};
    }
    fd_ = OpenForAppend(path_);
    if (fd_ < 0) {
        const int error = errno;
        Close();
        return {DiskQueueOpen::Failed, path_ + ": " + Reason(error)};
    }
    if (const int error = SyncFolder(folder)) {
        Close();
        return {DiskQueueOpen::Failed, folder + ": " + Reason(error)};
    }
    return {DiskQueueOpen::Opened, {}};
}

QueueStoreStatus DiskRecordQueue::ReadAll(std::string& bytes) {
    bytes.clear();
    if (fd_ < 0) return Failure(EBADF);
    struct stat info {};
    if (::fstat(fd_, &info) != 0) return Failure(errno);
    bytes.resize(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::pread(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            bytes.clear();
            return Failure(error);
        }
        if (n == 0) break;  // shorter than it was a moment ago
        done += static_cast<size_t>(n);
    }
    bytes.resize(done);
    return {};
}

QueueStoreStatus DiskRecordQueue::Append(std::string_view bytes, bool durable) {
    if (fd_ < 0) return Failure(EBADF);
    if (const int error = WriteAll(fd_, bytes)) return Failure(error);
    if (durable && ::fdatasync(fd_) != 0) return Failure(errno);
    return {};
}

QueueStoreStatus DiskRecordQueue::Sync() {
    if (fd_ < 0) return Failure(EBADF);
    if (::fdatasync(fd_) != 0) return Failure(errno);
    return {};
}

QueueStoreStatus DiskRecordQueue::Truncate(uint64_t size) {
    if (fd_ < 0) return Failure(EBADF);
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) return Failure(errno);
    return {};
}

QueueStoreStatus DiskRecordQueue::Replace(std::string_view bytes) {
    if (fd_ < 0) return Failure(EBADF);
    const std::string temporary = path_ + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return Failure(errno);
    int error = WriteAll(fd, bytes);
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temporary.c_str(), path_.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return Failure(error);
    }
    error = SyncFolder(Folder(path_));
    // The old descriptor still points at the replaced file: from now on, the new one.
    const int replaced = OpenForAppend(path_);
    if (replaced < 0) {
        ::close(fd_);
        fd_ = -1;
        return Failure(errno);
    }
    ::close(fd_);
    fd_ = replaced;
    return error == 0 ? QueueStoreStatus{} : Failure(error);
}

}  // namespace quorvane
