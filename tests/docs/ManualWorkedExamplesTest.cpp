// The worked examples of the manual's math and format page (docs/math-format.html) are
// computed here by the record engine and the formatter, so that every result the page shows
// is the program's own:
//   <table class="worked">: the record's fields as the device sends them (comma-separated),
//       the math expression and the format expression of field 1, field 1 as delivered, and
//       optionally a note;
//   <table class="worked-date" data-moment="YYYY-MM-DD hh:mm:ss">: a date/time format
//       expression and the text it gives for that moment;
//   <table class="worked-tokens" data-moment="...">: a preamble with date and time words and
//       the text it becomes.
#include <gtest/gtest.h>

#include <cstdio>

#include "docs/ManualPages.h"
#include "engine/EngineFixture.h"
#include "engine/RecordDelivery.h"
#include "engine/format/FormatField.h"

namespace quorvane {
namespace {

using manual::TableRows;

constexpr const char* kPage = "math-format.html";

DateTimeParts MomentOf(const std::string& attributes) {
    DateTimeParts moment;
    const std::string text = manual::Attribute(attributes, "data-moment");
    EXPECT_EQ(std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &moment.Year, &moment.Month,
                          &moment.Day, &moment.Hour, &moment.Minute, &moment.Second),
              6)
        << "data-moment=\"" << text << "\"";
    return moment;
}

class ManualWorkedExamples : public EngineFixture {
  protected:
    // Field 1 of the record fields + CR, delivered with the given math and format: the
    // record is delimited by commas with one field more than the text holds, so that the CR
    // ends up in that last field and field 1 is exactly what the device sent for it.
    std::string FieldOne(const std::string& fields, const std::string& math,
                         const std::string& format) {
        const int count = static_cast<int>(std::count(fields.begin(), fields.end(), ',')) + 2;
        Delimited(count, ",");
        g.FieldMath[1] = math;
        g.FieldFormat[1] = format;
        log.contents.clear();
        Start();
        Feed(fields + ",\r");
        const std::string logged = Logged();
        return logged.substr(0, logged.find('|'));
    }
};

TEST_F(ManualWorkedExamples, EveryMathAndFormatResultIsTheProgramsOwn) {
    const auto rows = TableRows(kPage, "worked");
    ASSERT_GE(rows.size(), 20u) << "the worked examples of " << kPage << " were not found";
    int withMath = 0, withFormat = 0;
    for (const auto& row : rows) {
        // Fields, math, format, result, and a note that the test does not read.
        ASSERT_TRUE(row.size() == 4 || row.size() == 5) << "a worked example row: " << row[0];
        const std::string& fields = row[0];
        const std::string& math = row[1];
        const std::string& format = row[2];
        if (!math.empty()) ++withMath;
        if (!format.empty()) ++withFormat;
        EXPECT_EQ(FieldOne(fields, math, format), row[3])
            << "fields \"" << fields << "\", math \"" << math << "\", format \"" << format << "\"";
    }
    EXPECT_GE(withMath, 10);
    EXPECT_GE(withFormat, 10);
}

TEST(ManualWorkedDates, EveryDateFormatResultIsTheProgramsOwn) {
    std::vector<std::string> tables;
    const auto rows = TableRows(kPage, "worked-date", &tables);
    ASSERT_EQ(tables.size(), 1u);
    ASSERT_GE(rows.size(), 5u);
    const DateTimeParts moment = MomentOf(tables[0]);
    const LocaleInfo locale = LocaleInfo::EnUs();
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 2u);
        EXPECT_EQ(FormatDateTime(moment, row[0], locale), row[1]) << "format \"" << row[0] << "\"";
    }
}

TEST(ManualWorkedDates, EveryPreambleWordResultIsTheProgramsOwn) {
    std::vector<std::string> tables;
    const auto rows = TableRows(kPage, "worked-tokens", &tables);
    ASSERT_EQ(tables.size(), 1u);
    ASSERT_GE(rows.size(), 2u);
    const DateTimeParts moment = MomentOf(tables[0]);
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 2u);
        EXPECT_EQ(ExpandDateTimeTokens(row[0], moment), row[1]) << "preamble \"" << row[0] << "\"";
    }
}

}  // namespace
}  // namespace quorvane
