#include "mqtt/MqttMessage.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

MqttRecord SampleRecord() {
    MqttRecord r;
    r.station = "lab-2";
    r.topic = "COM1";
    r.number = 42;
    r.ended = {{2026, 12, 9, 5, 38, 56}, 60};
    r.fields = {"12.5", "kg", ""};
    return r;
}

MqttTopics Topics() {
    MqttSettingsProblem problem;
    return *MakeMqttTopics("lab-2", "COM1", problem);
}

std::string Json(std::string_view text) {
    std::string out;
    AppendJsonString(out, text);
    return out;
}

TEST(MqttTime, Iso8601WithTheZoneOffset) {
    EXPECT_EQ(FormatMqttTime({{2026, 12, 9, 5, 38, 56}, 60}), "2026-12-09T05:38:56+01:00");
    EXPECT_EQ(FormatMqttTime({{2026, 1, 2, 3, 4, 5}, 0}), "2026-01-02T03:04:05+00:00");
    EXPECT_EQ(FormatMqttTime({{1999, 7, 1, 23, 59, 59}, -570}), "1999-07-01T23:59:59-09:30");
    EXPECT_EQ(FormatMqttTime({{2026, 3, 1, 0, 0, 0}, 345}), "2026-03-01T00:00:00+05:45");
}

TEST(MqttJson, StringEscaping) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain", "\"plain\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"C:\\data", "\"C:\\\\data\""},
        {"a\r\nb\t", "\"a\\u000D\\u000Ab\\u0009\""},
        {std::string("\0\x1F\x7F", 3), "\"\\u0000\\u001F\\u007F\""},
        {"\xE2\x80\xA8\xE2\x80\xA9", "\"\\u2028\\u2029\""},
        {"/ \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80",
         "\"/ \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\""},
        {"\xC2\x81", "\"\xC2\x81\""},  // C1 controls may stand in JSON as they are
        {"a\xFF"
         "b",
         "\"a\xEF\xBF\xBD"
         "b\""},
        {"\xE2\x82", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
        {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},  // a surrogate is not UTF-8
    };
    for (const auto& [text, json] : cases) EXPECT_EQ(Json(text), json) << json;
}

TEST(MqttRecordMessage, FieldsInOrderWithTheirCount) {
    EXPECT_EQ(MakeMqttRecordMessage(SampleRecord()),
              "{\"station\":\"lab-2\",\"topic\":\"COM1\",\"record\":42,"
              "\"time\":\"2026-12-09T05:38:56+01:00\",\"fields\":[\"12.5\",\"kg\",\"\"]}");
    MqttRecord none = SampleRecord();
    none.fields.clear();
    none.number = 18446744073709551615ull;
    EXPECT_NE(MakeMqttRecordMessage(none).find("\"record\":18446744073709551615,"),
              std::string::npos);
    EXPECT_NE(MakeMqttRecordMessage(none).find("\"fields\":[]}"), std::string::npos);
}

TEST(MqttRecordMessage, CodePageTextAsOnTheBus) {
    MqttRecord r = SampleRecord();
    r.station = "Waage \"2\"";
    r.topic = "L\xE9";                                      // Windows-1252 é
    r.fields = {std::string("a\0b", 3), "\x80\r\n", "\\"};  // NUL, euro sign, CR LF
    EXPECT_EQ(MakeMqttRecordMessage(r),
              "{\"station\":\"Waage \\\"2\\\"\",\"topic\":\"L\xC3\xA9\",\"record\":42,"
              "\"time\":\"2026-12-09T05:38:56+01:00\","
              "\"fields\":[\"a\xE2\x90\x80"
              "b\",\"\xE2\x82\xAC\\u000D\\u000A\",\"\\\\\"]}");
}

TEST(MqttItemMessages, EveryItemOfTheRecordRetainedUnderItsName) {
    MqttRecord r = SampleRecord();
    r.fields = {
        "\xB0"
        "C",
        std::string(1, '\0')};
    const std::vector<MqttItemMessage> expected = {
        {"quorvane/lab-2/COM1/item/Field(1)",
         "\xC2\xB0"
         "C"},
        {"quorvane/lab-2/COM1/item/Field(2)", "\xE2\x90\x80"},
        {"quorvane/lab-2/COM1/item/RecordNumber", "42"},
        {"quorvane/lab-2/COM1/item/DateTime", "2026-12-09T05:38:56+01:00"},
    };
    EXPECT_EQ(MakeMqttItemMessages(Topics(), r), expected);
    EXPECT_EQ(MakeMqttItemMessage(Topics(), "Field(7)", "x"),
              (MqttItemMessage{"quorvane/lab-2/COM1/item/Field(7)", "x"}));
}

}  // namespace
}  // namespace quorvane
