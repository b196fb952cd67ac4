// CExif: construction, Open and the walk of the IFD0 chain, the Exif sub-IFD and the
// Interoperability IFD.
//
// The walk never reads outside the block: an IFD or an entry that does not lie wholly inside
// it ends that walk, and a chain that comes back to an IFD already walked ends there, each with
// a log record. What was found until then stays in the table.
#include "exif/Uexif.h"

#include "exif/Uexif_tags.h"
#include "exif/Uexif_textcopies.h"
#include "tx/UTxDiskApi.h"
#include "tx/UTxUtils.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

// Every slot starts empty with its name. The value texts are zero-filled lazily: a slot's text
// counts as zero from m_adwValueEnd on (see SettleValue).
CExif::CExif()
{
    for (int i = 0; i < kTagCount; ++i) {
        ExifTagEntry& e = m_aTags[i];
        e.bPresent = false;
        std::memset(e.szName, 0, sizeof(e.szName));
        std::memcpy(e.szName, exif::kTags[i].pszName, std::strlen(exif::kTags[i].pszName));
        e.szValue[0] = 0;
        e.dwFilePos = 0;
        m_adwValueEnd[i] = 0;
    }
}

CExif::~CExif()
{
    ReleaseFile();
    delete[] m_pExifData;
}

void CExif::ReleaseFile()
{
    delete[] m_pFileData;
    m_pFileData = nullptr;
    m_dwWindowStart = m_dwWindowLen = 0;
    m_pFile.reset();
}

int CExif::SlotOfTag(DWORD dwTag) { return exif::FindSlot(dwTag); }

const ExifTagEntry* CExif::FindTag(DWORD dwTag) const
{
    const int nSlot = exif::FindSlot(dwTag);
    return nSlot < 0 ? nullptr : &m_aTags[nSlot];
}

bool CExif::Open(const char* pszFileName)
{
    m_strFileName.Assign(pszFileName);
    // A file another container reader knows is read through it; a JPEG (or anything else) is
    // searched for its EXIF block as always. The first chunk the JPEG search reads tells which.
    if (!LoadFile())
        return OpenLargeFile();
    const bool bOpened = OpenOtherContainer();
    if (m_bContainer || IsOtherContainer()) {
        if (!m_bContainer)
            TX_LOG("No EXIF data found in %s", m_strFileName.Text());
        ReleaseFile();
        return bOpened;
    }
    if (!FindExifBlock())
        return false;
    WalkBlock(WalkMode::Render, 1);
    return true;
}

bool CExif::InBlock(std::uint64_t qwPos, std::uint64_t qwLen) const
{
    if (!(qwPos <= m_dwExifSize && qwLen <= m_dwExifSize - qwPos))
        return false;
    if (m_extents.empty())
        return true;
    auto it = std::upper_bound(m_extents.begin(), m_extents.end(), qwPos,
                               [](std::uint64_t q, const BlockExtent& e) { return q < e.dwPos; });
    return it != m_extents.begin() && qwPos + qwLen <= std::uint64_t((it - 1)->dwPos) + (it - 1)->dwLen;
}

const BYTE* CExif::BlockAt(DWORD dwPos) const
{
    if (m_extents.empty())
        return m_pExifData + dwPos;
    auto it = std::upper_bound(m_extents.begin(), m_extents.end(), dwPos,
                               [](DWORD d, const BlockExtent& e) { return d < e.dwPos; });
    --it;
    return m_pExifData + it->dwBuf + (dwPos - it->dwPos);
}

DWORD CExif::BlockBytes() const
{
    return m_extents.empty() ? m_dwExifSize : m_extents.back().dwBuf + m_extents.back().dwLen;
}

DWORD CExif::U16(DWORD dwPos) const
{
    if (!InBlock(dwPos, 2))
        return 0;
    const BYTE* p = BlockAt(dwPos);
    return m_bMotorola ? (DWORD(p[0]) << 8 | p[1]) : (DWORD(p[1]) << 8 | p[0]);
}

