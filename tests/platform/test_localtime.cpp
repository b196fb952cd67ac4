// Local time with the offset in force at the date converted (Europe/Prague: +1 h in winter,
// +2 h in summer), whatever the date today.
#include "TestDates.h"
#include "TimeZoneGuard.h"
#include "platform/wintime.h"

#include <gtest/gtest.h>

namespace {

class PragueTime : public ::testing::Test {
private:
    TimeZoneGuard m_zone{"Europe/Prague"};
};

FILETIME At(int y, int m, int d, int h, int mi = 0, int s = 0)
{
    const FILETIME ft = FileTimeOf(y, m, d, h, mi, s);
    EXPECT_NE(FileTimeToU64(ft), ~0ull);
    return ft;
}

constexpr std::int64_t kHour = 3600 * kTicksPerSecond;

std::int64_t LocalMinusUtc(const FILETIME& utc)
{
    FILETIME local{};
    EXPECT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    return static_cast<std::int64_t>(FileTimeToU64(local) - FileTimeToU64(utc));
}

}  // namespace

TEST_F(PragueTime, EachDateConvertsWithItsOwnOffsetAndInverts)
{
    const FILETIME july = At(2006, 7, 15, 10, 30);
    const FILETIME january = At(2007, 1, 15, 10, 30);
    EXPECT_EQ(LocalMinusUtc(july), 2 * kHour);
    EXPECT_EQ(LocalMinusUtc(january), 1 * kHour);

    for (const FILETIME& utc : {july, january, At(1950, 1, 1, 12), At(2100, 7, 1, 12)}) {
        FILETIME local{}, back{};
        ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
        ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
        EXPECT_EQ(FileTimeToU64(back), FileTimeToU64(utc));
    }
    // Sub-second ticks pass through unchanged.
    const FILETIME fine = U64ToFileTime(FileTimeToU64(july) + 1234567);
    FILETIME local{};
    ASSERT_TRUE(FileTimeToLocalFileTime(&fine, &local));
    EXPECT_EQ(FileTimeToU64(local) % kTicksPerSecond, 1234567u);
}

TEST_F(PragueTime, ClockChangesGiveDefinedResults)
{
    // 26 March 2006: 02:00 local became 03:00. 02:30 local does not exist; it is taken with
    // the winter offset, so it stands for 01:30 UTC (03:30 summer time).
    FILETIME utc{};
    const FILETIME gap = At(2006, 3, 26, 2, 30);
    ASSERT_TRUE(LocalFileTimeToFileTime(&gap, &utc));
    EXPECT_EQ(FileTimeToU64(utc), FileTimeToU64(At(2006, 3, 26, 1, 30)));

    // 29 October 2006: 03:00 local became 02:00 again. 02:30 local happened twice; the earlier
    // one (summer time, 00:30 UTC) is taken.
    const FILETIME fold = At(2006, 10, 29, 2, 30);
    ASSERT_TRUE(LocalFileTimeToFileTime(&fold, &utc));
    EXPECT_EQ(FileTimeToU64(utc), FileTimeToU64(At(2006, 10, 29, 0, 30)));

    // Both UTC instants of the repeated hour show as 02:30 local.
    FILETIME local{};
    const FILETIME second = At(2006, 10, 29, 1, 30);
    ASSERT_TRUE(FileTimeToLocalFileTime(&second, &local));
    EXPECT_EQ(FileTimeToU64(local), FileTimeToU64(fold));

    // Given the instant it came from, the repeated hour converts back to the occurrence nearer
    // it: a file stamped in either 02:30 and moved on by a second is a second later, not an
    // hour earlier or later. Far from the fold, or outside it, the hint changes nothing.
    const FILETIME oneSecondOn = At(2006, 10, 29, 2, 30, 1);
    const FILETIME first = At(2006, 10, 29, 0, 30);
    ASSERT_TRUE(LocalFileTimeToFileTimeNear(&oneSecondOn, &second, &utc));
    EXPECT_EQ(FileTimeToU64(utc), FileTimeToU64(At(2006, 10, 29, 1, 30, 1)));
    ASSERT_TRUE(LocalFileTimeToFileTimeNear(&oneSecondOn, &first, &utc));
    EXPECT_EQ(FileTimeToU64(utc), FileTimeToU64(At(2006, 10, 29, 0, 30, 1)));
    const FILETIME yearsLater = At(2030, 1, 1, 12);
    ASSERT_TRUE(LocalFileTimeToFileTimeNear(&oneSecondOn, &yearsLater, &utc));
    EXPECT_EQ(FileTimeToU64(utc), FileTimeToU64(At(2006, 10, 29, 1, 30, 1)));
    ASSERT_TRUE(LocalFileTimeToFileTimeNear(&gap, &second, &utc));
    EXPECT_EQ(FileTimeToU64(utc), FileTimeToU64(At(2006, 3, 26, 1, 30)));
    const FILETIME july = At(2006, 7, 15, 12, 30);
    ASSERT_TRUE(LocalFileTimeToFileTimeNear(&july, &second, &utc));
    EXPECT_EQ(FileTimeToU64(utc), FileTimeToU64(At(2006, 7, 15, 10, 30)));
}

TEST_F(PragueTime, ValuesAtTheEndsOfTheRange)
{
    FILETIME out{};
    const FILETIME zero{0, 0};
    // 1601-01-01 00:00 UTC is after midnight local time, but a local time of 1601-01-01 00:00
    // would be before the first FILETIME in UTC.
    EXPECT_TRUE(FileTimeToLocalFileTime(&zero, &out));
    EXPECT_FALSE(LocalFileTimeToFileTime(&zero, &out));
    const FILETIME last = U64ToFileTime(0x7FFFFFFFFFFFFFFFull);
    EXPECT_FALSE(FileTimeToLocalFileTime(&last, &out));
    const FILETIME invalid = U64ToFileTime(0x8000000000000000ull);
    EXPECT_FALSE(FileTimeToLocalFileTime(&invalid, &out));
    EXPECT_FALSE(LocalFileTimeToFileTime(&invalid, &out));
    // After 2038: time_t is 64 bits wide.
    EXPECT_EQ(LocalMinusUtc(At(2050, 7, 1, 0)), 2 * kHour);
}

TEST(Clocks, LocalTimeAndTickCount)
{
    SYSTEMTIME st{};
    GetLocalTime(&st);
    FILETIME ft{};
    EXPECT_TRUE(SystemTimeToFileTime(&st, &ft));
    EXPECT_GE(st.wYear, 2020);
    const DWORD t0 = GetTickCount();
    const DWORD t1 = GetTickCount();
    EXPECT_LT(static_cast<DWORD>(t1 - t0), 1000u);
}
