#include "delivery/DdeServerItems.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "delivery/DdeBusText.h"

namespace quorvane {
namespace {

struct RecordingListener : DdeItemListener {
    void ItemChanged(const std::string& item, const std::string& value) override {
        changes.push_back(item + "=" + value);
    }
    std::vector<std::string> changes;
};

TEST(DdeServerItemsTest, ItemNamesMatchIgnoringLetterCaseOnly) {
    struct Case {
        const char* name;
        bool found;
        DdeItemId id;
    };
    const Case cases[] = {
        {"Field(1)", true, {DdeItemId::Field, 1}},
        {"field(40)", true, {DdeItemId::Field, 40}},
        {"FIELD(12)", true, {DdeItemId::Field, 12}},
        {"RecordNumber", true, {DdeItemId::RecordNumber, 0}},
        {"recordnumber", true, {DdeItemId::RecordNumber, 0}},
        {"DATETIME", true, {DdeItemId::DateTime, 0}},
        {"Field(0)", false, {}},
        {"Field(41)", false, {}},
        {"Field(01)", false, {}},
        {"Field( 1)", false, {}},
        {"Field (1)", false, {}},
        {"Field(1", false, {}},
        {"Field()", false, {}},
        {"Field(+1)", false, {}},
        {"Field(100)", false, {}},
        {" RecordNumber", false, {}},
        {"", false, {}},
    };
    for (const auto& c : cases) {
        const auto id = ParseDdeItemName(c.name);
        EXPECT_EQ(id.has_value(), c.found) << c.name;
        if (id && c.found) {
            EXPECT_EQ(*id, c.id) << c.name;
        }
    }
}

TEST(DdeServerItemsTest, ServesTheFieldsOfTheCountThenRecordNumberAndDateTime) {
    DdeServerItems items;
    items.SetFieldCount(3);
    EXPECT_EQ(items.ItemNames(), (std::vector<std::string>{"Field(1)", "Field(2)", "Field(3)",
                                                           "RecordNumber", "DateTime"}));
    std::string value = "unchanged";
    EXPECT_FALSE(items.ItemValue("Field(5)", value));  // 3 fields: no fifth item
    EXPECT_EQ(value, "unchanged");
    EXPECT_TRUE(items.ItemValue("field(3)", value));
    EXPECT_EQ(value, "");
    EXPECT_TRUE(items.ItemValue("DateTime", value));
    EXPECT_EQ(value, "");  // stays empty while the date/time display is off

    items.SetFieldCount(99);
    EXPECT_EQ(items.FieldCount(), kMaxDdeFields);
    EXPECT_EQ(items.ItemNames().size(), 42u);
    items.SetFieldCount(-1);
    EXPECT_EQ(items.ItemNames(), (std::vector<std::string>{"RecordNumber", "DateTime"}));
}

TEST(DdeServerItemsTest, EveryUpdateNotifiesAlsoWhenTheValueRepeats) {
    RecordingListener listener;
    DdeServerItems items(&listener);
    items.SetFieldCount(2);
    for (int record = 1; record <= 2; ++record) {
        items.SetField(1, "12.5");
        items.SetField(2, std::string("a\0b", 3));
        items.SetRecordNumber(std::to_string(record));
    }
    items.SetDateTime("12:00");
    items.SetField(3, "beyond");  // kept but not an item of 2 fields: nobody is told
    items.SetField(41, "ignored");
    const std::vector<std::string> expected = {
        "Field(1)=12.5", "Field(2)=" + std::string("a\0b", 3), "RecordNumber=1",
        "Field(1)=12.5", "Field(2)=" + std::string("a\0b", 3), "RecordNumber=2",
        "DateTime=12:00"};
    EXPECT_EQ(listener.changes, expected);
    std::string value;
    EXPECT_TRUE(items.ItemValue("Field(2)", value));
    EXPECT_EQ(value, std::string("a\0b", 3));
    EXPECT_EQ(items.Field(3), "beyond");
    EXPECT_EQ(items.Field(41), "");
}

TEST(DdeServerItemsTest, SetItemByNameUpdatesTheNamedItem) {
    RecordingListener listener;
    DdeServerItems items(&listener);
    items.SetFieldCount(3);
    EXPECT_TRUE(items.SetItem("Field(3)", "7"));
    EXPECT_TRUE(items.SetItem("recordnumber", "12"));
    EXPECT_TRUE(items.SetItem("DateTime", "08.12.2026"));
    EXPECT_FALSE(items.SetItem("Field(0)", "x"));
    EXPECT_FALSE(items.SetItem("Counter", "x"));
    EXPECT_EQ(listener.changes,
              (std::vector<std::string>{"Field(3)=7", "RecordNumber=12", "DateTime=08.12.2026"}));
    EXPECT_EQ(items.Field(3), "7");
    EXPECT_EQ(items.RecordNumber(), "12");
}

TEST(DdeServerItemsTest, BusTextRoundTripsEveryByteIncludingNul) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    const std::string bus = DdeTextToBus(all);
    EXPECT_EQ(bus.find('\0'), std::string::npos);  // a bus string cannot hold U+0000
    EXPECT_EQ(DdeTextToBus(std::string(1, '\0')), "\xE2\x90\x80");
    EXPECT_EQ(DdeTextToBus("\x80"), "\xE2\x82\xAC");  // the euro sign of Windows-1252
    bool lossless = false;
    EXPECT_EQ(DdeTextFromBus(bus, &lossless), all);
    EXPECT_TRUE(lossless);

    EXPECT_EQ(DdeTextFromBus("\xE2\x9C\x93 ok", &lossless), "? ok");  // no check mark
    EXPECT_FALSE(lossless);
    EXPECT_EQ(DdeTextFromBus("\xFF", &lossless), "?");
    EXPECT_FALSE(lossless);
}

}  // namespace
}  // namespace quorvane
