#include "sim/SimScript.h"

#include <gtest/gtest.h>

namespace quorvane::sim {
namespace {

TEST(SimScript, EscapeAndUnescapeAreInverseForEveryByte) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    std::string back, error;
    ASSERT_TRUE(Unescape(Escape(all), back, error)) << error;
    EXPECT_EQ(back, all);
    EXPECT_EQ(Escape(std::string("a\\b\r\n\0\xFF", 7)), "a\\\\b\\r\\n\\0\\xFF");
}

TEST(SimScript, UnescapeRejectsBrokenEscapes) {
    std::string bytes, error;
    EXPECT_FALSE(Unescape("abc\\", bytes, error));
    EXPECT_FALSE(Unescape("\\x4", bytes, error));
    EXPECT_FALSE(Unescape("\\q", bytes, error));
}

TEST(SimScript, TranscriptStepsCommentsAndLoop) {
    SimScript s;
    std::string error;
    ASSERT_TRUE(ParseTranscript("# a balance\n0 +1.0 g\\r\\n\r\n\n250 \\x02AB\\x03\nloop\n", s,
                                error))
        << error;
    ASSERT_EQ(s.steps.size(), 2u);
    EXPECT_EQ(s.steps[0].delayMs, 0u);
    EXPECT_EQ(s.steps[0].bytes, "+1.0 g\r\n");
    EXPECT_EQ(s.steps[1].delayMs, 250u);
    EXPECT_EQ(s.steps[1].bytes, "\x02" "AB\x03");
    EXPECT_TRUE(s.loop);
}

TEST(SimScript, TranscriptErrorsNameTheLine) {
    SimScript s;
    std::string error;
    EXPECT_FALSE(ParseTranscript("10 ok\nfast bytes\n", s, error));
    EXPECT_NE(error.find("line 2"), std::string::npos);
    EXPECT_FALSE(ParseTranscript("# nothing\n", s, error));
    EXPECT_FALSE(ParseTranscript("99999999999 x\n", s, error));
}

TEST(SimScript, BalanceProfileAnswersQuestionMarkCr) {
    SimScript s;
    ASSERT_TRUE(BuiltInProfile("balance", s));
    EXPECT_EQ(s.steps[0].delayMs, 1000u);
    EXPECT_EQ(ProfileReading("balance", 0), "+0012.50 g\r\n");
    RequestMatcher m(s.request);
    EXPECT_FALSE(m.Feed('?'));
    EXPECT_TRUE(m.Feed('\r'));
    EXPECT_FALSE(m.Feed('\r'));
    EXPECT_FALSE(BuiltInProfile("oven", s));
}

TEST(SimScript, MeterProfileSendsThreeFields) {
    const std::string r = ProfileReading("meter", 3);
    EXPECT_EQ(r, "23.3,7.09,1016\r\n");
}

TEST(SimScript, CaliperProfileSendsFixedWidthReadingsEndedByCrAlone) {
    SimScript s;
    ASSERT_TRUE(BuiltInProfile("caliper", s));
    EXPECT_TRUE(s.loop);
    EXPECT_EQ(s.steps[0].delayMs, 1000u);
    EXPECT_TRUE(s.request.empty());
    const char* readings[] = {"+0025.40\r", "+0025.41\r", "+0025.40\r", "+0025.39\r",
                              "+0025.40\r"};
    for (uint64_t n = 0; n < 5; ++n) EXPECT_EQ(ProfileReading("caliper", n), readings[n]) << n;
}

TEST(SimScript, BarcodeProfileSendsCodesOfDifferentLengthsEndedByCrLf) {
    SimScript s;
    ASSERT_TRUE(BuiltInProfile("barcode", s));
    EXPECT_TRUE(s.loop);
    EXPECT_TRUE(s.request.empty());
    const char* codes[] = {"4006381333931\r\n", "036000291452\r\n", "73513537\r\n",
                           "QV-10042\r\n", "4006381333931\r\n"};
    for (uint64_t n = 0; n < 5; ++n) EXPECT_EQ(ProfileReading("barcode", n), codes[n]) << n;
}

TEST(SimScript, EveryProfileNamesItselfAndOnlyProfilesHaveReadings) {
    for (const char* name : {"balance", "meter", "caliper", "barcode"}) {
        SimScript s;
        ASSERT_TRUE(BuiltInProfile(name, s)) << name;
        EXPECT_EQ(s.profile, name);
        EXPECT_FALSE(ProfileReading(name, 0).empty()) << name;
    }
    EXPECT_TRUE(ProfileReading("oven", 0).empty());
    EXPECT_TRUE(ProfileReading("", 0).empty());
}

}  // namespace
}  // namespace quorvane::sim
