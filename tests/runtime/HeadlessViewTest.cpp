// The headless runner's view and its command line: the lost/back messages once each, and the
// --headless and --port arguments.
#include <gtest/gtest.h>

#include <sstream>

#include "runtime/HeadlessView.h"
#include "setup/CommandLine.h"
#include "strings/StringTable.h"

namespace quorvane {
namespace {

TEST(HeadlessView, SaysOnceThatTheDeviceIsLostAndOnceThatItIsBack) {
    std::ostringstream out;
    int closed = 0;
    HeadlessView view(out, "COM3", [&] { ++closed; });
    const SerialError loss{SerialErrorKind::Lost, 5, "Input/output error", "/dev/ttyUSB0", ""};
    view.SetPortLost(true, loss);
    view.SetPortLost(true, loss);
    EXPECT_EQ(out.str(), LoadString(4031) + ": COM3 " + LoadString(4030) +
                             "\n/dev/ttyUSB0: Input/output error\n");
    out.str("");
    view.SetPortLost(false, {});
    view.SetPortLost(false, {});
    EXPECT_EQ(out.str(), "COM3 /dev/ttyUSB0 is back.\n");
    view.Closed();
    EXPECT_EQ(closed, 1);
}

TEST(HeadlessCommandLine, TakesOneFileAndAnyNumberOfPorts) {
    const CommandLine c =
        ParseCommandLine({"--port", "COM1=/dev/pts/4", "--headless", "\"/home/kim/a b.qv3\"", "/k",
                          "--port", "COM2=/dev/ttyUSB0"});
    EXPECT_EQ(c.Kind, CommandKind::Headless);
    EXPECT_EQ(c.ConfigPath, "/home/kim/a b.qv3");
    EXPECT_TRUE(c.DirectKeyEvents);
    EXPECT_EQ(c.PortOverrides, (std::vector<std::string>{"COM1=/dev/pts/4", "COM2=/dev/ttyUSB0"}));

    EXPECT_EQ(ParseCommandLine({"--headless"}).Kind, CommandKind::Error);
    EXPECT_EQ(ParseCommandLine({"--headless", "a.qv3", "b.qv3"}).Kind, CommandKind::Error);
    EXPECT_EQ(ParseCommandLine({"--headless", "a.qv3", "--port"}).Kind, CommandKind::Error);
    EXPECT_EQ(ParseCommandLine({"--headless", "a.qv3", "--show-config"}).Kind, CommandKind::Error);
    const CommandLine windowed = ParseCommandLine({"a.qv3", "--port", "COM1=/dev/pts/2"});
    EXPECT_EQ(windowed.Kind, CommandKind::Start);
    EXPECT_EQ(windowed.PortOverrides.size(), 1u);
}

}  // namespace
}  // namespace quorvane
