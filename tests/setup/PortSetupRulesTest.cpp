#include "setup/PortSetupRules.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(PortSetupRules, ConnectorNames) {
    EXPECT_EQ(ConnectorName(0), "COM1");
    EXPECT_EQ(ConnectorName(11), "COM12");
    EXPECT_EQ(ConnectorName(98), "COM99");
}

TEST(PortSetupRules, OnlyDigitsAndBackspaceAreTyped) {
    for (char32_t c = U'0'; c <= U'9'; ++c) EXPECT_TRUE(IsBufferBoxCharacter(c));
    EXPECT_TRUE(IsBufferBoxCharacter(U'\b'));
    for (const char32_t c : {U' ', U'-', U'+', U'.', U'a', U'/', U':', U'\x7f', U'\u0660', U'１'})
        EXPECT_FALSE(IsBufferBoxCharacter(c)) << static_cast<int>(c);
}

TEST(PortSetupRules, BoxValueReadsLeadingDigits) {
    const std::pair<const char*, int64_t> rows[] = {
        {"", 0},
        {"4096", 4096},
        {"  512", 512},
        {"12ab", 12},
        {"ab12", 0},
        {"0000128", 128},
        {"131072", 131072},
        {"131073", 131073},
        {"99999999999999999999999", kMaxBufferSize + 1},
    };
    for (const auto& [text, value] : rows) EXPECT_EQ(BufferBoxValue(text), value) << text;
}

TEST(PortSetupRules, EditsAboveTheLimitOrWithOtherCharactersAreTakenBack) {
    const std::pair<const char*, BufferEdit> rows[] = {
        {"", BufferEdit::Keep},
        {"1", BufferEdit::Keep},
        {"127", BufferEdit::Keep},  // too small is only refused by OK
        {"131072", BufferEdit::Keep},
        {"131073", BufferEdit::TooLarge},  // a sixth digit on 13107
        {"999999", BufferEdit::TooLarge},
        {"00000000000131072", BufferEdit::Keep},
        {"12a", BufferEdit::NotDigits},
        {" 12", BufferEdit::NotDigits},
        {"999999x", BufferEdit::NotDigits},
    };
    for (const auto& [text, verdict] : rows) EXPECT_EQ(CheckBufferEdit(text), verdict) << text;
    EXPECT_EQ(CaretAfterRestore("13107"), 5);
    EXPECT_EQ(CaretAfterRestore("123456"), 5);
    EXPECT_EQ(CaretAfterRestore("12"), 2);
}

TEST(PortSetupRules, OpeningShowsTheSettingsAndDefaultsForOutOfRangeIndexes) {
    SetupGlobals g;
    g.PortIndex = 11;
    g.BaudRateIndex = 11;
    g.Parity = 4;
    g.DataBitsIndex = 3;
    g.StopBits = 2;
    g.FlowControl = 3;
    g.InputBufferSize = 131072;
    g.OutputBufferSize = 128;
    PortSetupChoice c = PortSetupChoiceFrom(g);
    EXPECT_EQ(c.PortIndex, 11);
    EXPECT_EQ(c.BaudRateIndex, 11);
    EXPECT_EQ(c.Parity, 4);
    EXPECT_EQ(c.DataBitsIndex, 3);
    EXPECT_EQ(c.StopBits, 2);
    EXPECT_EQ(c.FlowControl, 3);
    EXPECT_EQ(c.InputBufferText, "131072");
    EXPECT_EQ(c.OutputBufferText, "128");

    g.PortIndex = 99;
    g.BaudRateIndex = 12;
    g.Parity = -1;
    g.DataBitsIndex = 4;
    g.StopBits = 3;
    g.FlowControl = 4;
    c = PortSetupChoiceFrom(g);
    EXPECT_EQ(c.PortIndex, 0);
    EXPECT_EQ(c.BaudRateIndex, 6);
    EXPECT_EQ(c.Parity, 2);
    EXPECT_EQ(c.DataBitsIndex, 2);
    EXPECT_EQ(c.StopBits, 0);
    EXPECT_EQ(c.FlowControl, 0);
}

PortSetupChoice ChoiceOf(const SetupGlobals& g) {
    return PortSetupChoiceFrom(g);
}

struct ApplyRow {
    const char* what;
    void (*edit)(PortSetupChoice&);
    PortSetupResult result;
    bool changed;
    void (*check)(const SetupGlobals&);
};

