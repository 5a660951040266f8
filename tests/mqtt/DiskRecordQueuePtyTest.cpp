// The queue file on a real file system. Named *PtyTest so that it
// joins the binary that links the platform library; it needs no terminal.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "fakes/TemporaryFolder.h"
#include "mqtt/RecordQueue.h"
#include "platform/linux/DiskRecordQueue.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::string& bytes, mode_t mode) {
    { std::ofstream(path, std::ios::binary) << bytes; }
    ::chmod(path.c_str(), mode);
}

std::vector<std::string> Payloads(const RecordQueue& queue) {
    std::vector<std::string> out;
    for (const QueuedRecord& r : queue.Records()) out.push_back(r.payload);
    return out;
}

mode_t Mode(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 0777;
}

TEST(DiskRecordQueue, MakesItsFoldersPrivatelyAndKeepsEntriesAcrossReopen) {
    TemporaryFolder tmp;
    ASSERT_TRUE(tmp.ok());
    const std::string path = tmp / "state/Quorvane/mqtt-COM1.queue";
    {
        DiskRecordQueue store(path);
        ASSERT_EQ(store.Open().kind, DiskQueueOpen::Opened);
        EXPECT_EQ(Mode(tmp / "state"), 0700u);
        EXPECT_EQ(Mode(tmp / "state/Quorvane"), 0700u);
        EXPECT_EQ(Mode(path), 0600u);
        RecordQueue queue(store, 1 << 20);
        ASSERT_TRUE(queue.Open().read.ok);
        for (const char* p : {"one", "two", "three"}) ASSERT_TRUE(queue.Push(p).status.ok);
        ASSERT_TRUE(queue.Acknowledge(queue.Records().front().sequence).ok);
    }
    DiskRecordQueue store(path);
    ASSERT_EQ(store.Open().kind, DiskQueueOpen::Opened);
    RecordQueue queue(store, 1 << 20);
    const RecordQueueOpenResult opened = queue.Open();
    EXPECT_TRUE(opened.read.ok);
    EXPECT_EQ(Payloads(queue), (std::vector<std::string>{"two", "three"}));
}

TEST(DiskRecordQueue, OneProgramPerQueueFile) {
    TemporaryFolder tmp;
    ASSERT_TRUE(tmp.ok());
    const std::string path = tmp / "q.queue";
    auto first = std::make_unique<DiskRecordQueue>(path);
    ASSERT_EQ(first->Open().kind, DiskQueueOpen::Opened);
    DiskRecordQueue second(path);
    EXPECT_EQ(second.Open().kind, DiskQueueOpen::InUse);
    // Still held after the first has put a new file in the queue's place.
    ASSERT_TRUE(first->Replace("x").ok);
    EXPECT_EQ(second.Open().kind, DiskQueueOpen::InUse);
    first.reset();
    EXPECT_EQ(second.Open().kind, DiskQueueOpen::Opened);
}

TEST(DiskRecordQueue, ReplaceAndTruncateAndAppendsAfterThem) {
    TemporaryFolder tmp;
    ASSERT_TRUE(tmp.ok());
    const std::string path = tmp / "q.queue";
    DiskRecordQueue store(path);
    ASSERT_EQ(store.Open().kind, DiskQueueOpen::Opened);
    ASSERT_TRUE(store.Append("old bytes", true).ok);
    ASSERT_TRUE(store.Replace("new").ok);
    ASSERT_TRUE(store.Append("+more", false).ok);
    EXPECT_EQ(FileBytes(path), "new+more");
    ASSERT_TRUE(store.Truncate(4).ok);
    ASSERT_TRUE(store.Append("less", false).ok);
    EXPECT_EQ(FileBytes(path), "new+less") << "appends go to the cut end";
    std::string read;
    ASSERT_TRUE(store.ReadAll(read).ok);
    EXPECT_EQ(read, "new+less");
    EXPECT_FALSE(fs::exists(path + ".tmp"));
}

TEST(DiskRecordQueue, TornAndDamagedFilesAreRepairedOnDisk) {
    TemporaryFolder tmp;
    ASSERT_TRUE(tmp.ok());
    const std::string path = tmp / "q.queue";
    size_t whole = 0;
    {
        DiskRecordQueue store(path);
        ASSERT_EQ(store.Open().kind, DiskQueueOpen::Opened);
        RecordQueue queue(store, 1 << 20);
        queue.Open();
        for (const char* p : {"aaaa", "bbbb", "cccc"}) queue.Push(p);
        whole = FileBytes(path).size();
        queue.Push("dddd");
    }
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(whole + 10)), 0);
    {  // a byte of "bbbb" flipped
        const int fd = ::open(path.c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, "B", 1, static_cast<off_t>(whole / 3 + 24)), 1);
        ::close(fd);
    }
    DiskRecordQueue store(path);
    ASSERT_EQ(store.Open().kind, DiskQueueOpen::Opened);
    RecordQueue queue(store, 1 << 20);
    const RecordQueueOpenResult opened = queue.Open();
    EXPECT_TRUE(opened.rewrite.ok);
    EXPECT_TRUE(opened.tornTail);
    EXPECT_EQ(opened.damaged, 1u);
    EXPECT_EQ(Payloads(queue), (std::vector<std::string>{"aaaa", "cccc"}));
    EXPECT_EQ(FileBytes(path).size(), whole / 3 * 2);
}

TEST(DiskRecordQueue, AFolderThatCannotBeMadeIsSaidWithItsReason) {
    TemporaryFolder tmp;
    ASSERT_TRUE(tmp.ok());
    WriteFile(tmp / "plain", "", 0600);
    DiskRecordQueue store(tmp / "plain/Quorvane/q.queue");
    const DiskQueueOpen opened = store.Open();
    EXPECT_EQ(opened.kind, DiskQueueOpen::Failed);
    EXPECT_EQ(opened.error, tmp / "plain: " + std::string(std::strerror(ENOTDIR)));
    std::string bytes;
    EXPECT_FALSE(store.ReadAll(bytes).ok);
    EXPECT_FALSE(store.Append("x", true).ok);
}

}  // namespace
}  // namespace quorvane
