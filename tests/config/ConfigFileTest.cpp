#include "config/ConfigFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "config/CodePage.h"
#include "config/ConfigParser.h"
#include "config/ConfigTestSupport.h"
#include "config/UserFile.h"
#include "fakes/FakeMessages.h"
#include "strings/StringIds.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

using testing::FileNewSettings;
using testing::OlderLayoutBytes;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::Serialize;
using testing::WriteBytes;

class ConfigFileTest : public ::testing::Test {
  protected:
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = folder.File(name);
        WriteBytes(path, bytes);
        return path;
    }
    void ExpectInvalidFileMessage(const std::string& path) {
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, path + " " + LoadString(4032));
        EXPECT_EQ(messages.shown[0].title, LoadString(4033));
        EXPECT_EQ(messages.shown[0].buttons, MessageButtons::Ok);
        EXPECT_EQ(messages.shown[0].icon, MessageIcon::Question);
    }
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    ScratchFolder folder;
    FakeMessages messages;
};

TEST_F(ConfigFileTest, ValidateReportsThePortOrWhyNot) {
    SetupGlobals g = FileNewSettings();
    g.PortIndex = 4;
    const std::string good = Write("good.qv3", Serialize(g));
    EXPECT_EQ(ValidateConfigFile("", messages), -2);
    EXPECT_EQ(ValidateConfigFile(folder.File("missing.qv3"), messages), -1);
    EXPECT_EQ(ValidateConfigFile(good, messages), 4);
    EXPECT_EQ(ValidateConfigFile(Write("old.qv3", OlderLayoutBytes(g)), messages), 4);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ConfigFileTest, ValidateRejectsASignatureWithATrailingBlank) {
    std::string bytes = Serialize(FileNewSettings());
    bytes.insert(kSignatureCurrent.size(), " ");
    const std::string path = Write("Scale-ü.qv3", bytes);
    EXPECT_EQ(ValidateConfigFile(path, messages), -1);
    // The name as it was given: on Linux letter case is part of a file's name.
    ExpectInvalidFileMessage(path);
    EXPECT_NE(messages.shown[0].text.find("/Scale-\xC3\xBC.qv3 "), std::string::npos);
}

TEST_F(ConfigFileTest, ValidateRejectsANegativeOrMissingPort) {
    const std::string negative =
        Write("neg.qv3", std::string(kSignatureCurrent) + "\r\n-1 \r\nrest");
    EXPECT_EQ(ValidateConfigFile(negative, messages), -1);
    const std::string word = Write("word.qv3", std::string(kSignatureCurrent) + "\r\nCOM1\r\n");
    EXPECT_EQ(ValidateConfigFile(word, messages), -1);
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(ConfigFileTest, AFifoOrAFolderIsNeverOpened) {
    const std::string fifo = folder.File("pipe.qv3");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Opening the FIFO would wait here for a writer that never comes.
    EXPECT_EQ(ValidateConfigFile(fifo, messages), -1);
    SetupGlobals g;
    g.ConfigFileName = fifo;
    EXPECT_FALSE(ReadConfigFile(g, messages));
    EXPECT_EQ(ValidateConfigFile(folder.path().string(), messages), -1);
    EXPECT_EQ(UserFileProblem(fifo), LoadString(kStrNotRegularFile, {fifo}));
    EXPECT_EQ(UserFileProblem(folder.path().string()), folder.path().string() + ": Is a directory");
    EXPECT_EQ(UserFileProblem(folder.File("none")),
              folder.File("none") + ": No such file or directory");
    EXPECT_EQ(UserFileProblem(Write("real.qv3", "x")), "");
}

TEST_F(ConfigFileTest, ReadingSetsTheLoadFlags) {
    SetupGlobals source = FileNewSettings();
    source.AckString = "\x06";
    SetupGlobals g = FileNewSettings();
    g.ConfigChanged = kTrue;
    g.ConfigFileName = Write("a.qv3", Serialize(source));
    ASSERT_TRUE(ReadConfigFile(g, messages));
    EXPECT_EQ(g.AckString, "\x06");
    EXPECT_EQ(g.ConfigLoaded, kTrue);
    EXPECT_EQ(g.ConfigChanged, kFalse);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(messages.beeps, 0);
}

TEST_F(ConfigFileTest, ReadingTheOlderLayoutBeepsAndAsksToSave) {
    SetupGlobals g = FileNewSettings();
    g.ConfigFileName = Write("old.qv3", OlderLayoutBytes(FileNewSettings()));
    ASSERT_TRUE(ReadConfigFile(g, messages));
    EXPECT_EQ(g.ConfigLoaded, kTrue);
    EXPECT_EQ(g.ConfigChanged, kTrue);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].beepsBefore, 1);
    EXPECT_EQ(messages.shown[0].title, "Quorvane Version 4.0");
    EXPECT_EQ(messages.shown[0].text, LoadString(4029));
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::Ok);
}

TEST_F(ConfigFileTest, ADamagedFileIsReportedAndNothingChanges) {
    std::string bytes = Serialize(FileNewSettings());
    bytes.resize(bytes.size() / 2);
    SetupGlobals g = FileNewSettings();
    g.Mode = kModeLog;
    g.ConfigFileName = Write("half.qv3", bytes);
    const std::string before = Serialize(g);
    EXPECT_FALSE(ReadConfigFile(g, messages));
    EXPECT_EQ(Serialize(g), before);
    EXPECT_EQ(g.ConfigLoaded, kFalse);
    ExpectInvalidFileMessage(g.ConfigFileName);
}

