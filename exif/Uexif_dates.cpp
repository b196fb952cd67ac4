// The date tags: reading the picture date, and rewriting the three date texts in place.
#include "exif/Uexif.h"

#include "exif/Uexif_tags.h"
#include "platform/wintime.h"
#include "tx/UTxBase.h"
#include "tx/UTxDiskApi.h"
#include "tx/UTxUtils.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

// Reads a piece the way a "%d" scan does: blanks skipped, an optional sign, digits. False when
// the piece holds no number or one that no calendar field can hold.
bool ReadNumber(const char* p, WORD& wOut)
{
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    bool bNegative = false;
    if (*p == '+' || *p == '-')
        bNegative = *p++ == '-';
    if (!std::isdigit(static_cast<unsigned char>(*p)))
        return false;
    long nValue = 0;
    for (; std::isdigit(static_cast<unsigned char>(*p)); ++p)
        if (nValue <= 0xFFFF)
            nValue = nValue * 10 + (*p - '0');
    if (nValue > 0xFFFF || (bNegative && nValue != 0))
        return false;
    wOut = WORD(nValue);
    return true;
}

// Cuts the text at the next separator c (in place); returns the rest, or null when missing.
char* CutAt(char* p, char c)
{
    char* pSep = std::strchr(p, c);
    if (!pSep)
        return nullptr;
    *pSep = 0;
    return pSep + 1;
}

}  // namespace

bool CExif::ParseDateTag(const ExifTagEntry& entry, FILETIME& ft) const
{
    if (!entry.bPresent)
        return false;
    // A text longer than the 99 characters of the working text is cut.
    char szText[100];
    const size_t n = std::min<size_t>(strnlen(entry.szValue, sizeof(entry.szValue)), sizeof(szText) - 1);
    std::memcpy(szText, entry.szValue, n);
    szText[n] = 0;

    char* pYear = szText;
    char* pMonth = CutAt(pYear, ':');
    char* pDay = pMonth ? CutAt(pMonth, ':') : nullptr;
    char* pHour = pDay ? CutAt(pDay, ' ') : nullptr;
    char* pMinute = pHour ? CutAt(pHour, ':') : nullptr;
    char* pSecond = pMinute ? CutAt(pMinute, ':') : nullptr;
    if (!pSecond)
        return false;

    SYSTEMTIME st{};
    if (!ReadNumber(pYear, st.wYear) || !ReadNumber(pMonth, st.wMonth) || !ReadNumber(pDay, st.wDay) ||
        !ReadNumber(pHour, st.wHour) || !ReadNumber(pMinute, st.wMinute) || !ReadNumber(pSecond, st.wSecond))
        return false;
    if (st.wYear == 0 || st.wMonth == 0 || st.wDay == 0)
        return false;
    FILETIME ftParsed{};
    if (!SystemTimeToFileTime(&st, &ftParsed))
        return false;
    ft = ftParsed;
    return true;
}

bool CExif::GetDateTime(FILETIME& ft) const
{
    return ParseDateTag(m_aTags[exif::kDateSlots[1]], ft) || ParseDateTag(m_aTags[exif::kDateSlots[0]], ft);
}

// Writes one date text, after checking that the tag can hold it and that the file still holds
// the date text found at Open at that place.
bool CExif::WriteOneDate(TxFile& file, int nDate, const char* pszText, ExifWriteResult& result)
{
    const ExifTagEntry& e = m_aTags[exif::kDateSlots[nDate]];
    const char* pszName = exif::kDateNames[nDate];
    if (e.dwFilePos == 0) {
        TX_LOG("%s tag not found in file %s", pszName, m_strFileName.Text());
        result = ExifWriteResult::NotFound;
        return false;
    }
    if (m_adwDateCount[nDate] < 19) {
        TX_LOG("%s tag too short for a date in file %s", pszName, m_strFileName.Text());
        result = ExifWriteResult::TooShort;
        return false;
    }
    BYTE abNow[19] = {};
    DWORD dwRead = 0;
    file.Seek(e.dwFilePos);
    file.Read(abNow, sizeof(abNow), &dwRead);
    if (dwRead != sizeof(abNow) || std::memcmp(abNow, m_abDateText[nDate], sizeof(abNow)) != 0) {
        TX_LOG("%s tag changed in file %s since it was read", pszName, m_strFileName.Text());
        result = ExifWriteResult::Changed;
        return false;
    }
    file.Seek(e.dwFilePos);
    file.Write(pszText, 19);
    // The file now holds the new text: a second write from this object checks against it.
    std::memcpy(m_abDateText[nDate], pszText, 19);
    result = ExifWriteResult::Written;
    return true;
}

void CExif::WriteDateTags(const FILETIME& ftNew, bool bDateTime, bool bDateTimeOriginal,
                          bool bDateTimeDigitized, ExifWriteReport* pReport)
{
    ExifWriteReport report;
    const bool abWanted[3] = {bDateTime, bDateTimeOriginal, bDateTimeDigitized};
    SYSTEMTIME st{};
    char szText[64] = {};
    // A time outside years 1601 to 9999 has no 19-character date text: nothing is written.
    const bool bValid = FileTimeToSystemTime(&ftNew, &st) && st.wYear <= 9999;
    if (bValid)
        std::snprintf(szText, sizeof(szText), "%.4d:%.2d:%.2d %.2d:%.2d:%.2d", st.wYear, st.wMonth,
                      st.wDay, st.wHour, st.wMinute, st.wSecond);
    if (!bValid) {
        TX_LOG("No date text for this time, nothing written to %s", m_strFileName.Text());
        for (int d = 0; d < 3; ++d)
            if (abWanted[d])
                report.aResult[d] = ExifWriteResult::Failed;
        if (pReport)
            *pReport = report;
        return;
    }
    int nDate = 0;
    try {
        TxFile file(m_strFileName.Text(), false, false);
        for (; nDate < 3; ++nDate)
            if (abWanted[nDate])
                WriteOneDate(file, nDate, szText, report.aResult[nDate]);
    } catch (const Exception&) {
        // The file is closed when the object is destroyed; tags already written stay written.
        TX_LOG("Could not open %s", m_strFileName.Text());
        for (int d = nDate; d < 3; ++d)
            if (abWanted[d])
                report.aResult[d] = ExifWriteResult::Failed;
    }
    if (pReport)
        *pReport = report;
}
