// The keystroke notation examples of the manual (docs/keystrokes.html) go through the
// keystroke parser: each row of <table class="keys"> carries in data-keys the key steps its
// notation must play (in the fake injector's words, "down SHIFT, char a, up SHIFT"), each row
// of <table class="keys-errors"> the error number its notation must be refused with, so the
// page cannot show a notation that the program types differently or not at all.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "delivery/KeyMacroParser.h"
#include "delivery/KeyMacroPlayer.h"
#include "delivery/KeySteps.h"
#include "docs/ManualPages.h"
#include "fakes/FakeKeyInjector.h"

namespace quorvane {
namespace {

constexpr const char* kPage = "keystrokes.html";

struct Row {
    std::string attribute;  // data-keys or data-error
    std::string notation;   // the first cell
};

// The rows of the table of the given class: the attribute's value and the first cell's text.
std::vector<Row> Rows(const std::string& tableClass, const std::string& attribute) {
    const std::string html = manual::PageText(kPage);
    static const std::regex table("<table([^>]*)>([\\s\\S]*?)</table>");
    static const std::regex row("<tr([^>]*)>\\s*<td>([\\s\\S]*?)</td>");
    std::vector<Row> rows;
    for (auto t = std::sregex_iterator(html.begin(), html.end(), table);
         t != std::sregex_iterator(); ++t) {
        if (manual::Attribute((*t)[1].str(), "class") != tableClass) continue;
        const std::string body = (*t)[2].str();
        for (auto r = std::sregex_iterator(body.begin(), body.end(), row);
             r != std::sregex_iterator(); ++r) {
            rows.push_back({manual::PlainText(manual::Attribute((*r)[1].str(), attribute)),
                            manual::PlainText((*r)[2].str())});
        }
    }
    return rows;
}

TEST(ManualKeystrokes, EveryNotationExampleTypesTheKeysItSays) {
    const auto rows = Rows("keys", "data-keys");
    ASSERT_GE(rows.size(), 12u) << "the notation examples of " << kPage << " were not found";
    for (const Row& r : rows) {
        SCOPED_TRACE(r.notation);
        ASSERT_FALSE(r.attribute.empty()) << "a row without data-keys";
        FakeKeyInjector layout;
        KeyEventList list;
        ASSERT_EQ(ParseKeyMacro(r.notation, layout, {true}, list), kKeyMacroOk);
        EXPECT_EQ(KeySteps(list), r.attribute);
    }
}

TEST(ManualKeystrokes, EveryRefusedNotationIsRefusedAsThePageSays) {
    const auto rows = Rows("keys-errors", "data-error");
    ASSERT_GE(rows.size(), 4u);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.notation);
        FakeKeyInjector layout;
        KeyEventList list;
        EXPECT_EQ(std::to_string(ParseKeyMacro(r.notation, layout, {true}, list)), r.attribute);
    }
}

}  // namespace
}  // namespace quorvane
