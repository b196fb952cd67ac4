// Reading a time zone and planning the rewrite of the offset tags.
#include "CliZone.h"

#include <cstring>

namespace {

const char* const kZoneNames[3] = {"OffsetTime", "OffsetTimeOriginal", "OffsetTimeDigitized"};

// The minutes of an offset text of the shape "+HH:MM".
int ZoneMinutes(const char* pszText)
{
    const int nMinutes = ((pszText[1] - '0') * 10 + (pszText[2] - '0')) * 60 + (pszText[4] - '0') * 10 + (pszText[5] - '0');
    return pszText[0] == '-' ? -nMinutes : nMinutes;
}

}  // namespace

bool ParseShiftZone(const char* pszText, ShiftZone& zone)
{
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (std::strlen(pszText) != 6 || (pszText[0] != '+' && pszText[0] != '-') || !digit(pszText[1]) ||
        !digit(pszText[2]) || pszText[3] != ':' || !digit(pszText[4]) || !digit(pszText[5]))
        return false;
    const int nMinutes = ZoneMinutes(pszText);
    if (nMinutes > 14 * 60 || nMinutes < -14 * 60 || pszText[4] > '5')
        return false;
    zone.bGiven = true;
    zone.nMinutes = nMinutes;
    std::memcpy(zone.szText, pszText, 6);
    return true;
}

bool PlanShiftZone(const CExif& exif, const bool abWanted[3], const ShiftZone& zone, ExifDateJob& job,
                   std::int64_t anShift[3], std::string& strLine)
{
    const ExifZoneOffset* apOwn[3] = {};
    for (const ExifZoneOffset& offset : exif.ZoneOffsets())
        if (apOwn[offset.nDate] == nullptr)
            apOwn[offset.nDate] = &offset;
    for (int k = 0; k < 3; ++k) {
        const ExifZoneOffset* pOwn = apOwn[k] ? apOwn[k] : apOwn[1];
        if (abWanted[k] && pOwn == nullptr)
            return false;
        anShift[k] = pOwn ? std::int64_t(zone.nMinutes - ZoneMinutes(pOwn->szText)) * 60 : 0;
    }
    for (const ExifZoneOffset& offset : exif.ZoneOffsets()) {
        if (!abWanted[offset.nDate] || std::memcmp(offset.szText, zone.szText, 6) == 0)
            continue;
        TxPatch patch;
        patch.qwOffset = offset.qwFilePos;
        patch.abOld.assign(offset.szText, offset.szText + 6);
        patch.abNew.assign(zone.szText, zone.szText + 6);
        job.extraPatches.push_back(std::move(patch));
        strLine += std::string(", ") + kZoneNames[offset.nDate] + " " + offset.szText + " -> " + zone.szText;
    }
    return true;
}
