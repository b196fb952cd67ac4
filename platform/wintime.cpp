// Calendar arithmetic on FILETIME ticks, time-zone conversion and the clocks.
#include "wintime.h"

#include <ctime>

namespace {

constexpr std::int64_t kTicksPerMs = 10000;
constexpr std::int64_t kTicksPerDay = 86400 * kTicksPerSecond;
constexpr std::uint64_t kMaxFileTime = 0x7FFFFFFFFFFFFFFFull;

// Days from 1970-01-01 to the given proleptic Gregorian date (any year).
constexpr std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// The date of a day count from 1970-01-01.
void CivilFromDays(std::int64_t z, std::int64_t* pYear, unsigned* pMonth, unsigned* pDay)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    *pDay = doy - (153 * mp + 2) / 5 + 1;
    *pMonth = mp < 10 ? mp + 3 : mp - 9;
    *pYear = static_cast<std::int64_t>(yoe) + era * 400 + (*pMonth <= 2);
}

bool IsLeapYear(unsigned y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

unsigned DaysInMonth(unsigned y, unsigned m)
{
    static const unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

// Day 0 of FILETIME (1601-01-01) counted from 1970-01-01.
constexpr std::int64_t kEpochDays1601 = DaysFromCivil(1601, 1, 1);

// The UTC offset in seconds in force at the Unix time t, or false when the zone data cannot
// say (far outside the range of time_t conversions).
bool OffsetAt(std::int64_t t, long* pOffset)
{
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm tmLocal{};
    if (localtime_r(&tt, &tmLocal) == nullptr)
        return false;
    *pOffset = tmLocal.tm_gmtoff;
    return true;
}

bool AddTicks(std::uint64_t v, std::int64_t delta, std::uint64_t* pResult)
{
    const std::int64_t sv = static_cast<std::int64_t>(v);  // v < 2^63
    if ((delta > 0 && sv > static_cast<std::int64_t>(kMaxFileTime) - delta) || (delta < 0 && sv < -delta))
        return false;
    *pResult = static_cast<std::uint64_t>(sv + delta);
    return true;
}

}  // namespace

bool FileTimeToSystemTime(const FILETIME* pFileTime, SYSTEMTIME* pSystemTime)
{
    if (pFileTime == nullptr || pSystemTime == nullptr)
        return false;
    const std::uint64_t v = FileTimeToU64(*pFileTime);
    if (v > kMaxFileTime)
        return false;
    const std::int64_t days = static_cast<std::int64_t>(v / kTicksPerDay);
    const std::uint64_t rest = v % kTicksPerDay;
    std::int64_t year = 0;
    unsigned month = 0, day = 0;
    CivilFromDays(days + kEpochDays1601, &year, &month, &day);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
    const std::uint64_t ms = rest / kTicksPerMs;
    st.wHour = static_cast<WORD>(ms / 3600000);
    st.wMinute = static_cast<WORD>(ms / 60000 % 60);
    st.wSecond = static_cast<WORD>(ms / 1000 % 60);
    st.wMilliseconds = static_cast<WORD>(ms % 1000);
    *pSystemTime = st;
    return true;
}

bool SystemTimeToFileTime(const SYSTEMTIME* pSystemTime, FILETIME* pFileTime)
{
    if (pSystemTime == nullptr || pFileTime == nullptr)
        return false;
    const SYSTEMTIME& st = *pSystemTime;
    if (st.wYear < 1601 || st.wYear > 30827 || st.wMonth < 1 || st.wMonth > 12 || st.wDay < 1 ||
        st.wDay > DaysInMonth(st.wYear, st.wMonth) || st.wHour > 23 || st.wMinute > 59 ||
        st.wSecond > 59 || st.wMilliseconds > 999)
        return false;
    const std::int64_t days = DaysFromCivil(st.wYear, st.wMonth, st.wDay) - kEpochDays1601;
    const std::int64_t ms =
        ((static_cast<std::int64_t>(st.wHour) * 60 + st.wMinute) * 60 + st.wSecond) * 1000 +
        st.wMilliseconds;
    *pFileTime = U64ToFileTime(static_cast<std::uint64_t>(days * kTicksPerDay + ms * kTicksPerMs));
    return true;
}

bool FileTimeToLocalFileTime(const FILETIME* pUtc, FILETIME* pLocal)
{
    if (pUtc == nullptr || pLocal == nullptr)
        return false;
    const std::uint64_t v = FileTimeToU64(*pUtc);
    std::int64_t seconds = 0, nanoseconds = 0;
    if (!FileTimeToUnix(*pUtc, &seconds, &nanoseconds))
        return false;
    tzset();
    long offset = 0;
    std::uint64_t result = 0;
    if (!OffsetAt(seconds, &offset) || !AddTicks(v, offset * kTicksPerSecond, &result))
        return false;
    *pLocal = U64ToFileTime(result);
    return true;
}

bool LocalFileTimeToFileTimeNear(const FILETIME* pLocal, const FILETIME* pNearUtc, FILETIME* pUtc)
{
    if (pLocal == nullptr || pUtc == nullptr)
        return false;
    const std::uint64_t v = FileTimeToU64(*pLocal);
    std::int64_t local = 0, nanoseconds = 0;
    if (!FileTimeToUnix(*pLocal, &local, &nanoseconds))
        return false;
    tzset();
    // The offsets that can apply near this local time: the ones in force a day before, at and
    // a day after it (zone rules never change twice within a day). An offset fits when the UTC
    // time it gives has that same offset. Of two fitting ones (the repeated hour when clocks
    // go back) the instant nearer pNearUtc is taken, or the earlier one without it; when none
    // fits (the skipped hour when clocks go forward) the offset in force before the change is
    // used.
    long candidates[3] = {};
    for (int i = 0; i < 3; ++i) {
        if (!OffsetAt(local + (i - 1) * 86400, &candidates[i]))
            return false;
    }
    std::int64_t near = 0;
    const bool bNear = pNearUtc != nullptr && FileTimeToUnix(*pNearUtc, &near, &nanoseconds);
    auto distance = [&](long offset) {
        const std::int64_t d = (local - offset) - near;
        return d < 0 ? -d : d;
    };
    bool bFound = false;
    long chosen = candidates[0];
    for (long offset : candidates) {
        long check = 0;
        if (!OffsetAt(local - offset, &check) || check != offset)
            continue;
        const bool bBetter = bNear ? distance(offset) < distance(chosen) : offset > chosen;
        if (!bFound || bBetter) {
            chosen = offset;
            bFound = true;
        }
    }
    std::uint64_t result = 0;
    if (!AddTicks(v, -static_cast<std::int64_t>(chosen) * kTicksPerSecond, &result))
        return false;
    *pUtc = U64ToFileTime(result);
    return true;
}

bool LocalFileTimeToFileTime(const FILETIME* pLocal, FILETIME* pUtc)
{
    return LocalFileTimeToFileTimeNear(pLocal, nullptr, pUtc);
}

void GetLocalTime(SYSTEMTIME* pSystemTime)
{
    if (pSystemTime == nullptr)
        return;
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tmLocal{};
    localtime_r(&ts.tv_sec, &tmLocal);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(tmLocal.tm_year + 1900);
    st.wMonth = static_cast<WORD>(tmLocal.tm_mon + 1);
    st.wDayOfWeek = static_cast<WORD>(tmLocal.tm_wday);
    st.wDay = static_cast<WORD>(tmLocal.tm_mday);
    st.wHour = static_cast<WORD>(tmLocal.tm_hour);
    st.wMinute = static_cast<WORD>(tmLocal.tm_min);
    st.wSecond = static_cast<WORD>(tmLocal.tm_sec > 59 ? 59 : tmLocal.tm_sec);
    st.wMilliseconds = static_cast<WORD>(ts.tv_nsec / 1000000);
    *pSystemTime = st;
}

DWORD GetTickCount()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const std::uint64_t ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000 +
                             static_cast<std::uint64_t>(ts.tv_nsec / 1000000);
    return static_cast<DWORD>(ms);
}

