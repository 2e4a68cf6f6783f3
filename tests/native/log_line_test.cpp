#include "common/log_line.h"

#include <gtest/gtest.h>

namespace {

TEST(LogLine, NumbersHaveNoLeadingZeros) {
    EXPECT_EQ(LogLinePrefix({2026, 2, 1, 9, 5, 3}), "2026-2-1 9:5:3 UTC ");
    EXPECT_EQ(LogLinePrefix({2026, 1, 1, 0, 0, 0}), "2026-1-1 0:0:0 UTC ");
}

TEST(LogLine, LastSecondOfTheYear) {
    EXPECT_EQ(LogLinePrefix({2026, 12, 31, 23, 59, 59}), "2026-12-31 23:59:59 UTC ");
}

TEST(LogLine, MessageBytesPassUnchanged) {
    EXPECT_EQ(LogLine({2026, 12, 5, 13, 7, 2}, "skylight created regions=3"),
              "2026-12-5 13:7:2 UTC skylight created regions=3\n");
    const std::string bytes("\xe4\xbf\xa1 a\0b", 6);
    EXPECT_EQ(LogLine({2026, 12, 5, 13, 7, 2}, bytes), "2026-12-5 13:7:2 UTC " + bytes + "\n");
    EXPECT_EQ(LogLine({2026, 12, 5, 13, 7, 2}, ""), "2026-12-5 13:7:2 UTC \n");
}

}  // namespace
