// Movie header times and ISO 8601 date texts, to and from local time.
#include "exif/Umovietime.h"

#include "exif/Utextdate.h"
#include "platform/wintime.h"

namespace exif {

namespace {

// 1904-01-01 00:00:00 UTC as FILETIME ticks: 66 years (17 of them leap years) before 1970.
constexpr std::uint64_t kEpoch1904Ticks = std::uint64_t(kUnixEpochTicks) - 2082844800ull * kTicksPerSecond;
// The last second a FILETIME of the engine may name: 9999-12-31 23:59:59.
constexpr std::uint64_t kLastTicks = 2650467743990000000ull;
constexpr std::uint64_t kLastSeconds = (kLastTicks - kEpoch1904Ticks) / kTicksPerSecond;

std::uint64_t Ticks(const FILETIME& ft) { return std::uint64_t(ft.dwHighDateTime) << 32 | ft.dwLowDateTime; }
FILETIME FromTicks(std::uint64_t qw) { return FILETIME{DWORD(qw), DWORD(qw >> 32)}; }

// A date text's fields: an XMP date ("Z", "+hh:mm" or no zone) or the same with a "+hhmm" or
// "-hhmm" zone, as QuickTime writes it. A date and time at least (hours and minutes).
bool ReadIsoText(std::string_view text, DateDigits& digits)
{
    if (!ReadXmpDate(text, digits)) {
        // "+hhmm": the text before it must read as a date with a time and no zone of its own.
        if (text.size() < 5 || (text[text.size() - 5] != '+' && text[text.size() - 5] != '-'))
            return false;
        const std::string_view zone = text.substr(text.size() - 4);
        for (char c : zone)
            if (c < '0' || c > '9')
                return false;
        const std::string_view head = text.substr(0, text.size() - 5);
        if (head.size() <= 10 || head.find_first_of("+-Z", 10) != std::string_view::npos || !ReadXmpDate(head, digits) ||
            (zone[0] - '0') * 10 + (zone[1] - '0') > 23 || (zone[2] - '0') * 10 + (zone[3] - '0') > 59)
            return false;
    }
    return digits.Has(kHour) && digits.Has(kMinute);
}

}  // namespace

bool MovieTimeToLocal(std::uint64_t qwSeconds, FILETIME& ftLocal)
{
    if (qwSeconds == 0 || qwSeconds > kLastSeconds)
        return false;
    const FILETIME ftUtc = FromTicks(kEpoch1904Ticks + qwSeconds * kTicksPerSecond);
    FILETIME ft{};
    SYSTEMTIME st{};
    if (!FileTimeToLocalFileTime(&ftUtc, &ft) || !FileTimeToSystemTime(&ft, &st) || st.wYear > 9999)
        return false;
    ftLocal = ft;
    return true;
}

bool MovieTimeBytes(const MovieTimeField& field, const FILETIME& ftLocal, std::vector<BYTE>& abNew)
{
    if (field.nBytes != 4 && field.nBytes != 8)
        return false;
    // A local time the clocks show twice gives the instant nearer the field's present one.
    const bool bNear = field.qwSeconds > 0 && field.qwSeconds <= kLastSeconds;
    const FILETIME ftNear = FromTicks(bNear ? kEpoch1904Ticks + field.qwSeconds * kTicksPerSecond : 0);
    FILETIME ftUtc{};
    if (!LocalFileTimeToFileTimeNear(&ftLocal, bNear ? &ftNear : nullptr, &ftUtc) || Ticks(ftUtc) < kEpoch1904Ticks)
        return false;
    const std::uint64_t qwSeconds = (Ticks(ftUtc) - kEpoch1904Ticks) / kTicksPerSecond;
    // 0 would read as "not set"; a 32-bit field ends in 2040.
    if (qwSeconds == 0 || (field.nBytes == 4 && qwSeconds > 0xFFFFFFFFull))
        return false;
    abNew.resize(std::size_t(field.nBytes));
    for (int k = 0; k < field.nBytes; ++k)
        abNew[std::size_t(k)] = BYTE(qwSeconds >> (8 * (field.nBytes - 1 - k)));
    return true;
}

bool IsoTextToLocal(std::string_view text, FILETIME& ftLocal)
{
    DateDigits d;
    if (!ReadIsoText(text, d))
        return false;
    SYSTEMTIME st{WORD(d.anValue[kYear]), WORD(d.anValue[kMonth]), 0, WORD(d.anValue[kDay]), WORD(d.anValue[kHour]),
                  WORD(d.anValue[kMinute]), WORD(d.Has(kSecond) ? d.anValue[kSecond] : 0), 0};
    return SystemTimeToFileTime(&st, &ftLocal);
}

bool IsoTextTimeBytes(std::string_view text, const FILETIME& ftLocal, std::vector<BYTE>& abNew)
{
    DateDigits d;
    SYSTEMTIME st{};
    if (!ReadIsoText(text, d) || !FileTimeToSystemTime(&ftLocal, &st) || st.wYear > 9999)
        return false;
    const std::string out = PutDigits(text, d, st);
    abNew.assign(out.begin(), out.end());
    return true;
}

}  // namespace exif
