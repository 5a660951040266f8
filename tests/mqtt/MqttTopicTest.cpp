#include "mqtt/MqttTopic.h"

#include <gtest/gtest.h>

#include "strings/StringIds.h"

namespace quorvane {
namespace {

TEST(MqttTopicLevel, SyntaxAndControlCharactersAreEscapedAndComeBack) {
    const std::pair<std::string, std::string> cases[] = {
        {"COM1", "COM1"},
        {"a/b", "a%2Fb"},
        {"+#", "%2B%23"},
        {"50%", "50%25"},
        {"%2F", "%252F"},  // an escape already in the text is not taken for one
        {std::string("a\0b", 3), "a%00b"},
        {"\t\x1F\x7F", "%09%1F%7F"},
        {"\xC2\x81", "%C2%81"},                                        // U+0081, a C1 control
        {"Waage \xC3\xA9\xE2\x82\xAC", "Waage \xC3\xA9\xE2\x82\xAC"},  // kept as UTF-8
        {"\xC3", "%C3"},   // a cut sequence, kept byte for byte
        {"$SYS", "$SYS"},  // harmless below the first level
        {"", ""},
    };
    for (const auto& [text, level] : cases) {
        SCOPED_TRACE(level);
        EXPECT_EQ(EscapeMqttTopicLevel(text), level);
        EXPECT_EQ(UnescapeMqttTopicLevel(level), text);
    }
}

TEST(MqttTopicLevel, EveryByteRoundTripsAndNoSyntaxIsLeft) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string level = EscapeMqttTopicLevel(all);
    EXPECT_EQ(level.find_first_of(std::string("/+#\0", 4)), std::string::npos);
    for (char c : level) EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7F);
    EXPECT_EQ(UnescapeMqttTopicLevel(level), all);
}

TEST(MqttTopicLevel, CodePageBytesBecomeUtf8) {
    // Windows-1252: 0xE9 is é, 0x80 the euro sign, 0x81 undefined (kept as U+0081).
    EXPECT_EQ(EscapeMqttTopicLevelBytes("L\xE9/\x80"), "L\xC3\xA9%2F\xE2\x82\xAC");
    EXPECT_EQ(EscapeMqttTopicLevelBytes(std::string("\x81\0", 2)), "%C2%81%00");
}

TEST(MqttTopicLevel, StrayPercentSignsStay) {
    EXPECT_EQ(UnescapeMqttTopicLevel("100%"), "100%");
    EXPECT_EQ(UnescapeMqttTopicLevel("%4"), "%4");
    EXPECT_EQ(UnescapeMqttTopicLevel("%G1%41"), "%G1A");
}

TEST(MqttTopics, NamesOfOneTopic) {
    MqttSettingsProblem problem;
    const auto topics = MakeMqttTopics("lab/2", "COM1", problem);
    ASSERT_TRUE(topics.has_value());
    EXPECT_EQ(topics->record, "quorvane/lab%2F2/COM1/record");
    EXPECT_EQ(topics->command, "quorvane/lab%2F2/COM1/cmd");
    EXPECT_EQ(topics->commandReply, "quorvane/lab%2F2/COM1/cmd/reply");
    EXPECT_EQ(topics->dropped, "quorvane/lab%2F2/COM1/dropped");
    EXPECT_EQ(topics->status, "quorvane/lab%2F2/COM1/status");
    EXPECT_EQ(topics->Item("Field(3)"), "quorvane/lab%2F2/COM1/item/Field(3)");
    EXPECT_EQ(topics->Item("RecordNumber"), "quorvane/lab%2F2/COM1/item/RecordNumber");
}

TEST(MqttTopics, TheLongestNameStaysWithinTheMqttLimit) {
    // quorvane/ S / COM1 /item/RecordNumber: 9 + S + 1 + 4 + 6 + 12 bytes.
    const size_t fixed = 9 + 1 + 4 + 6 + 12;
    MqttSettingsProblem problem;
    const auto fits = MakeMqttTopics(std::string(kMqttMaxTopicBytes - fixed, 's'), "COM1", problem);
    ASSERT_TRUE(fits.has_value());
    EXPECT_EQ(fits->Item("RecordNumber").size(), kMqttMaxTopicBytes);
    EXPECT_FALSE(MakeMqttTopics(std::string(kMqttMaxTopicBytes - fixed + 1, 's'), "COM1", problem)
                     .has_value());
    EXPECT_EQ(problem.id, kStrMqttTopicTooLong);
    // Escaping counts: a third of the bytes as "/" grows by the escape.
    EXPECT_FALSE(
        MakeMqttTopics(std::string((kMqttMaxTopicBytes - fixed) / 3 + 1, '/'), "COM1", problem)
            .has_value());
}

}  // namespace
}  // namespace quorvane
