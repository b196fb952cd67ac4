// File-time arithmetic and the display text of a file time.
#include "app/Uutils.h"
#include "platform/wintime.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <limits>
#include <string>

namespace {

FILETIME At(WORD wYear, WORD wMonth, WORD wDay, WORD wHour = 10, WORD wMinute = 0, WORD wSecond = 0,
            WORD wMs = 0)
{
    const SYSTEMTIME st{wYear, wMonth, 0, wDay, wHour, wMinute, wSecond, wMs};
    FILETIME ft{};
    EXPECT_TRUE(SystemTimeToFileTime(&st, &ft)) << wYear << "-" << wMonth << "-" << wDay;
    return ft;
}

std::uint64_t Ticks(const FILETIME& ft) { return FileTimeToU64(ft); }

std::string Text(const FILETIME& ft, std::size_t cch = 100)
{
    char szText[100] = "garbage";
    FileTimeToText(ft, szText, cch);
    return szText;
}

}  // namespace

TEST(TickSteps, AreExactWithCarryAndBorrow)
{
    FILETIME ft{5, 1};  // the low half is smaller than one second: the high half lends
    ASSERT_TRUE(AddSeconds(ft, -1));
    EXPECT_EQ(Ticks(ft), (std::uint64_t{1} << 32) + 5 - 10000000);

    FILETIME ftEve = At(2006, 12, 31, 23, 59, 59);
    ASSERT_TRUE(AddSeconds(ftEve, 1));
    EXPECT_EQ(Ticks(ftEve), Ticks(At(2007, 1, 1, 0, 0, 0)));

    FILETIME ftMarch = At(2006, 3, 31, 14, 30);
    ASSERT_TRUE(AddDays(ftMarch, -1));
    EXPECT_EQ(Ticks(ftMarch), Ticks(At(2006, 3, 30, 14, 30)));

    const FILETIME ftBase = U64ToFileTime(Ticks(At(2006, 6, 1)) + 1234);  // sub-millisecond part
    FILETIME ftMoved = ftBase;
    ASSERT_TRUE(AddMinutes(ftMoved, 90));
    ASSERT_TRUE(AddHours(ftMoved, -1));
    ASSERT_TRUE(AddMinutes(ftMoved, -30));
    EXPECT_EQ(Ticks(ftMoved), Ticks(ftBase));  // nothing lost by tick arithmetic
}

TEST(TickSteps, RefuseToLeaveTheValidRange)
{
    FILETIME ftFirst{0, 0};  // 1601-01-01 00:00:00
    EXPECT_FALSE(AddSeconds(ftFirst, -1));
    EXPECT_EQ(Ticks(ftFirst), 0u);
    EXPECT_TRUE(AddSeconds(ftFirst, 1));

    FILETIME ftLast = U64ToFileTime(static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()));
    EXPECT_FALSE(AddSeconds(ftLast, 1));
    EXPECT_EQ(Ticks(ftLast), static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()));

    FILETIME ftNow = At(2006, 6, 1);
    const FILETIME ftBefore = ftNow;
    EXPECT_FALSE(AddDays(ftNow, std::numeric_limits<std::int64_t>::max()));  // no overflow either
    EXPECT_FALSE(AddDays(ftNow, std::numeric_limits<std::int64_t>::min()));
    EXPECT_EQ(Ticks(ftNow), Ticks(ftBefore));
}

