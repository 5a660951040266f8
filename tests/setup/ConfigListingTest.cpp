#include "setup/ConfigListing.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace quorvane {
namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

SetupGlobals FileNew() {
    SetupGlobals g;
    ResetToDefaults(g, "/home/kim");
    return g;
}

TEST(ConfigListing, Escapes) {
    const std::pair<std::string, std::string> rows[] = {
        {"Notepad", "Notepad"},
        {"a\r\nb\tc", "a\\r\\nb\\tc"},
        {std::string("x\0y", 3), "x\\0y"},
        {"C:\\Log", "C:\\\\Log"},
        {"\x06\x7F\x80\xFF", "\\x06\\x7F\\x80\\xFF"},
        {" {ENTER} ~", " {ENTER} ~"},
        {"", ""},
    };
    for (const auto& [bytes, shown] : rows) EXPECT_EQ(EscapeText(bytes), shown);
}

TEST(ConfigListing, HotKeyNames) {
    EXPECT_EQ(HotKeyCodeName(1649), "Ctrl+Alt+F2");
    EXPECT_EQ(HotKeyCodeName(1 * 256 + 'A'), "Shift+A");
    EXPECT_EQ(HotKeyCodeName(13), "ENTER");
    EXPECT_EQ(HotKeyCodeName(7 * 256 + 230), "Shift+Ctrl+Alt+key 230");
    EXPECT_EQ(HotKeyCodeName(6 * 256), "none");
    EXPECT_EQ(HotKeyCodeName(0), "none");
}

TEST(ConfigListing, FileNewInFileOrder) {
    SetupGlobals g = FileNew();
    g.HotKeyCode[0] = 1649;
    g.HotKeyAction[0] = 1;
    g.HotKeyString[49] = "P\r\n";
    const auto lines = Lines(ConfigListing(g));
    // One line per stored setting and table entry.
    ASSERT_EQ(lines.size(), 1461u);
    EXPECT_EQ(lines[0], "PortIndex = 0  # COM1");
    EXPECT_EQ(lines[1], "BaudRateIndex = 6  # 9600 baud");
    EXPECT_EQ(lines[2], "Parity = 2  # Even");
    EXPECT_EQ(lines[3], "DataBitsIndex = 2  # 7 data bits");
    EXPECT_EQ(lines[4], "StopBits = 0  # 1 stop bit");
    EXPECT_EQ(lines[9], "Mode = 0  # Send Keystrokes");
    EXPECT_EQ(lines[16], "DelimiterChar = ,  # code 44");
    EXPECT_EQ(lines[17], "TargetAppTitle = Notepad");
    EXPECT_EQ(lines[19], "TargetAppSpecified = -1  # true");
    EXPECT_EQ(lines[23 + 13], "TransferKeyTable[13] = {ENTER}");
    EXPECT_EQ(lines[23 + 256], "InputTranslation[0] = \\0");
    EXPECT_EQ(lines[23 + 512 + 65], "TransferCharTableDde[65] = 65");
    const auto at = [&](const std::string& prefix) {
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
        }
        return -1;
    };
    EXPECT_EQ(lines[static_cast<size_t>(at("ButtonCaption[20]"))], "ButtonCaption[20] = String20");
    EXPECT_EQ(lines[static_cast<size_t>(at("FieldFilter[1] "))], "FieldFilter[1] = C");
    EXPECT_EQ(lines[static_cast<size_t>(at("HotKeyCode[0]"))],
              "HotKeyCode[0] = 1649  # Ctrl+Alt+F2");
    EXPECT_EQ(lines[static_cast<size_t>(at("HotKeyAction[0]"))],
              "HotKeyAction[0] = 1  # Transmit String");
    EXPECT_EQ(lines[static_cast<size_t>(at("HotKeyString[49]"))], "HotKeyString[49] = P\\r\\n");
    // Button n's seven lines stand together, then the texts of the block come in its order.
    EXPECT_EQ(at("FieldFilter[21]"), at("ButtonCaption[1]") + 3);
    EXPECT_LT(at("FieldMath[40]"), at("StartChars"));
    EXPECT_EQ(at("EndChars"), at("StartChars") + 1);
    EXPECT_EQ(at("AckString"), at("StartChars") + 2);
    EXPECT_EQ(at("ButtonString[1]"), at("RecordPreamble") + 1);
    EXPECT_EQ(lines.back(), "DdeTopicName = ");
}

}  // namespace
}  // namespace quorvane
