// The date tags: reading the picture date, and rewriting the three date texts in place.
#include "exif/Uexif.h"

#include "exif/Uexif_tags.h"
#include "exif/Uexif_textcopies.h"
#include "exif/Utextdate.h"
#include "platform/wintime.h"
#include "tx/UTxBase.h"
#include "tx/UTxDiskApi.h"
#include "tx/UTxRewrite.h"
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
    return ParseDateTag(m_aTags[exif::kDateSlots[1]], ft) || ParseDateTag(m_aTags[exif::kDateSlots[0]], ft) ||
           ContainerDate(1, ft);
}

bool CExif::GetTagDate(int nDate, FILETIME& ft) const
{
    return nDate >= 0 && nDate < 3 && (ParseDateTag(m_aTags[exif::kDateSlots[nDate]], ft) || ContainerDate(nDate, ft));
}

namespace {

ExifWriteResult ResultOf(const TxPatch& patch, TxFileRewrite::Outcome outcome)
{
    using Outcome = TxFileRewrite::Outcome;
    switch (outcome) {
    case Outcome::HardLinked: return ExifWriteResult::HardLinked;
    case Outcome::TimeNotSettable: return ExifWriteResult::TimeNotSettable;
    case Outcome::Replaced: return ExifWriteResult::Changed;
    case Outcome::Pending:
    case Outcome::NotOpened: return ExifWriteResult::Failed;
    case Outcome::Done:
    case Outcome::WriteFailed:
    case Outcome::FlushFailed: break;
    }
    switch (patch.result) {
    case TxPatch::Result::Written:
        return outcome == Outcome::Done          ? ExifWriteResult::Written
               : outcome == Outcome::FlushFailed ? ExifWriteResult::FlushFailed
                                                 : ExifWriteResult::Failed;
    case TxPatch::Result::Changed: return ExifWriteResult::Changed;
    case TxPatch::Result::Pending:
    case TxPatch::Result::Failed: break;
    }
    return ExifWriteResult::Failed;
}

}  // namespace

void CExif::PlanDateTags(const FILETIME& ftNew, const bool abWanted[3], TxFileRewrite& file,
                         ExifWriteReport& report)
{
    const FILETIME aftNew[3] = {ftNew, ftNew, ftNew};
    PlanDateTags(aftNew, abWanted, file, report);
}

void CExif::PlanDateTags(const FILETIME aftNew[3], const bool abWanted[3], TxFileRewrite& file,
                         ExifWriteReport& report)
{
    file.strPath = m_strFileName.Text();
    char aszText[3][20] = {};
    for (int d = 0; d < 3; ++d) {
        if (abWanted[d] && !exif::ExifDateText(aftNew[d], aszText[d])) {
            TX_LOG("No date text for this time, nothing written to %s", m_strFileName.Text());
            for (int k = 0; k < 3; ++k)
                if (abWanted[k])
                    report.aResult[k] = ExifWriteResult::Failed;
            return;
        }
    }
    // Every Exif segment of the picture carries its own copies, and XMP and IPTC may copy the
    // dates as text: they are read now.
    if (abWanted[0] || abWanted[1] || abWanted[2])
        CollectCopies();
    for (const DateCopy& c : m_copies) {
        if (!abWanted[c.nDate])
            continue;
        ExifCopyReport copy;
        copy.nDate = c.nDate;
        std::memcpy(copy.szWhere, c.szWhere, sizeof(copy.szWhere));
        copy.qwFilePos = c.qwFilePos;
        copy.result = c.eRefused;
        report.copies.push_back(copy);
        if (c.eRefused == ExifWriteResult::TooShort)
            TX_LOG("%s tag too short for a date in file %s", exif::kDateNames[c.nDate], m_strFileName.Text());
        if (c.eRefused != ExifWriteResult::NotAsked)
            continue;
        TxPatch patch;
        patch.qwOffset = c.qwFilePos;
        patch.abOld.assign(c.abText, c.abText + 19);
        patch.abNew.assign(aszText[c.nDate], aszText[c.nDate] + 19);
        patch.nCookie = int(report.copies.size() - 1);
        file.patches.push_back(std::move(patch));
    }
    // A video's movie, track and media times and its creation date text are copies too.
    PlanContainerTimes(aftNew, abWanted, file, report);
    // The copies as text move with the tag they copy: a tag the EXIF block lacks is not found,
    // whatever XMP or IPTC say.
    bool abMoved[3] = {};
    SYSTEMTIME ast[3] = {};
    for (int d = 0; d < 3; ++d) {
        if (abWanted[d] && report.CopiesOf(d) == 0) {
            TX_LOG("%s tag not found in file %s", exif::kDateNames[d], m_strFileName.Text());
            report.aResult[d] = ExifWriteResult::NotFound;
        }
        abMoved[d] = abWanted[d] && report.CopiesOf(d) > 0 && FileTimeToSystemTime(&aftNew[d], &ast[d]);
    }
    if (m_pText) {
        exif::PlanTextDateCopies(m_pText->copies, ast, abMoved, file, report);
        exif::PlanIptcDigests(m_pText->digests, file);
    }
    PlanChecksums(file);
    report.Settle();
}

