#include "UexifDate.h"

#include "../exif/Uexif.h"
#include "../platform/wintime.h"

#include <cstdint>
#include <memory>

namespace {

constexpr DWORD kDateTags[3] = {306, 36867, 36868};  // DateTime, DateTimeOriginal, DateTimeDigitized
constexpr std::int64_t kTwoSeconds = 2 * 10'000'000;

}  // namespace

ExifDateInfo ReadExifDate(const char* pszPath)
{
    ExifDateInfo info;
    auto pExif = std::make_unique<CExif>();  // the tag table is large: not on the stack
    // The list reads every file of the folder: its unknown tags are not reported on standard
    // output each time (the EXIF window and the other readers still report them).
    pExif->SetUnknownTagStream(nullptr);
    if (pszPath == nullptr || !pExif->Open(pszPath)) {
        info.state = ExifDateState::NoExif;
        return info;
    }
    for (int d = 0; d < 3; ++d) {
        const ExifTagEntry* pTag = pExif->FindTag(kDateTags[d]);
        if (pTag != nullptr && pTag->bPresent)
            info.bTags |= std::uint8_t(1u << d);
    }
    if (pExif->GetDateTime(info.ft))
        info.state = ExifDateState::Date;
    else
        info.state = info.HasTag(0) || info.HasTag(1) ? ExifDateState::Placeholder : ExifDateState::NoDate;
    return info;
}

bool TimesDiffer(const FILETIME& a, const FILETIME& b)
{
    const auto nA = static_cast<std::int64_t>(FileTimeToU64(a));
    const auto nB = static_cast<std::int64_t>(FileTimeToU64(b));
    return nA - nB > kTwoSeconds || nB - nA > kTwoSeconds;
}
