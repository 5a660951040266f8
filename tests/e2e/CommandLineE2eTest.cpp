// The real program's command-line tools, run as a user would run them.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "config/ConfigLayout.h"
#include "config/ConfigParser.h"
#include "config/ConfigTestSupport.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

using testing::ReadBytes;
using testing::ScratchFolder;

struct ProgramRun {
    int exitCode = -1;
    std::string out, err;
};

std::string Quoted(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class CommandLineE2e : public ::testing::Test {
  protected:
    // The display-less path, whatever display the shell running the tests has.
    CommandLineE2e() { unsetenv("DISPLAY"); }
    ProgramRun Program(const std::vector<std::string>& args) {
        std::string command = Quoted(QUORVANE_PROGRAM);
        for (const auto& a : args) command += " " + Quoted(a);
        const std::string out = folder.File("stdout"), err = folder.File("stderr");
        command += " >" + Quoted(out) + " 2>" + Quoted(err) + " </dev/null";
        const int status = std::system(command.c_str());
        ProgramRun run;
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = ReadBytes(out);
        run.err = ReadBytes(err);
        return run;
    }
    static bool Has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }

    ScratchFolder folder;
};

TEST_F(CommandLineE2e, ShowConfigOfAFileNewConfiguration) {
    const std::string path = folder.File("new.qv3");
    testing::WriteBytes(path, testing::Serialize(testing::FileNewSettings()));
    const ProgramRun run = Program({"--show-config", path});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err;
    for (const char* line : {"BaudRateIndex = 6  # 9600 baud\n", "Parity = 2  # Even\n",
                             "DataBitsIndex = 2  # 7 data bits\n", "TargetAppTitle = Notepad\n",
                             "ButtonCaption[20] = String20\n", "TransferKeyTable[13] = {ENTER}\n",
                             "FieldFilter[1] = C\n"}) {
        EXPECT_TRUE(Has(run.out, line)) << line;
    }
}

TEST_F(CommandLineE2e, AnInvalidFileExitsWithOneAndTheMessage) {
    const std::string path = folder.File("notes.qv3");
    testing::WriteBytes(path, std::string(kSignatureCurrent) + " \r\n 0 \r\n");
    const ProgramRun run = Program({"--show-config", path});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.empty());
    // The name as it was given: on Linux letter case is part of a file's name.
    EXPECT_TRUE(Has(run.err, path + " " + LoadString(4032))) << run.err;
    EXPECT_TRUE(Has(run.err, LoadString(4033))) << run.err;

    const ProgramRun missing = Program({"--show-config", folder.File("missing.qv3")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(Has(missing.err, folder.File("missing.qv3") + ": No such file or directory"))
        << missing.err;
}

TEST_F(CommandLineE2e, ConvertTheOlderExample) {
    const std::string out = folder.File("converted.qv3");
    const ProgramRun run = Program(
        {"--convert-config", std::string(QUORVANE_SOURCE_DIR) + "/examples/older-layout.qv3", out});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Has(run.err, LoadString(4029))) << run.err;
    SetupGlobals g = testing::FileNewSettings();
    const ConfigParseResult result = ParseConfigBytes(ReadBytes(out), g);
    ASSERT_EQ(result.status, ConfigParseStatus::Ok);
    EXPECT_EQ(result.layout, ConfigLayoutKind::Current);
    EXPECT_EQ(g.ButtonCaption[1], "Tare");
    EXPECT_EQ(g.ButtonString[1], "T\r\n");
    EXPECT_EQ(g.ButtonCaption[3], "Print");
    EXPECT_EQ(g.ButtonString[3], "P\r\n");

    const ProgramRun shown = Program({"--show-config", out});
    EXPECT_EQ(shown.exitCode, 0);
    EXPECT_TRUE(shown.err.empty()) << shown.err;
    EXPECT_TRUE(Has(shown.out, "ButtonCaption[2] = Zero\n"));
}

TEST_F(CommandLineE2e, VersionHelpAndMistakes) {
    const ProgramRun version = Program({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "Quorvane " QUORVANE_VERSION "\n");
    EXPECT_EQ(version.out, "Quorvane 3.0.0\n");

    const ProgramRun help = Program({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(Has(help.out, "--show-config"));

    const ProgramRun bogus = Program({"--frobnicate"});
    EXPECT_EQ(bogus.exitCode, 2);
    EXPECT_TRUE(Has(bogus.err, "unknown option --frobnicate"));
    EXPECT_TRUE(Has(bogus.err, "Usage:"));

    // Without any display the windowed program says how to run without windows.
    const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("QT_QPA_PLATFORM");
    const ProgramRun start = Program({});
    if (!display.empty()) setenv("DISPLAY", display.c_str(), 1);
    EXPECT_EQ(start.exitCode, 2);
    EXPECT_TRUE(Has(start.err, "no display")) << start.err;
    EXPECT_TRUE(Has(start.err, "--headless")) << start.err;
}

}  // namespace
}  // namespace quorvane
