#include "setup/AsciiChartEntries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace quorvane {
namespace {

using namespace std::string_literals;

TEST(AsciiChartEntries, EntryTexts) {
    const struct {
        int code;
        std::string text;
    } rows[] = {
        {0, " 0\t          NUL"},         {1, " 1   \t\x01         SOH"},
        {8, " 8   \t\b         BS "},     {9, " 9\t          TAB"},
        {10, " 10   \t\n         LF "},   {13, " 13   \t\r         CR "},
        {27, " 27   \t\x1B         ESC"}, {31, " 31   \t\x1F         US "},
        {32, " 32   \t          "},       {65, " 65   \tA         "},
        {127, " 127   \t\x7F         "},  {255, " 255   \t\xFF         "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        EXPECT_EQ(AsciiChartEntry(row.code), row.text);
        EXPECT_EQ(AsciiChartEntries()[static_cast<size_t>(row.code)], row.text);
    }
    EXPECT_EQ(ControlCodeName(25), "EM ");
    EXPECT_EQ(ControlCodeName(26), "SUB");
    EXPECT_EQ(ControlCodeName(32), "");
    // Every entry starts with its code after one blank and holds exactly one TAB (the
    // character of code 9 is not in its entry).
    for (int code = 0; code < 256; ++code) {
        SCOPED_TRACE(code);
        const std::string& entry = AsciiChartEntries()[static_cast<size_t>(code)];
        const std::string n = " " + std::to_string(code);
        ASSERT_GT(entry.size(), n.size());
        EXPECT_EQ(entry.compare(0, n.size(), n), 0);
        EXPECT_NE(std::string("\t ").find(entry[n.size()]), std::string::npos);
        EXPECT_EQ(std::count(entry.begin(), entry.end(), '\t'), 1);
    }
}

TEST(AsciiChartEntries, PickWithAndWithoutExtraEntries) {
    const std::vector<std::string> none;
    const std::vector<std::string> words{" Ignore", " Void Record"};
    EXPECT_EQ(AsciiChartPick(none, 0), "\0"s);
    EXPECT_EQ(AsciiChartPick(none, 65), "A");
    EXPECT_EQ(AsciiChartPick(none, 255), "\xFF");
    EXPECT_EQ(AsciiChartPick(none, 256), "");
    EXPECT_EQ(AsciiChartPick(none, -1), "");
    EXPECT_EQ(AsciiChartPick(words, 0), " Ignore");
    EXPECT_EQ(AsciiChartPick(words, 1), " Void Record");
    EXPECT_EQ(AsciiChartPick(words, 2), "\0"s);
    EXPECT_EQ(AsciiChartPick(words, 257), "\xFF");
    EXPECT_EQ(AsciiChartPick(words, 258), "");
}

}  // namespace
}  // namespace quorvane
