#include "common/log_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(LogLine, NumbersWithoutLeadingZerosThenTheMessageBytesUnchanged) {
    EXPECT_EQ(LogLine({2026, 2, 1, 9, 5, 0}, "overlay hidden"), "2026-2-1 9:5:0 UTC overlay hidden\n");
    const std::string bytes("\xe4\xbf\xa1 a\0b", 6);
    EXPECT_EQ(LogLine({2026, 12, 31, 23, 59, 59}, bytes), "2026-12-31 23:59:59 UTC " + bytes + "\n");
}

}  // namespace