void CExif::SettleReport(const TxFileRewrite& file, ExifWriteReport& report)
{
    // A copy of several ranges (an IPTC date with its time and digest) is written when all are.
    std::vector<bool> settled(report.copies.size(), false);
    for (const TxPatch& patch : file.patches) {
        if (patch.nCookie < 0 || std::size_t(patch.nCookie) >= report.copies.size())
            continue;
        ExifCopyReport& copy = report.copies[std::size_t(patch.nCookie)];
        const ExifWriteResult result = ResultOf(patch, file.outcome);
        if (settled[std::size_t(patch.nCookie)] && copy.result != ExifWriteResult::Written)
            continue;
        settled[std::size_t(patch.nCookie)] = true;
        copy.result = result;
        if (copy.result == ExifWriteResult::Changed)
            TX_LOG("%s tag changed in file %s since it was read", exif::kDateNames[copy.nDate], file.strPath.c_str());
    }
    report.Settle();
}

void CExif::WriteDateTags(const FILETIME& ftNew, bool bDateTime, bool bDateTimeOriginal,
                          bool bDateTimeDigitized, ExifWriteReport* pReport)
{
    const bool abWanted[3] = {bDateTime, bDateTimeOriginal, bDateTimeDigitized};
    ExifWriteReport report;
    TxRewriteBatch batch;
    batch.files.emplace_back();
    PlanDateTags(ftNew, abWanted, batch.files.back(), report);
    if (!batch.files.back().patches.empty()) {
        batch.Run();
        SettleReport(batch.files.back(), report);
        // The file now holds the new texts: a second write from this object checks against them.
        for (const TxPatch& patch : batch.files.back().patches) {
            if (patch.result != TxPatch::Result::Written)
                continue;
            for (DateCopy& c : m_copies)
                if (c.qwFilePos == patch.qwOffset && patch.abNew.size() == 19)
                    std::memcpy(c.abText, patch.abNew.data(), 19);
            if (m_pText) {
                exif::NoteTextWritten(m_pText->copies, patch.qwOffset, patch.abNew);
                exif::NoteIptcWritten(m_pText->digests, patch);
            }
            NoteContainerTimeWritten(patch);
        }
        if (batch.files.back().outcome != TxFileRewrite::Outcome::Done)
            TX_LOG("Could not open %s", m_strFileName.Text());
    }
    if (pReport)
        *pReport = std::move(report);
}

bool ExifWriteReport::AllWritten() const
{
    for (ExifWriteResult r : aResult)
        if (r != ExifWriteResult::NotAsked && r != ExifWriteResult::Written)
            return false;
    return true;
}

int ExifWriteReport::CopiesOf(int nDate) const
{
    int n = 0;
    for (const ExifCopyReport& c : copies)
        n += c.nDate == nDate ? 1 : 0;
    return n;
}

int ExifWriteReport::CopiesWith(int nDate, ExifWriteResult result) const
{
    int n = 0;
    for (const ExifCopyReport& c : copies)
        n += c.nDate == nDate && c.result == result ? 1 : 0;
    return n;
}

// A tag is written when every copy of it is; otherwise its result is the first reason a copy
// was not (a copy still waiting for the write counts as not written).
void ExifWriteReport::Settle()
{
    for (int d = 0; d < 3; ++d) {
        bool bAny = false, bAll = true;
        ExifWriteResult first = ExifWriteResult::Failed;
        for (const ExifCopyReport& c : copies) {
            if (c.nDate != d)
                continue;
            bAny = true;
            if (c.result != ExifWriteResult::Written && bAll) {
                bAll = false;
                first = c.result == ExifWriteResult::NotAsked ? ExifWriteResult::Failed : c.result;
            }
        }
        if (bAny)
            aResult[d] = bAll ? ExifWriteResult::Written : first;
    }
}

const char* ExifWriteResultText(ExifWriteResult result)
{
    switch (result) {
    case ExifWriteResult::Written: return "written";
    case ExifWriteResult::NotFound: return "not found";
    case ExifWriteResult::TooShort: return "too short for a date";
    case ExifWriteResult::NotDateText: return "not a date text";
    case ExifWriteResult::Changed: return "changed since it was read";
    case ExifWriteResult::HardLinked: return "the file has other hard links";
    case ExifWriteResult::TimeNotSettable: return "the file's time stamp cannot be set by this user";
    case ExifWriteResult::FlushFailed: return "flush to the device failed";
    case ExifWriteResult::Failed: return "could not be written";
    case ExifWriteResult::NotAsked: break;
    }
    return "";
}
