// The time shift of the shift command, in exiftool's form [+|-][[Y:]M:D ]H:M[:S]: "+1:00" is
// one hour later, "-0:0:1 0:00" one day earlier, "+1:0:0 0:00" one year later; a bare number
// is hours ("+1").
#pragma once

#include "platform/wintypes.h"

#include <cstdint>

struct ShiftOffset {
    int nSign = +1;
    std::int64_t nMonths = 0;   // years count as twelve months
    std::int64_t nDays = 0;
    std::int64_t nSeconds = 0;  // hours, minutes and seconds
};

// False for any other shape, or numbers too large to mean a date (more than 10,000 years).
bool ParseShiftOffset(const char* pszText, ShiftOffset& offset);

// Shifts a local date: months and years as calendar steps, which refuse a date that does not
// exist (31 January plus one month), then days and the time. False, with the date as it was,
// when a step is refused or the result leaves the years an EXIF date can hold (1601 to 9999).
bool ApplyShiftOffset(FILETIME& ft, const ShiftOffset& offset);