DWORD CExif::U32(DWORD dwPos) const
{
    if (!InBlock(dwPos, 4))
        return 0;
    const BYTE* p = BlockAt(dwPos);
    if (m_bMotorola)
        return DWORD(p[0]) << 24 | DWORD(p[1]) << 16 | DWORD(p[2]) << 8 | p[3];
    return DWORD(p[3]) << 24 | DWORD(p[2]) << 16 | DWORD(p[1]) << 8 | p[0];
}

// The IFD's entry count must lie inside the block.
bool CExif::IfdFits(DWORD dwIfdPos)
{
    if (InBlock(dwIfdPos, 2))
        return true;
    TX_LOG("IFD at %u outside the Exif block", dwIfdPos);
    return false;
}

// Decodes the entry at block position dwEntryPos into the current-entry fields; false (with a
// log record) when the entry does not lie wholly inside the block.
bool CExif::ReadEntry(DWORD dwEntryPos)
{
    if (!InBlock(dwEntryPos, 12)) {
        TX_LOG("IFD at %u: entry at %u outside the Exif block", m_dwIfdPos, dwEntryPos);
        return false;
    }
    m_dwEntryPos = dwEntryPos;
    m_dwTag = U16(dwEntryPos);
    m_dwType = U16(dwEntryPos + 2);
    m_dwCount = U32(dwEntryPos + 4);
    m_dwValue = U32(dwEntryPos + 8);
    const BYTE* b = BlockAt(dwEntryPos + 8);
    if (m_bMotorola) {
        m_abValue[0] = b[1];
        m_abValue[1] = b[0];
        m_abValue[2] = b[3];
        m_abValue[3] = b[2];
    } else {
        for (int k = 0; k < 4; ++k)
            m_abValue[k] = b[k];
    }
    return true;
}

// Walks one IFD at dwIfdPos: false when it was walked before, does not lie in the block or the
// walk ran out of entries (each with a log record). The IFDs of a sound file never overlap, so
// all their entries together fit into the block; a chain of overlapping IFDs that walks more
// would only reread the same bytes (and could take minutes), so the walk ends there.
bool CExif::WalkIfd(DWORD dwIfdPos, const char* pszWhere, bool bMain, WalkMode mode, DWORD& dwBudget)
{
    if (!IfdFits(dwIfdPos))
        return false;
    if (std::find(m_visited.begin(), m_visited.end(), dwIfdPos) != m_visited.end()) {
        TX_LOG("IFD at %u (%s) was walked already: skipped", dwIfdPos, pszWhere);
        return false;
    }
    m_visited.push_back(dwIfdPos);
    m_walkMode = mode;
    m_dwIfdPos = dwIfdPos;
    m_pszWhere = pszWhere;
    m_bMainIfd = bMain;
    m_dwEntryCount = U16(dwIfdPos);
    m_ranges.push_back(ReadRange{dwIfdPos, 2 + 12 * m_dwEntryCount + 4, 0, -1});
    for (DWORD i = 0; i < m_dwEntryCount; ++i) {
        if (dwBudget == 0) {
            TX_LOG("IFD at %u: the chain holds more entries than the Exif block can", dwIfdPos);
            return false;
        }
        --dwBudget;
        if (!ReadEntry(dwIfdPos + 2 + 12 * i))
            return false;
        NoteEntry();
        if (mode == WalkMode::Render)
            DescribeEntry(i);
    }
    return true;
}

