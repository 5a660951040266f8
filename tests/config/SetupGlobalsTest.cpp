#include "config/SetupGlobals.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(SetupGlobals, FileNewDefaults) {
    SetupGlobals g;
    ResetToDefaults(g, "/home/kim");
    EXPECT_EQ(BaudRate(g.BaudRateIndex), 9600);
}

}  // namespace
}  // namespace quorvane
