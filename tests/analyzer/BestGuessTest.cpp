#include "analyzer/BestGuess.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes/FakeMessages.h"

namespace quorvane {
namespace {

struct Case {
    std::string display;
    GuessKind kind;
    int fields;
    int recordLength;
    std::string delimiter;
    std::string message;
};

TEST(BestGuess, KindFieldsLengthAndWordsOfTheFirstRecord) {
    const std::string commas45 = std::string(45, ',') + "\r\n";
    const Case cases[] = {
        {"12.5,3.1,7\r\n", GuessKind::Delimited, 3, 11, ",",
         "Comma delimited records with  3 fields and Cr or CrLf at end of record."},
        {"12.5 3.1\r", GuessKind::Delimited, 2, 9, " ",
         "Space delimited records with  2 fields and Cr or CrLf at end of record."},
        // A run of spaces counts once; a comma beats a space.
        {"12.5   3.1\r", GuessKind::Delimited, 2, 11, " ", ""},
        {"1 2,3 4\r", GuessKind::Delimited, 2, 8, ",", ""},
        {"a\tb\tc*d\r", GuessKind::Delimited, 3, 8, "\t",
         "Tab delimited records with  3 fields and Cr or CrLf at end of record."},
        {"+0012.50\r", GuessKind::SingleFieldCr, 1, 9, "",
         "Single Field Records with Cr or CrLf at end of record."},
        {"+0012.50", GuessKind::SingleFieldPause, 1, 8, "",
         "Single Field Records with time delay between records."},
        {"AB,CD", GuessKind::FixedLength, 3, 5, ",",
         " 5 byte fixed length records with  3 field(s)."},
        {"\r12,3,4\r", GuessKind::SingleFieldCr, 1, 1, "", ""},
        // Only the first record counts.
        {"123\r4,5,6\r", GuessKind::SingleFieldCr, 1, 4, "", ""},
        {commas45, GuessKind::Delimited, 40, 46, ",", ""},
        // Twenty-five delimiters without a CR are 51 fixed fields, held to 40.
        {std::string(25, '*'), GuessKind::FixedLength, 40, 25, "*", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.display);
        const auto guess = GuessRecordStructure(c.display);
        ASSERT_TRUE(guess);
        EXPECT_EQ(guess->kind, c.kind);
        EXPECT_EQ(guess->fields, c.fields);
        EXPECT_EQ(guess->recordLength, c.recordLength);
        EXPECT_EQ(guess->delimiter, c.delimiter);
        if (!c.message.empty()) {
            EXPECT_EQ(BestGuessMessage(*guess), c.message);
        }
    }
    EXPECT_FALSE(GuessRecordStructure(""));
}

TEST(BestGuess, ALongDisplayIsReadOnItsFirst32767Characters) {
    // The CR past the limit is not seen: a pause-separated record of the analyzed length.
    const std::string display = std::string(40000, 'x') + "\r";
    const auto guess = GuessRecordStructure(display);
    ASSERT_TRUE(guess);
    EXPECT_EQ(guess->kind, GuessKind::SingleFieldPause);
    EXPECT_EQ(guess->recordLength, 32767);
    // A CR inside the limit still ends the record there.
    const auto early = GuessRecordStructure(std::string(100, 'x') + "\r" + std::string(40000, ','));
    ASSERT_TRUE(early);
    EXPECT_EQ(early->recordLength, 101);
    EXPECT_EQ(early->fields, 1);
}

TEST(BestGuess, YesWritesTheRecordStructureAndNothingElse) {
    struct Written {
        std::string display;
        int endEvent, structure, fields, length;
        std::string delimiter;
    };
    const Written rows[] = {
        {"+0012.50\r", 0, 0, 1, 9, "|"},
        {"+0012.50", 1, 0, 1, 8, "|"},
        {"1;2*3\r", 0, 1, 2, 6, "*"},
        {"AB,CD", 2, 2, 3, 5, "|"},
    };
    for (const Written& row : rows) {
        SCOPED_TRACE(row.display);
        SetupGlobals g;
        g.DelimiterChar = "|";
        g.StartOfRecordEvent = 3;
        g.FieldLength[0] = 7;
        FakeMessages messages;
        messages.answers = {MessageAnswer::Yes};
        EXPECT_EQ(AnalyzeInput(row.display, g, messages), BestGuessOutcome::Applied);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].title, "Input Analysis Best Guess");
        EXPECT_EQ(messages.shown[0].buttons, MessageButtons::YesNo);
        EXPECT_EQ(messages.shown[0].icon, MessageIcon::Question);
        EXPECT_NE(messages.shown[0].text.find("\n\nConfigure Quorvane Using these Settings?"),
                  std::string::npos);
        EXPECT_EQ(g.EndOfRecordEvent, row.endEvent);
        EXPECT_EQ(g.RecordStructure, row.structure);
        EXPECT_EQ(g.NumberOfFields, row.fields);
        EXPECT_EQ(g.RecordLength, row.length);
        EXPECT_EQ(g.DelimiterChar, row.delimiter);
        EXPECT_EQ(g.StartOfRecordEvent, 3);
        EXPECT_EQ(g.FieldLength[0], 7);
        EXPECT_TRUE(IsTrue(g.ConfigChanged));
    }
}

TEST(BestGuess, NoLeavesTheConfigurationAndAnEmptyDisplayOnlyBeeps) {
    SetupGlobals g;
    const SetupGlobals before = g;
    FakeMessages messages;
    messages.answers = {MessageAnswer::No};
    EXPECT_EQ(AnalyzeInput("1,2\r", g, messages), BestGuessOutcome::Declined);
    EXPECT_EQ(AnalyzeInput("", g, messages), BestGuessOutcome::EmptyDisplay);
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.beeps, 1);
    EXPECT_EQ(g.NumberOfFields, before.NumberOfFields);
    EXPECT_EQ(g.RecordStructure, before.RecordStructure);
    EXPECT_EQ(g.ConfigChanged, before.ConfigChanged);
}

}  // namespace
}  // namespace quorvane
