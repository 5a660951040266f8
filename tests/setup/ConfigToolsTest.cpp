#include "setup/ConfigTools.h"

#include <gtest/gtest.h>

#include "config/ConfigTestSupport.h"
#include "fakes/FakeMessages.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

using testing::ScratchFolder;

const std::string kOlder = std::string(QUORVANE_SOURCE_DIR) + "/examples/older-layout.qv3";

TEST(ConfigTools, ShowListsTheFileAndDirectKeysPickTheSpaceForm) {
    ScratchFolder folder;
    const std::string path = folder.File("new.qv3");
    testing::WriteBytes(path, testing::Serialize(testing::FileNewSettings()));
    FakeMessages messages;
    std::string out;
    ASSERT_EQ(ShowConfigFile(path, {}, out, messages), 0);
    EXPECT_NE(out.find("TransferKeyTable[32] = { }\n"), std::string::npos);
    ConfigToolOptions direct;
    direct.DirectKeyEvents = true;
    out.clear();
    ASSERT_EQ(ShowConfigFile(path, direct, out, messages), 0);
    EXPECT_NE(out.find("TransferKeyTable[32] =  \n"), std::string::npos);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(ConfigTools, FailuresExitWithOneAndAMessage) {
    ScratchFolder folder;
    FakeMessages messages;
    std::string out;
    EXPECT_EQ(ShowConfigFile(folder.File("missing.qv3"), {}, out, messages), 1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("missing.qv3"), std::string::npos);

    const std::string bad = folder.File("bad.qv3");
    testing::WriteBytes(bad, "hello\r\n");
    EXPECT_EQ(ConvertConfigFile(bad, folder.File("out.qv3"), {}, messages), 1);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].title, LoadString(4033));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(std::filesystem::exists(folder.File("out.qv3")));

    EXPECT_EQ(ConvertConfigFile(kOlder, folder.File("no/such/dir.qv3"), {}, messages), 1);
    EXPECT_EQ(messages.shown.back().text, "File I/O Error");
}

TEST(ConfigTools, ConvertingTheOlderExampleNotesItAndSucceeds) {
    ScratchFolder folder;
    FakeMessages messages;
    const std::string out = folder.File("converted.qv3");
    ASSERT_EQ(ConvertConfigFile(kOlder, out, {}, messages), 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].title, "Quorvane Version 4.0");
    std::string listing;
    ASSERT_EQ(ShowConfigFile(out, {}, listing, messages), 0);
    EXPECT_EQ(messages.shown.size(), 1u);  // the converted file is current
    EXPECT_NE(listing.find("ButtonCaption[2] = Zero\n"), std::string::npos);
    EXPECT_NE(listing.find("ButtonString[2] = Z\\r\\n\n"), std::string::npos);
}

}  // namespace
}  // namespace quorvane
