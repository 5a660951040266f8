// How a target application's command line is split into the program and its arguments.
#include <gtest/gtest.h>

#include "delivery/CommandWords.h"

namespace quorvane {
namespace {

using Words = std::vector<std::string>;

struct SplitCase {
    std::string command;
    Words words;
};

class CommandWordsTable : public ::testing::TestWithParam<SplitCase> {};

TEST_P(CommandWordsTable, Splits) {
    EXPECT_EQ(SplitCommandWords(GetParam().command), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandWordsTable,
    ::testing::Values(
        SplitCase{"", {}}, SplitCase{" \t\r\n ", {}}, SplitCase{"xterm", {"xterm"}},
        SplitCase{"  xterm   -title  Scale  ", {"xterm", "-title", "Scale"}},
        SplitCase{"xterm\t-e\tcat", {"xterm", "-e", "cat"}},
        SplitCase{R"(xterm -title "Lab Scale 2")", {"xterm", "-title", "Lab Scale 2"}},
        SplitCase{R"(editor "C:\Data Files\log.txt")", {"editor", R"(C:\Data Files\log.txt)"}},
        SplitCase{R"(echo "say \"hi\"")", {"echo", R"(say "hi")"}},
        SplitCase{R"(echo "a\\" b)", {"echo", R"(a\)", "b"}},
        SplitCase{R"(echo \"x\")", {"echo", R"("x")"}}, SplitCase{R"(echo a\ b)", {"echo", "a b"}},
        SplitCase{R"(echo C:\dir\file)", {"echo", R"(C:\dir\file)"}},
        SplitCase{R"(sh -c 'cat > "out file"')", {"sh", "-c", R"(cat > "out file")"}},
        SplitCase{R"(open Bob's.txt)", {"open", "Bob's.txt"}},
        SplitCase{R"(x a"b c"d)", {"x", "ab cd"}}, SplitCase{R"(x "" y)", {"x", "", "y"}},
        SplitCase{R"(x '')", {"x", ""}}, SplitCase{R"(x "open end)", {"x", "open end"}},
        SplitCase{"x \"caf\xE9 menu\"", {"x", "caf\xE9 menu"}},
        SplitCase{"trailing\\", {"trailing\\"}}));

}  // namespace
}  // namespace quorvane
