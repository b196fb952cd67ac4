// Calendar arithmetic on FILETIME and SYSTEMTIME, time-zone conversion and the clocks.
#pragma once

#include "wintypes.h"

#include <cstdint>

// Proleptic Gregorian conversion with the Windows validity rules: years 1601 to 30827,
// month 1 to 12, day within its month, hour < 24, minute and second < 60, ms < 1000.
// A FILETIME of 2^63 or more does not convert. The day of week is filled in.
bool FileTimeToSystemTime(const FILETIME* pFileTime, SYSTEMTIME* pSystemTime);
bool SystemTimeToFileTime(const SYSTEMTIME* pSystemTime, FILETIME* pFileTime);

// UTC <-> local time of the user's zone (TZ, /etc/localtime), with the offset in force at the
// date converted. False when the value cannot be converted.
bool FileTimeToLocalFileTime(const FILETIME* pUtc, FILETIME* pLocal);
bool LocalFileTimeToFileTime(const FILETIME* pLocal, FILETIME* pUtc);
// The same, except that a local time the clocks show twice (when they go back) gives the
// instant nearer pNearUtc (for a file, its present time stamp), rather than the earlier one.
bool LocalFileTimeToFileTimeNear(const FILETIME* pLocal, const FILETIME* pNearUtc, FILETIME* pUtc);

void GetLocalTime(SYSTEMTIME* pSystemTime);
DWORD GetTickCount();  // monotonic milliseconds, wraps at 2^32

// Unix time (seconds and nanoseconds since 1970, UTC) <-> FILETIME ticks.
constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kUnixEpochTicks = 116444736000000000LL;  // 1970-01-01 as FILETIME
FILETIME FileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds);
bool FileTimeToUnix(const FILETIME& ft, std::int64_t* pSeconds, std::int64_t* pNanoseconds);
