#include "config/CodePage.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(CodePage, EveryByteRoundTrips) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    bool lossless = false;
    EXPECT_EQ(CodePage::FromUtf8(CodePage::ToUtf8(all), &lossless), all);
    EXPECT_TRUE(lossless);
    for (int b = 0; b < 256; ++b) {
        unsigned char back = 0;
        ASSERT_TRUE(
            CodePage::FromUnicode(CodePage::ToUnicode(static_cast<unsigned char>(b)), back));
        EXPECT_EQ(back, b);
    }
}

TEST(CodePage, UndefinedCodesKeepTheirControlCharacter) {
    for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        EXPECT_EQ(CodePage::ToUnicode(b), static_cast<char32_t>(b));
    }
}

TEST(CodePage, WindowsCharacters) {
    const std::pair<unsigned char, const char*> rows[] = {
        {0x80, "\xE2\x82\xAC"},  // euro sign
        {0x9F, "\xC5\xB8"},      // Y with diaeresis
        {0x96, "\xE2\x80\x93"},  // en dash
        {0xE9, "\xC3\xA9"},      // e acute
        {0xA0, "\xC2\xA0"},     {0x41, "A"},
    };
    for (const auto& [byte, utf8] : rows) {
        EXPECT_EQ(CodePage::ToUtf8(std::string(1, static_cast<char>(byte))), utf8);
        EXPECT_EQ(CodePage::FromUtf8(utf8), std::string(1, static_cast<char>(byte)));
    }
    EXPECT_EQ(CodePage::ToUtf8(std::string(1, '\0')), std::string(1, '\0'));
}

TEST(CodePage, WhatCannotBeHeldBecomesTheReplacement) {
    const std::pair<const char*, const char*> rows[] = {
        {"\xCE\xA9", "?"},             // Greek omega: not in the code page
        {"a\x80z", "a?z"},             // a lone continuation byte
        {"\xE2\x82", "??"},            // a sequence cut short
        {"\xC0\xAF", "??"},            // overlong form of '/'
        {"\xED\xA0\x80", "???"},       // a surrogate
        {"\xF4\x90\x80\x80", "????"},  // beyond U+10FFFF
        {"\xFF", "?"},
    };
    for (const auto& [utf8, expected] : rows) {
        bool lossless = true;
        EXPECT_EQ(CodePage::FromUtf8(utf8, &lossless), expected) << utf8;
        EXPECT_FALSE(lossless) << utf8;
    }
    EXPECT_EQ(CodePage::FromUtf8("\xCE\xA9", nullptr, '_'), "_");
}

}  // namespace
}  // namespace quorvane