FILETIME FileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds)
{
    // Times before 1601 become 1601-01-01 and times past the last FILETIME become the last one.
    constexpr std::int64_t kMinSeconds = -kUnixEpochTicks / kTicksPerSecond;
    constexpr std::int64_t kMaxSeconds =
        (static_cast<std::int64_t>(kMaxFileTime) - kUnixEpochTicks) / kTicksPerSecond - 1;
    seconds += nanoseconds / 1000000000;
    nanoseconds %= 1000000000;
    if (nanoseconds < 0) {
        nanoseconds += 1000000000;
        --seconds;
    }
    if (seconds < kMinSeconds)
        return FILETIME{0, 0};
    if (seconds > kMaxSeconds)
        return U64ToFileTime(kMaxFileTime);
    return U64ToFileTime(
        static_cast<std::uint64_t>(seconds * kTicksPerSecond + kUnixEpochTicks + nanoseconds / 100));
}

bool FileTimeToUnix(const FILETIME& ft, std::int64_t* pSeconds, std::int64_t* pNanoseconds)
{
    const std::uint64_t v = FileTimeToU64(ft);
    if (v > kMaxFileTime)
        return false;
    const std::int64_t ticks = static_cast<std::int64_t>(v) - kUnixEpochTicks;
    std::int64_t seconds = ticks / kTicksPerSecond;
    std::int64_t rest = ticks % kTicksPerSecond;
    if (rest < 0) {
        rest += kTicksPerSecond;
        --seconds;
    }
    if (pSeconds)
        *pSeconds = seconds;
    if (pNanoseconds)
        *pNanoseconds = rest * 100;
    return true;
}