TEST(CalendarSteps, KeepDayAndTimeAndRefuseMissingDates)
{
    struct Case {
        FILETIME ftFrom;
        bool bMonths;
        int nCount;
        bool bMoved;
        FILETIME ftTo;
    };
    const Case cases[] = {
        {At(2006, 12, 15), true, 1, true, At(2007, 1, 15)},
        {At(2007, 1, 15), true, -1, true, At(2006, 12, 15)},
        {At(2006, 1, 31), true, 1, false, At(2006, 1, 31)},
        {At(2006, 1, 30), true, 1, false, At(2006, 1, 30)},
        {At(2004, 1, 29), true, 1, true, At(2004, 2, 29)},
        {At(2006, 3, 31), true, 1, false, At(2006, 3, 31)},  // 31 April
        {At(2006, 11, 15), true, 14, true, At(2008, 1, 15)},
        {At(2006, 2, 15), true, -26, true, At(2003, 12, 15)},
        {At(2004, 2, 29), false, 1, false, At(2004, 2, 29)},
        {At(2004, 2, 28), false, 1, true, At(2005, 2, 28)},
        {At(2000, 2, 29), false, 4, true, At(2004, 2, 29)},
        {At(1900 + 1, 1, 1), false, -1, true, At(1900, 1, 1)},
        {At(1601, 1, 10), true, -1, false, At(1601, 1, 10)},
        {At(30827, 12, 1), false, 1, false, At(30827, 12, 1)},
        {At(30827, 12, 1), true, 1, false, At(30827, 12, 1)},
        {At(2006, 6, 1), false, std::numeric_limits<int>::max(), false, At(2006, 6, 1)},
        {At(2006, 6, 1), true, std::numeric_limits<int>::min(), false, At(2006, 6, 1)},
    };
    for (const Case& c : cases) {
        FILETIME ft = c.ftFrom;
        const bool bMoved = c.bMonths ? AddMonths(ft, c.nCount) : AddYears(ft, c.nCount);
        EXPECT_EQ(bMoved, c.bMoved) << Text(c.ftFrom) << (c.bMonths ? " months " : " years ") << c.nCount;
        EXPECT_EQ(Ticks(ft), Ticks(c.ftTo)) << Text(c.ftFrom) << " gave " << Text(ft);
    }
}

TEST(CalendarSteps, DropTicksBelowOneMillisecondOnlyWhenTheyMove)
{
    const FILETIME ftBase = U64ToFileTime(Ticks(At(2006, 5, 10, 8, 0, 0, 250)) + 4321);
    FILETIME ft = ftBase;
    ASSERT_TRUE(AddMonths(ft, 1));
    ASSERT_TRUE(AddMonths(ft, -1));
    EXPECT_EQ(Ticks(ft), Ticks(ftBase) - 4321);  // the milliseconds stay, the rest is gone

    FILETIME ftRefused = U64ToFileTime(Ticks(At(2006, 1, 31)) + 77);
    const FILETIME ftBefore = ftRefused;
    EXPECT_FALSE(AddMonths(ftRefused, 1));
    EXPECT_EQ(Ticks(ftRefused), Ticks(ftBefore));  // exactly as it was

    FILETIME ftNegative{1, 0x80000000u};
    EXPECT_FALSE(AddYears(ftNegative, 1));
    EXPECT_EQ(ftNegative.dwHighDateTime, 0x80000000u);
}

TEST(FileTimeText, FollowsTheLocaleWithA24HourClock)
{
    const FILETIME ft = At(2006, 12, 24, 17, 5, 9);
    ASSERT_NE(std::setlocale(LC_ALL, "cs_CZ.UTF-8"), nullptr);
    EXPECT_EQ(Text(ft), "24.12.2006  17:05:09");
    ASSERT_NE(std::setlocale(LC_ALL, "en_US.UTF-8"), nullptr);
    EXPECT_EQ(Text(ft), "12/24/2006  17:05:09");  // 17, not 05 PM
    EXPECT_EQ(Text(At(2006, 12, 6, 21, 5, 7)), "12/06/2006  21:05:07");
    std::setlocale(LC_ALL, "C");

    EXPECT_EQ(Text(ft, 21), "12/24/2006  17:05:09");  // 20 characters and the terminator fit
    EXPECT_EQ(Text(ft, 20), "");                       // one short: nothing
    EXPECT_EQ(Text(FILETIME{0, 0x80000000u}), "");   // negative: not a time
    char szNone[1] = {'x'};
    FileTimeToText(ft, szNone, 0);  // no room at all: untouched
    EXPECT_EQ(szNone[0], 'x');
}
