#include "setup/FileFilters.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(FileFiltersTest, TableFiltersBecomeQtFiltersThatMatchBothLetterCases) {
    struct Case {
        std::string table;
        std::vector<std::string> qt;
    } cases[] = {
        {"Quorvane Config (*.QV3)|*.QV3|All Files (*.*)|*.*",
         {"Quorvane Config (*.QV3 *.qv3)", "All Files (*)"}},
        {"Quorvane Log (*.log)|*.log|All Files (*.*)|*.*",
         {"Quorvane Log (*.log *.LOG)", "All Files (*)"}},
        {"Texts|*.txt;*.csv", {"Texts (*.txt *.TXT *.csv *.CSV)"}},
        {"Odd (*.a)|*.a|dangling", {"Odd (*.a *.A)"}},
        {"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(FileDialogFilters(c.table), c.qt) << c.table;
}

}  // namespace
}  // namespace quorvane
