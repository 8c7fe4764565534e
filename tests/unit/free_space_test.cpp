// The free-space display's figures: "%10I64d" formatting, the runtime's read-back, the
// mebibyte rounding, and what a failed query shows.
#include <gtest/gtest.h>

#include <climits>

#include "app/free_space.h"
#include "tests/support/fake_os.h"

namespace verrow {
namespace {

TEST(FreeSpaceFigures, FormatsRightAlignedInTenAndWritesLongerNumbersInFull) {
    EXPECT_EQ(FormatField10(0), "         0");
    EXPECT_EQ(FormatField10(700), "       700");
    EXPECT_EQ(FormatField10(1234567890), "1234567890");
    EXPECT_EQ(FormatField10(12345678901), "12345678901");
    EXPECT_EQ(FormatField10(-42), "       -42");
    EXPECT_EQ(FormatField10(INT64_MIN), "-9223372036854775808");
}

TEST(FreeSpaceFigures, ReadsBackAsTheRuntimeDoes) {
    EXPECT_EQ(CrtAtoi("       700"), 700);
    EXPECT_EQ(CrtAtoi(" \t\n+12x3"), 12);
    EXPECT_EQ(CrtAtoi("  -7"), -7);
    EXPECT_EQ(CrtAtoi("x1"), 0);
    EXPECT_EQ(CrtAtoi(""), 0);
    EXPECT_EQ(CrtAtoi("- 5"), 0);
    EXPECT_EQ(CrtAtoi("2147483647"), INT_MAX);
    EXPECT_EQ(CrtAtoi("-2147483648"), INT_MIN);
    // Beyond the range: the limits, never a wrapped number.
    EXPECT_EQ(CrtAtoi("2147483648"), INT_MAX);
    EXPECT_EQ(CrtAtoi("99999999999999999999999"), INT_MAX);
    EXPECT_EQ(CrtAtoi("-2147483649"), INT_MIN);
}

TEST(FreeSpaceFigures, RoundDownEachAmountToMebibytesOnItsOwn) {
    FreeSpaceFigures f = FreeSpaceFor(950ull << 20, 700ull << 20);
    EXPECT_EQ(f.label, "       700Mbyte/       950Mbyte");
    EXPECT_EQ(f.total, 950);
    EXPECT_EQ(f.free, 700);

    f = FreeSpaceFor((2ull << 20) + 1048575, 1048575);
    EXPECT_EQ(f.total, 2);
    EXPECT_EQ(f.free, 0);
    EXPECT_EQ(f.label, "         0Mbyte/         2Mbyte");

    // Less than a mebibyte in all: an empty range.
    f = FreeSpaceFor(1048575, 1048575);
    EXPECT_EQ(f.total, 0);
    EXPECT_EQ(f.free, 0);

    // 16 PiB: eleven digits widen the label; the bar is held at the int limit.
    f = FreeSpaceFor(1ull << 54, 1ull << 53);
    EXPECT_EQ(f.label, "8589934592Mbyte/17179869184Mbyte");
    EXPECT_EQ(f.total, INT_MAX);
    EXPECT_EQ(f.free, INT_MAX);
}

TEST(FreeSpaceFigures, AFailedQueryKeepsWhatIsShownOrShowsZeroAtFirst) {
    test::FakeOs os;
    os.diskTotal = 950ull << 20;
    os.diskFree = 700ull << 20;
    std::optional<FreeSpaceFigures> f = NextFreeSpace(os, "E:", false);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->total, 950);
    EXPECT_EQ(f->free, 700);

    os.failDiskQuery = true;
    EXPECT_FALSE(NextFreeSpace(os, "E:", true));
    f = NextFreeSpace(os, "E:", false);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->label, "         0Mbyte/         0Mbyte");
    EXPECT_EQ(f->total, 0);
    EXPECT_EQ(f->free, 0);
}

TEST(FreeSpaceFigures, TheQueryAloneRunsWithoutCriticalErrorBoxes) {
    // A card reader without a card would show "no disk" at every tick; the programs the
    // launcher starts keep their own error mode, and so does the thread after the query.
    test::FakeOs os;
    os.threadErrorMode = 0x8000;
    for (bool fails : {false, true}) {
        os.failDiskQuery = fails;
        NextFreeSpace(os, "E:", true);
        ASSERT_EQ(os.diskQueryErrorModes.size(), fails ? 2u : 1u);
        EXPECT_EQ(os.diskQueryErrorModes.back() & kFailCriticalErrors, kFailCriticalErrors);
        EXPECT_EQ(os.threadErrorMode, 0x8000u);
    }
}

}  // namespace
}  // namespace verrow
