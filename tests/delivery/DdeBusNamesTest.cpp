#include "delivery/DdeBusNames.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvane {
namespace {

struct EscapeCase {
    std::string part;
    std::string escaped;
};

TEST(DdeBusNamesTest, EscapesEachPartToTheBusNameAlphabet) {
    const EscapeCase cases[] = {
        {"COM1", "COM1"},
        {"Quorvane", "Quorvane"},
        {"My_Topic", "My_Topic"},
        {"Lab 2", "Lab_202"},
        {"a.b", "a_2Eb"},
        {"x-y", "x_2Dy"},  // '-' is allowed on the bus but not kept by the rule
        {"1st", "_1st"},   // a leading digit gets '_'
        {"9", "_9"},
        {"\xE9t\xE9", "_E9t_E9"},  // code-page bytes, not UTF-8
        {std::string("a\0b", 3), "a_00b"},
        {"\x7F\xFF", "_7F_FF"},
        {"", "_"},  // keeps the name well formed
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EscapeDdeNamePart(c.part), c.escaped) << c.part;
        EXPECT_TRUE(IsValidWellKnownBusName("Quorvane." + EscapeDdeNamePart(c.part))) << c.part;
    }
}

TEST(DdeBusNamesTest, BusNameJoinsTheEscapedApplicationAndTopic) {
    EXPECT_EQ(DdeBusName(kDdeServiceName, "COM1"), "Quorvane.COM1");
    EXPECT_EQ(DdeBusName("Excel", "System"), "Excel.System");
    EXPECT_EQ(DdeBusName("My App", "2.5"), "My_20App._2_2E5");
}

TEST(DdeBusNamesTest, UnescapeReadsBackWhatEscapeWrote) {
    for (const std::string part : {"COM1", "Lab 2", "1st", "a.b.c", "\xE9\x80", "_", ""}) {
        const auto back = UnescapeDdeNamePart(EscapeDdeNamePart(part));
        ASSERT_TRUE(back) << part;
        // "_" is ambiguous: it is both the empty part and a kept underscore.
        if (part != "_") {
            EXPECT_EQ(*back, part);
        }
    }
    EXPECT_FALSE(UnescapeDdeNamePart("a-b"));
    EXPECT_EQ(UnescapeDdeNamePart("a_4"), "a_4");  // not two hex digits: kept as written

    const auto address = ParseDdeBusName("Quorvane.Lab_202");
    ASSERT_TRUE(address);
    EXPECT_EQ(address->application, "Quorvane");
    EXPECT_EQ(address->topic, "Lab 2");
    EXPECT_FALSE(ParseDdeBusName("NoDot"));
}

TEST(DdeBusNamesTest, ValidatesWellKnownNames) {
    EXPECT_TRUE(IsValidWellKnownBusName("Quorvane.COM1"));
    EXPECT_TRUE(IsValidWellKnownBusName("org.quorvane-x.Dde1"));
    EXPECT_FALSE(IsValidWellKnownBusName("Quorvane"));
    EXPECT_FALSE(IsValidWellKnownBusName("Quorvane..COM1"));
    EXPECT_FALSE(IsValidWellKnownBusName("Quorvane.1COM"));
    EXPECT_FALSE(IsValidWellKnownBusName(":1.42"));
    EXPECT_FALSE(IsValidWellKnownBusName("Quorvane.CO M"));
    // 85 escaped bytes of three characters each pass 255 with the prefix.
    EXPECT_FALSE(IsValidWellKnownBusName(DdeBusName(kDdeServiceName, std::string(85, ' '))));
    EXPECT_TRUE(IsValidWellKnownBusName(DdeBusName(kDdeServiceName, std::string(246, 'a'))));
    EXPECT_FALSE(IsValidWellKnownBusName(DdeBusName(kDdeServiceName, std::string(247, 'a'))));
}

}  // namespace
}  // namespace quorvane