// The block's IFD0 chain (IFD0, IFD1 and every IFD chained after them), then every Exif
// sub-IFD they point to, then the Interoperability IFD; each IFD at most once. In Render mode
// the chain, the main picture's Exif IFD and the Interoperability IFD render into the table;
// otherwise, and for any further Exif IFD, only the copies of the date tags are noted.
void CExif::WalkBlock(WalkMode mode, int nSegment)
{
    m_nSegment = nSegment;
    m_visited.clear();
    m_ranges.clear();
    m_exifIfds.clear();
    const std::size_t nFirstCopy = m_copies.size();
    DWORD dwBudget = BlockBytes() / 12;
    static const char* const kChainNames[] = {"IFD0", "IFD1", "IFD2", "IFD3", "IFD4", "IFD5", "IFD6", "IFD7"};
    for (int k = 0; !m_bExifFirst && WalkIfd(m_dwIfdPos, kChainNames[std::min(k, 7)], k == 0, mode, dwBudget); ++k) {
        const DWORD dwNextField = m_dwIfdPos + 2 + 12 * m_dwEntryCount;
        if (!InBlock(dwNextField, 4)) {
            TX_LOG("IFD at %u: next-IFD offset outside the Exif block", m_dwIfdPos);
            break;
        }
        const DWORD dwNext = U32(dwNextField);
        if (dwNext == 0)
            break;
        m_dwIfdPos = exif::BlockPosOf(dwNext);
        if (std::find(m_visited.begin(), m_visited.end(), m_dwIfdPos) != m_visited.end()) {
            TX_LOG("IFD chain loops back to %u", m_dwIfdPos);
            break;
        }
    }
    if (m_bExifFirst)  // a structure that starts with its Exif IFD (a CR3's CMT2 box)
        m_exifIfds.emplace_back(m_dwIfdPos, true);
    bool bMainExifDone = false;
    for (std::size_t k = 0; k < m_exifIfds.size(); ++k) {
        const auto [dwPos, bFromMain] = m_exifIfds[k];
        const bool bMain = bFromMain && !bMainExifDone;
        bMainExifDone = bMainExifDone || bMain;
        WalkIfd(dwPos, bMain ? "ExifIFD" : "ExifIFD2", bMain, bMain ? mode : WalkMode::DatesOnly, dwBudget);
    }
    if (mode == WalkMode::Render && m_bInteropFound)
        WalkIfd(m_dwInteropIfdPos, "InteropIFD", false, mode, dwBudget);
    CheckDateCopies(nFirstCopy);
}

// What every entry tells the walk, whatever is rendered: the data it points to, the Exif IFD
// it leads to, or a copy of a date tag.
void CExif::NoteEntry()
{
    const int nSlot = exif::FindSlot(m_dwTag);
    const int nDate = nSlot < 0 ? -1 : exif::DateOfSlot(nSlot);
    const std::uint64_t qwSize = std::uint64_t(m_dwCount) * exif::TypeSize(m_dwType);
    const DWORD dwData = exif::BlockPosOf(m_dwValue);
    if (qwSize > 4 && dwData < m_dwExifSize) {
        const DWORD dwLen = DWORD(std::min<std::uint64_t>(qwSize, m_dwExifSize - dwData));
        m_ranges.push_back(ReadRange{dwData, dwLen, m_dwEntryPos, nDate});
    }
    if (m_dwTag == 0x8769)  // ExifOffset
        m_exifIfds.emplace_back(dwData, m_bMainIfd);
    if (nDate >= 0)
        NoteDateCopy(nDate);
    if (m_dwTag >= 0x9010 && m_dwTag <= 0x9012)  // OffsetTime, OffsetTimeOriginal, OffsetTimeDigitized
        NoteZoneOffset(int(m_dwTag - 0x9010));
}

// An offset that holds "+HH:MM" or "-HH:MM" (ASCII, its 7 bytes stored outside the entry).
void CExif::NoteZoneOffset(int nDate)
{
    constexpr DWORD kChars = 6;
    const DWORD dwBlockPos = exif::BlockPosOf(m_dwValue);
    const std::uint64_t qwFilePos = std::uint64_t(m_dwPos) + dwBlockPos;
    if (m_dwType != 2 || m_dwCount < kChars + 1 || !InBlock(dwBlockPos, kChars) || qwFilePos + kChars > m_dwFileSize)
        return;
    const BYTE* p = m_pExifData + dwBlockPos;
    auto digit = [](BYTE b) { return b >= '0' && b <= '9'; };
    if ((p[0] != '+' && p[0] != '-') || !digit(p[1]) || !digit(p[2]) || p[3] != ':' || !digit(p[4]) || !digit(p[5]))
        return;
    for (const ExifZoneOffset& z : m_zones)
        if (z.qwFilePos == qwFilePos)
            return;
    ExifZoneOffset zone;
    zone.nDate = nDate;
    zone.qwFilePos = qwFilePos;
    std::memcpy(zone.szText, p, kChars);
    m_zones.push_back(zone);
}

