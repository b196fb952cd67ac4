// File-time arithmetic and the display text of a file time.
#include "Uutils.h"

#include "../platform/winlocale.h"
#include "../platform/wintime.h"

#include <cstdint>
#include <cstring>
#include <limits>

namespace {

constexpr std::int64_t kTicksPerMinute = 60 * kTicksPerSecond;
constexpr std::int64_t kTicksPerHour = 60 * kTicksPerMinute;
constexpr std::int64_t kTicksPerDay = 24 * kTicksPerHour;

// Adds nCount units of nUnit ticks; refused when the result leaves 0 .. 2^63-1, the range of
// values that have a calendar form.
bool AddTicks(FILETIME& ft, std::int64_t nCount, std::int64_t nUnit)
{
    const __int128 result = static_cast<__int128>(FileTimeToU64(ft)) +
                            static_cast<__int128>(nCount) * static_cast<__int128>(nUnit);
    if (result < 0 || result > std::numeric_limits<std::int64_t>::max())
        return false;
    ft = U64ToFileTime(static_cast<std::uint64_t>(result));
    return true;
}

// Replaces ft by the calendar form moved by nMonths months, when that date exists.
bool AddCalendarMonths(FILETIME& ft, std::int64_t nMonths)
{
    SYSTEMTIME st{};
    if (!FileTimeToSystemTime(&ft, &st))
        return false;
    const std::int64_t nTotal = static_cast<std::int64_t>(st.wYear) * 12 + (st.wMonth - 1) + nMonths;
    const std::int64_t nYear = nTotal / 12;  // a negative total lies before 1601 and is refused
    if (nYear < 1601 || nYear > 30827)
        return false;
    st.wYear = static_cast<WORD>(nYear);
    st.wMonth = static_cast<WORD>(nTotal % 12 + 1);
    FILETIME ftResult{};
    if (!SystemTimeToFileTime(&st, &ftResult))
        return false;
    ft = ftResult;
    return true;
}

}  // namespace

bool AddSeconds(FILETIME& ft, std::int64_t nCount) { return AddTicks(ft, nCount, kTicksPerSecond); }
bool AddMinutes(FILETIME& ft, std::int64_t nCount) { return AddTicks(ft, nCount, kTicksPerMinute); }
bool AddHours(FILETIME& ft, std::int64_t nCount) { return AddTicks(ft, nCount, kTicksPerHour); }
bool AddDays(FILETIME& ft, std::int64_t nCount) { return AddTicks(ft, nCount, kTicksPerDay); }

bool AddMonths(FILETIME& ft, int nCount) { return AddCalendarMonths(ft, nCount); }
bool AddYears(FILETIME& ft, int nCount) { return AddCalendarMonths(ft, static_cast<std::int64_t>(nCount) * 12); }

void FileTimeToText(const FILETIME& ft, char* pszBuffer, std::size_t cchBuffer)
{
    if (pszBuffer == nullptr || cchBuffer == 0)
        return;
    pszBuffer[0] = '\0';
    SYSTEMTIME st{};
    if (!FileTimeToSystemTime(&ft, &st))
        return;
    char szDate[100];
    char szTime[100];
    if (!GetShortDateText(st, szDate, sizeof szDate) || !GetTime24Text(st, szTime, sizeof szTime))
        return;
    const std::size_t cchDate = std::strlen(szDate);
    const std::size_t cchTime = std::strlen(szTime);
    if (cchDate + 2 + cchTime + 1 > cchBuffer)
        return;
    std::memcpy(pszBuffer, szDate, cchDate);
    std::memcpy(pszBuffer + cchDate, "  ", 2);
    std::memcpy(pszBuffer + cchDate + 2, szTime, cchTime + 1);
}