TEST_F(ConfigFileTest, WriteNeedsAName) {
    SetupGlobals g = FileNewSettings();
    EXPECT_FALSE(WriteConfigFile(g, messages));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(messages.beeps, 0);
}

TEST_F(ConfigFileTest, WriteReplacesTheFileWholeAndLeavesNoTemporaryFile) {
    SetupGlobals g = FileNewSettings();
    g.ConfigFileName = Write("scale.qv3", "an older save");
    g.ConfigChanged = kTrue;
    ASSERT_TRUE(WriteConfigFile(g, messages));
    EXPECT_EQ(ReadBytes(g.ConfigFileName), Serialize(g));
    EXPECT_EQ(g.ConfigChanged, kTrue);  // the caller clears it
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"scale.qv3"});
}

TEST_F(ConfigFileTest, AFailedSaveKeepsTheExistingFile) {
    SetupGlobals g = FileNewSettings();
    g.ConfigFileName = Write("keep.qv3", "the user's good file");
    g.TargetAppTitle = "cannot\r\nbe a line";
    EXPECT_FALSE(WriteConfigFile(g, messages));
    EXPECT_EQ(ReadBytes(g.ConfigFileName), "the user's good file");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "File I/O Error");
    EXPECT_EQ(messages.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(messages.shown[0].beepsBefore, 1);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"keep.qv3"});
}

TEST_F(ConfigFileTest, WriteFailuresOfTheFileSystemAreReported) {
    SetupGlobals g = FileNewSettings();
    g.ConfigFileName = folder.File("no-such-folder/x.qv3");
    EXPECT_FALSE(WriteConfigFile(g, messages));
    // A folder in the way: the rename fails and the temporary file is removed again.
    std::filesystem::create_directory(folder.File("dir.qv3"));
    g.ConfigFileName = folder.File("dir.qv3");
    EXPECT_FALSE(WriteConfigFile(g, messages));
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.beeps, 2);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"dir.qv3"});
}

TEST_F(ConfigFileTest, WriteThroughASymbolicLinkKeepsTheLink) {
    const std::string real = Write("real.qv3", "old");
    std::filesystem::create_symlink(real, folder.File("link.qv3"));
    SetupGlobals g = FileNewSettings();
    g.ConfigFileName = folder.File("link.qv3");
    ASSERT_TRUE(WriteConfigFile(g, messages));
    EXPECT_TRUE(std::filesystem::is_symlink(folder.File("link.qv3")));
    EXPECT_EQ(ReadBytes(real), Serialize(g));
}

class LoadOrResetTest : public ConfigFileTest {
  protected:
    LoadHooks Hooks() {
        LoadHooks hooks;
        hooks.HomeDirectory = "/home/kim";
        hooks.ShowConfigTitle = [this] { events.push_back("title"); };
        hooks.SetWaitCursor = [this](bool busy) { events.push_back(busy ? "wait" : "arrow"); };
        return hooks;
    }
    std::vector<std::string> events;
};

TEST_F(LoadOrResetTest, LoadsAValidFile) {
    SetupGlobals source = FileNewSettings();
    source.Mode = kModeDde;
    SetupGlobals g = FileNewSettings();
    g.ConfigFileName = Write("dde.qv3", Serialize(source));
    LoadOrReset(g, messages, Hooks());
    EXPECT_EQ(g.Mode, kModeDde);
    EXPECT_EQ(g.ConfigLoaded, kTrue);
    EXPECT_FALSE(g.ConfigFileName.empty());
    EXPECT_EQ(events, (std::vector<std::string>{"wait", "title", "arrow"}));
    for (int k = 1; k <= 6; ++k) {
        EXPECT_EQ(g.NamedFormats[k].StoredName, kNamedFormatStoredNames[k]);
        EXPECT_EQ(g.NamedFormats[k].DisplayName, CodePage::FromUtf8(LoadString(9003 + k)));
    }
}

// Not a configuration file, and a configuration file damaged past its signature, both end in
// an Untitled File New configuration, whatever was loaded before.
TEST_F(LoadOrResetTest, FallsBackToFileNew) {
    std::string damaged = Serialize(FileNewSettings());
    damaged.resize(3000);
    for (const std::string& bytes : {std::string("not a configuration\r\n"), damaged}) {
        messages.shown.clear();
        events.clear();
        SetupGlobals g = FileNewSettings();
        g.Mode = kModeLog;
        g.ButtonCaption[3] = "Edited";
        g.ConfigLoaded = kTrue;
        g.ConfigFileName = Write("bad.qv3", bytes);
        LoadOrReset(g, messages, Hooks());
        EXPECT_EQ(messages.shown.size(), 1u);
        EXPECT_TRUE(g.ConfigFileName.empty());
        EXPECT_EQ(g.ConfigLoaded, kFalse);
        EXPECT_EQ(Serialize(g), Serialize(FileNewSettings()));
        EXPECT_EQ(events, (std::vector<std::string>{"wait", "title", "arrow"}));
    }
}

TEST_F(LoadOrResetTest, FileNewAndAMissingFileResetWithoutAMessage) {
    for (const std::string& name : {std::string(), folder.File("gone.qv3")}) {
        SetupGlobals g = FileNewSettings();
        g.Parity = 0;
        g.ConfigFileName = name;
        LoadOrReset(g, messages, Hooks());
        EXPECT_EQ(g.Parity, 2);
        EXPECT_TRUE(g.ConfigFileName.empty());
    }
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace quorvane
