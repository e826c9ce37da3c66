// Bounded copies into fixed-capacity text buffers never write past the buffer.
#include <gtest/gtest.h>

#include "platform/Text.h"

namespace {
constexpr std::size_t kSmall = 5;
constexpr WChar kGuard = WTEXT('#');

TEST(BoundedText, CopyFitsOrCutsInsideTheBuffer) {
    WChar buffer[kSmall + 1];
    const WChar* cases[] = {WTEXT(""), WTEXT("abcd"), WTEXT("abcde"), WTEXT("abcdefgh")};
    const bool fits[] = {true, true, false, false};
    const WString expected[] = {WTEXT(""), WTEXT("abcd"), WTEXT("abcd"), WTEXT("abcd")};
    for (std::size_t i = 0; i < 4; ++i) {
        std::fill(std::begin(buffer), std::end(buffer), kGuard);
        EXPECT_EQ(CopyText(buffer, kSmall, cases[i]), fits[i]) << i;
        EXPECT_EQ(WString(buffer), expected[i]) << i;
        EXPECT_EQ(buffer[kSmall], kGuard) << "wrote past the capacity, case " << i;
    }
}

TEST(BoundedText, AppendKeepsTheEndInsideTheBuffer) {
    WChar buffer[kSmall + 1];
    std::fill(std::begin(buffer), std::end(buffer), kGuard);
    CopyText(buffer, kSmall, WTEXT("ab"));
    EXPECT_TRUE(AppendText(buffer, kSmall, WTEXT("cd")));
    EXPECT_EQ(WString(buffer), WTEXT("abcd"));
    EXPECT_FALSE(AppendText(buffer, kSmall, WTEXT("e")));
    EXPECT_EQ(WString(buffer), WTEXT("abcd"));
    EXPECT_EQ(buffer[kSmall], kGuard);
}

TEST(BoundedText, ZeroCapacityWritesNothing) {
    WChar buffer[1] = {kGuard};
    EXPECT_FALSE(CopyText(buffer, 0, WTEXT("x")));
    EXPECT_EQ(buffer[0], kGuard);
}
} // namespace
