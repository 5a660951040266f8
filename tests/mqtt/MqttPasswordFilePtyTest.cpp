// The password file on a real file system. Named *PtyTest so that it joins the binary that
// links the platform library; it needs no terminal.
#include "platform/linux/MqttPasswordFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "fakes/TemporaryFolder.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

void WriteFile(const std::string& path, const std::string& bytes, mode_t mode) {
    { std::ofstream(path, std::ios::binary) << bytes; }
    ::chmod(path.c_str(), mode);
}

TEST(MqttPasswordFile, FirstLineWithoutItsLineEnd) {
    TemporaryFolder tmp;
    ASSERT_TRUE(tmp.ok());
    for (const std::string& text :
         {std::string("s3cret"), std::string("s3cret\n"), std::string("s3cret\r\nsecond line\n")}) {
        WriteFile(tmp / "pw", text, 0600);
        const MqttPasswordRead read = ReadMqttPasswordFile(tmp / "pw");
        EXPECT_TRUE(read.ok) << read.error;
        EXPECT_EQ(read.password, "s3cret");
        EXPECT_TRUE(read.warnings.empty());
    }
}

TEST(MqttPasswordFile, ProblemsAreSaid) {
    TemporaryFolder tmp;
    ASSERT_TRUE(tmp.ok());
    const std::string pw = tmp / "pw";
    MqttPasswordRead read = ReadMqttPasswordFile(tmp / "missing");
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.error,
              LoadString(kStrMqttPasswordFileUnreadable, {tmp / "missing", std::strerror(ENOENT)}));
    WriteFile(pw, "\n", 0600);
    EXPECT_EQ(ReadMqttPasswordFile(pw).error, LoadString(kStrMqttPasswordFileEmpty, {pw}));
    WriteFile(pw, std::string(65536, 'p'), 0600);
    EXPECT_EQ(ReadMqttPasswordFile(pw).error, LoadString(kStrMqttPasswordTooLong, {pw}));
    WriteFile(pw, std::string(65535, 'p') + "\n", 0600);
    EXPECT_TRUE(ReadMqttPasswordFile(pw).ok);
    EXPECT_FALSE(ReadMqttPasswordFile(tmp / "").ok) << "a folder is no password file";
    for (const mode_t mode : {0640, 0604}) {
        WriteFile(pw, "s3cret", mode);
        read = ReadMqttPasswordFile(pw);
        EXPECT_TRUE(read.ok);
        EXPECT_EQ(read.warnings,
                  std::vector<std::string>{LoadString(kStrMqttPasswordFileOpen, {pw})});
    }
}

}  // namespace
}  // namespace quorvane