void CExif::NoteDateCopy(int nDate)
{
    DateCopy c{};
    c.nDate = nDate;
    if (m_nSegment > 1)
        std::snprintf(c.szWhere, sizeof(c.szWhere), "APP1#%d %s", m_nSegment, m_pszWhere);
    else if (m_szBlockWhere[0])
        std::snprintf(c.szWhere, sizeof(c.szWhere), "%s %s", m_szBlockWhere, m_pszWhere);
    else
        std::snprintf(c.szWhere, sizeof(c.szWhere), "%s", m_pszWhere);
    c.dwCount = m_dwCount;
    c.dwEntryPos = m_dwEntryPos;
    c.dwBlockPos = exif::BlockPosOf(m_dwValue);
    c.eRefused = ExifWriteResult::NotAsked;
    // Counted in 64 bits, since near the end of a file of almost 4 GiB the 32-bit sum would
    // wrap round to the file's start (block positions of values start at 8, the TIFF header).
    const std::uint64_t qwFilePos = m_qwTiffPos + (c.dwBlockPos - 8);
    if (m_dwCount < 19) {
        c.eRefused = ExifWriteResult::TooShort;
    } else if (!InBlock(c.dwBlockPos, 19)) {
        TX_LOG("%s tag (%s): value outside the Exif block of %s", exif::kDateNames[nDate], c.szWhere,
               m_strFileName.Text());
        c.eRefused = ExifWriteResult::NotDateText;
    } else if (qwFilePos + 19 > m_qwFileSize) {
        // A block cut short by the end of the file: the value is not in the file at all.
        TX_LOG("%s tag: value beyond the end of file %s", exif::kDateNames[nDate], m_strFileName.Text());
        c.eRefused = ExifWriteResult::NotFound;
    } else {
        c.qwFilePos = qwFilePos;
        std::memcpy(c.abText, BlockAt(c.dwBlockPos), 19);
    }
    // The same value reached twice (two IFDs pointing to the same bytes) is one copy.
    for (std::size_t k = 0; k < m_copies.size(); ++k)
        if (m_copies[k].nDate == nDate && m_copies[k].qwFilePos == c.qwFilePos && c.qwFilePos != 0)
            return;
    ExifTagEntry& e = m_aTags[exif::kDateSlots[nDate]];
    if (m_walkMode == WalkMode::Render && m_bMainIfd && !e.bPresent && c.qwFilePos != 0 &&
        c.qwFilePos <= 0xFFFFFFFFu)
        e.dwFilePos = DWORD(c.qwFilePos);
    m_copies.push_back(c);
}

// A copy is written only where the file holds a date text now and nothing else the walk read
// lies in those 19 bytes (an IFD, another tag's data): a damaged offset never overwrites data.
void CExif::CheckDateCopies(std::size_t nFirst)
{
    for (std::size_t k = nFirst; k < m_copies.size(); ++k) {
        DateCopy& c = m_copies[k];
        if (c.eRefused != ExifWriteResult::NotAsked)
            continue;
        bool bOverlaps = false;
        for (const ReadRange& r : m_ranges) {
            if (r.dwEntryPos == c.dwEntryPos || (r.nDate == c.nDate && r.dwPos == c.dwBlockPos))
                continue;
            bOverlaps = bOverlaps || (r.dwPos < c.dwBlockPos + 19 && c.dwBlockPos < r.dwPos + r.dwLen);
        }
        if (bOverlaps || !exif::IsDateText(c.abText)) {
            TX_LOG("%s tag (%s) of %s: %s, left alone", exif::kDateNames[c.nDate], c.szWhere,
                   m_strFileName.Text(), bOverlaps ? "its value overlaps other data" : "not a date text");
            c.eRefused = ExifWriteResult::NotDateText;
        }
    }
}