TEST(PortSetupRules, OkChecksBothBuffersThenStoresWhatDiffers) {
    const ApplyRow rows[] = {
        {"nothing changed", [](PortSetupChoice&) {}, PortSetupResult::Stored, false,
         [](const SetupGlobals& g) { EXPECT_EQ(g.InputBufferSize, 4096); }},
        {"COM12", [](PortSetupChoice& c) { c.PortIndex = 11; }, PortSetupResult::Stored, true,
         [](const SetupGlobals& g) { EXPECT_EQ(g.PortIndex, 11); }},
        {"baud", [](PortSetupChoice& c) { c.BaudRateIndex = 11; }, PortSetupResult::Stored, true,
         [](const SetupGlobals& g) { EXPECT_EQ(g.BaudRateIndex, 11); }},
        {"parity", [](PortSetupChoice& c) { c.Parity = 3; }, PortSetupResult::Stored, true,
         [](const SetupGlobals& g) { EXPECT_EQ(g.Parity, 3); }},
        {"data bits", [](PortSetupChoice& c) { c.DataBitsIndex = 3; }, PortSetupResult::Stored,
         true, [](const SetupGlobals& g) { EXPECT_EQ(g.DataBitsIndex, 3); }},
        {"stop bits", [](PortSetupChoice& c) { c.StopBits = 1; }, PortSetupResult::Stored, true,
         [](const SetupGlobals& g) { EXPECT_EQ(g.StopBits, 1); }},
        {"flow", [](PortSetupChoice& c) { c.FlowControl = 2; }, PortSetupResult::Stored, true,
         [](const SetupGlobals& g) { EXPECT_EQ(g.FlowControl, 2); }},
        {"limits accepted",
         [](PortSetupChoice& c) {
             c.InputBufferText = "128";
             c.OutputBufferText = "131072";
         },
         PortSetupResult::Stored, true,
         [](const SetupGlobals& g) {
             EXPECT_EQ(g.InputBufferSize, 128);
             EXPECT_EQ(g.OutputBufferSize, 131072);
         }},
        {"same size written with leading zeros",
         [](PortSetupChoice& c) { c.InputBufferText = "04096"; }, PortSetupResult::Stored, false,
         [](const SetupGlobals& g) { EXPECT_EQ(g.InputBufferSize, 4096); }},
        {"127 refused",
         [](PortSetupChoice& c) {
             c.InputBufferText = "127";
             c.BaudRateIndex = 0;
         },
         PortSetupResult::InputBufferInvalid, false,
         [](const SetupGlobals& g) {
             EXPECT_EQ(g.InputBufferSize, 4096);
             EXPECT_EQ(g.BaudRateIndex, 6);  // nothing after the failed check is stored
         }},
        {"empty refused", [](PortSetupChoice& c) { c.InputBufferText = ""; },
         PortSetupResult::InputBufferInvalid, false, [](const SetupGlobals&) {}},
        {"131073 refused", [](PortSetupChoice& c) { c.InputBufferText = "131073"; },
         PortSetupResult::InputBufferInvalid, false, [](const SetupGlobals&) {}},
        {"output refused after input stored",
         [](PortSetupChoice& c) {
             c.InputBufferText = "8192";
             c.OutputBufferText = "100";
             c.PortIndex = 3;
         },
         PortSetupResult::OutputBufferInvalid, true,
         [](const SetupGlobals& g) {
             EXPECT_EQ(g.InputBufferSize, 8192);
             EXPECT_EQ(g.OutputBufferSize, 512);
             EXPECT_EQ(g.PortIndex, 0);
         }},
    };
    for (const ApplyRow& row : rows) {
        SCOPED_TRACE(row.what);
        SetupGlobals g;
        PortSetupChoice c = ChoiceOf(g);
        row.edit(c);
        EXPECT_EQ(ApplyPortSetup(g, c), row.result);
        EXPECT_EQ(IsTrue(g.ConfigChanged), row.changed);
        row.check(g);
    }
}

TEST(PortSetupRules, ConfigChangedIsNeverCleared) {
    SetupGlobals g;
    g.ConfigChanged = kTrue;
    EXPECT_EQ(ApplyPortSetup(g, ChoiceOf(g)), PortSetupResult::Stored);
    EXPECT_TRUE(IsTrue(g.ConfigChanged));
}

}  // namespace
}  // namespace quorvane
