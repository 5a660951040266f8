// The store of a record queue as a file. The file is opened O_APPEND, so every entry lands
// at its end; records are flushed with fdatasync before Append returns, head marks are
// left to the system. Replace writes "<path>.tmp", syncs it, renames it over the file and
// syncs the folder, so a power loss leaves the old or the new content, never a mix.
//
// Two programs must never share one queue (both would publish and confirm its records):
// Open takes an exclusive flock on "<path>.lock", a file of its own because Replace puts a
// new file in the queue's place, and holds it until the store is destroyed.
#pragma once

#include <string>

#include "platform/RecordQueueStore.h"

namespace quorvane {

struct DiskQueueOpen {
    enum Kind { Opened, InUse, Failed } kind = Failed;
    std::string error;  // Failed: the system's reason, with the step that failed
};

class DiskRecordQueue final : public RecordQueueStore {
  public:
    explicit DiskRecordQueue(std::string path);  // path: UTF-8, absolute
    ~DiskRecordQueue() override;                 // closes the file and gives the lock back
    DiskRecordQueue(const DiskRecordQueue&) = delete;
    DiskRecordQueue& operator=(const DiskRecordQueue&) = delete;

    // Makes the missing folders (mode 0700) and the file (0600), and takes the lock.
    DiskQueueOpen Open();
    const std::string& path() const { return path_; }

    QueueStoreStatus ReadAll(std::string& bytes) override;
    QueueStoreStatus Append(std::string_view bytes, bool durable) override;
    QueueStoreStatus Sync() override;
    QueueStoreStatus Truncate(uint64_t size) override;
    QueueStoreStatus Replace(std::string_view bytes) override;

  private:
    void Close();

    std::string path_;
    int fd_ = -1;
    int lockFd_ = -1;
};

}  // namespace quorvane
