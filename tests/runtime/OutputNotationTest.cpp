#include <gtest/gtest.h>

#include <string>

#include "runtime/OutputNotation.h"

namespace quorvane {
namespace {

struct NotationCase {
    const char* notation;
    std::string bytes;
};

class OutputNotation : public ::testing::TestWithParam<NotationCase> {};

TEST_P(OutputNotation, Decodes) {
    EXPECT_EQ(DecodeOutputNotation(GetParam().notation), GetParam().bytes)
        << "notation: " << GetParam().notation;
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Table, OutputNotation,
    ::testing::Values(
        NotationCase{"'Hello',13,10", "Hello\r\n"},
        NotationCase{"27'P'0", "\x1bP\0"s},  // a quote ends a pending code; NUL is kept
        NotationCase{"300", "\x2c"},         // codes wrap modulo 256
        NotationCase{"256", "\0"s},
        NotationCase{"99999999999999999999999", std::string(1, '\xff')},  // 10^23 - 1 mod 256
        NotationCase{"", ""}, NotationCase{"13 10", "\r\n"},  // any other character ends a code
        NotationCase{"65xyz66", "AB"},                        // and is otherwise dropped
        NotationCase{",,,", ""},                              // separators alone give nothing
        NotationCase{"'a''b'", "ab"},  // two quotes back to back just close and reopen
        NotationCase{"''", ""}, NotationCase{"'12'", "12"},  // digits inside quotes are text
        NotationCase{"'a,b' 9", "a,b\t"},
        NotationCase{"'open", "open"},    // an unclosed quote runs to the end
        NotationCase{"'x'65'y'", "xAy"},  // the code closes before the next quote opens
        NotationCase{"007", "\x07"},
        NotationCase{"'\xe9\xff'", "\xe9\xff"}));  // high bytes inside quotes pass unchanged

}  // namespace
}  // namespace quorvane
