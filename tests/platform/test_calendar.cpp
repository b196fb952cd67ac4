// FILETIME <-> SYSTEMTIME with the validity rules of the calendar functions.
#include "TestDates.h"
#include "platform/wintime.h"

#include <gtest/gtest.h>

namespace {

bool Converts(const SYSTEMTIME& st)
{
    FILETIME ft{};
    return SystemTimeToFileTime(&st, &ft);
}

}  // namespace

TEST(Calendar, MonthLengthsAndLeapYears)
{
    const int kLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int m = 1; m <= 12; ++m) {
        EXPECT_TRUE(Converts(Date(2006, m, kLengths[m - 1]))) << m;
        EXPECT_FALSE(Converts(Date(2006, m, kLengths[m - 1] + 1))) << m;
        EXPECT_FALSE(Converts(Date(2006, m, 0))) << m;
    }
    EXPECT_FALSE(Converts(Date(1900, 2, 29)));  // a century, not divisible by 400
    EXPECT_TRUE(Converts(Date(2000, 2, 29)));
    EXPECT_TRUE(Converts(Date(2004, 2, 29)));
    EXPECT_FALSE(Converts(Date(2005, 2, 29)));
    EXPECT_FALSE(Converts(Date(2006, 0, 1)));
    EXPECT_FALSE(Converts(Date(2006, 13, 1)));
    EXPECT_FALSE(Converts(Date(2006, 1, 1, 24)));
    EXPECT_FALSE(Converts(Date(2006, 1, 1, 0, 60)));
    EXPECT_FALSE(Converts(Date(2006, 1, 1, 0, 0, 60)));
    EXPECT_FALSE(Converts(Date(2006, 1, 1, 0, 0, 0, 1000)));
    EXPECT_TRUE(Converts(Date(2006, 1, 1, 23, 59, 59, 999)));
}

TEST(Calendar, RangeLimits)
{
    FILETIME ft{1, 1};
    const SYSTEMTIME first = Date(1601, 1, 1);
    ASSERT_TRUE(SystemTimeToFileTime(&first, &ft));
    EXPECT_EQ(FileTimeToU64(ft), 0u);
    EXPECT_FALSE(Converts(Date(1600, 12, 31, 23, 59, 59)));
    EXPECT_TRUE(Converts(Date(30827, 12, 31, 23, 59, 59, 999)));
    EXPECT_FALSE(Converts(Date(30828, 1, 1)));

    SYSTEMTIME st{};
    FILETIME big = U64ToFileTime(0x7FFFFFFFFFFFFFFFull);
    EXPECT_TRUE(FileTimeToSystemTime(&big, &st));
    big = U64ToFileTime(0x8000000000000000ull);
    EXPECT_FALSE(FileTimeToSystemTime(&big, &st));
    big = U64ToFileTime(0xFFFFFFFFFFFFFFFFull);
    EXPECT_FALSE(FileTimeToSystemTime(&big, &st));
}

TEST(Calendar, KnownDatesWeekdaysAndRoundTrip)
{
    // 2006-12-24 17:05:09.123 was a Sunday; the Unix epoch a Thursday; 1601-01-01 a Monday.
    const SYSTEMTIME christmas = Date(2006, 12, 24, 17, 5, 9, 123);
    FILETIME ft{};
    ASSERT_TRUE(SystemTimeToFileTime(&christmas, &ft));
    SYSTEMTIME back{};
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
    EXPECT_EQ(back.wYear, 2006);
    EXPECT_EQ(back.wMonth, 12);
    EXPECT_EQ(back.wDay, 24);
    EXPECT_EQ(back.wHour, 17);
    EXPECT_EQ(back.wMinute, 5);
    EXPECT_EQ(back.wSecond, 9);
    EXPECT_EQ(back.wMilliseconds, 123);
    EXPECT_EQ(back.wDayOfWeek, 0);

    const FILETIME epoch = U64ToFileTime(kUnixEpochTicks);
    ASSERT_TRUE(FileTimeToSystemTime(&epoch, &back));
    EXPECT_EQ(back.wYear, 1970);
    EXPECT_EQ(back.wDayOfWeek, 4);
    const FILETIME zero{0, 0};
    ASSERT_TRUE(FileTimeToSystemTime(&zero, &back));
    EXPECT_EQ(back.wDayOfWeek, 1);

    // Every day of a leap year and of a common year survives the round trip.
    for (std::uint64_t day = 0; day < 2 * 366; ++day) {
        const FILETIME t = U64ToFileTime(FileTimeToU64(ft) + day * 864000000000ull);
        SYSTEMTIME s{};
        FILETIME r{};
        ASSERT_TRUE(FileTimeToSystemTime(&t, &s));
        ASSERT_TRUE(SystemTimeToFileTime(&s, &r));
        ASSERT_EQ(FileTimeToU64(r), FileTimeToU64(t)) << day;
    }
}

TEST(Calendar, SubMillisecondTicksDroppedOnlyByTheCalendarStep)
{
    const SYSTEMTIME st = Date(2006, 12, 6, 21, 5, 7, 250);
    FILETIME ft{};
    ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
    const FILETIME withTicks = U64ToFileTime(FileTimeToU64(ft) + 9999);  // 0.9999 ms more
    SYSTEMTIME fields{};
    ASSERT_TRUE(FileTimeToSystemTime(&withTicks, &fields));
    EXPECT_EQ(fields.wMilliseconds, 250);
    FILETIME back{};
    ASSERT_TRUE(SystemTimeToFileTime(&fields, &back));
    EXPECT_EQ(FileTimeToU64(back), FileTimeToU64(ft));

    // Unix conversion keeps them (to the 100 ns a tick holds).
    std::int64_t s = 0, ns = 0;
    ASSERT_TRUE(FileTimeToUnix(withTicks, &s, &ns));
    EXPECT_EQ(FileTimeToU64(FileTimeFromUnix(s, ns)), FileTimeToU64(withTicks));
}

TEST(Calendar, UnixConversionAtTheEdges)
{
    std::int64_t s = 0, ns = 0;
    ASSERT_TRUE(FileTimeToUnix(FILETIME{0, 0}, &s, &ns));
    EXPECT_EQ(s, -11644473600LL);
    EXPECT_EQ(ns, 0);
    // One tick before the epoch: floor division, positive nanoseconds.
    ASSERT_TRUE(FileTimeToUnix(U64ToFileTime(kUnixEpochTicks - 1), &s, &ns));
    EXPECT_EQ(s, -1);
    EXPECT_EQ(ns, 999999900);
    EXPECT_FALSE(FileTimeToUnix(U64ToFileTime(0x8000000000000000ull), &s, &ns));
    // Before 1601 and past the last FILETIME the value is held at the limits.
    EXPECT_EQ(FileTimeToU64(FileTimeFromUnix(-20000000000LL, 0)), 0u);
    EXPECT_EQ(FileTimeToU64(FileTimeFromUnix(INT64_MAX / 2, 0)), 0x7FFFFFFFFFFFFFFFull);
    EXPECT_EQ(FileTimeToU64(FileTimeFromUnix(0, -100)), static_cast<std::uint64_t>(kUnixEpochTicks - 1));
}
