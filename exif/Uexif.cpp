// CExif: construction, Open and the walk of the IFD0 chain, the Exif sub-IFD and the
// Interoperability IFD.
//
// The walk never reads outside the block: an IFD or an entry that does not lie wholly inside
// it ends that walk, and a chain that comes back to an IFD already walked ends there, each with
// a log record. What was found until then stays in the table.
#include "exif/Uexif.h"

#include "exif/Uexif_tags.h"
#include "tx/UTxDiskApi.h"
#include "tx/UTxUtils.h"

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
    if (!LoadFile() || !FindExifBlock())
        return false;

    WalkIfd0Chain();

    if (m_dwExifIfdPos != 0 && IfdFits(m_dwExifIfdPos)) {
        m_dwEntryCount = U16(m_dwExifIfdPos);
        for (DWORD i = 0; i < m_dwEntryCount; ++i)
            ReadExifEntry(i);
    }
    if (m_bInteropFound && IfdFits(m_dwInteropIfdPos)) {
        m_dwEntryCount = U16(m_dwInteropIfdPos);
        for (DWORD i = 0; i < m_dwEntryCount; ++i)
            ReadInteropEntry(i);
    }
    return true;
}

bool CExif::InBlock(std::uint64_t qwPos, std::uint64_t qwLen) const
{
    return qwPos <= m_dwExifSize && qwLen <= m_dwExifSize - qwPos;
}

DWORD CExif::U16(DWORD dwPos) const
{
    if (!InBlock(dwPos, 2))
        return 0;
    const BYTE* p = m_pExifData + dwPos;
    return m_bMotorola ? (DWORD(p[0]) << 8 | p[1]) : (DWORD(p[1]) << 8 | p[0]);
}

DWORD CExif::U32(DWORD dwPos) const
{
    if (!InBlock(dwPos, 4))
        return 0;
    const BYTE* p = m_pExifData + dwPos;
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
    const BYTE* b = m_pExifData + dwEntryPos + 8;
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

// IFD0, then every IFD its next-IFD offsets lead to, each walked at most once. The IFDs of a
// sound file never overlap, so all their entries together fit into the block; a chain of
// overlapping IFDs that walks more would only reread the same bytes (and could take minutes),
// so the walk ends there.
void CExif::WalkIfd0Chain()
{
    std::vector<bool> visited(m_dwExifSize, false);
    const DWORD dwEntryBudget = m_dwExifSize / 12;
    DWORD dwEntriesWalked = 0;
    while (IfdFits(m_dwIfdPos)) {
        if (visited[m_dwIfdPos]) {
            TX_LOG("IFD chain loops back to %u", m_dwIfdPos);
            return;
        }
        visited[m_dwIfdPos] = true;
        m_dwEntryCount = U16(m_dwIfdPos);
        for (DWORD i = 0; i < m_dwEntryCount; ++i) {
            if (dwEntriesWalked++ == dwEntryBudget) {
                TX_LOG("IFD at %u: the chain holds more entries than the Exif block can", m_dwIfdPos);
                return;
            }
            if (!ReadEntry(m_dwIfdPos + 2 + 12 * i))
                return;
            DescribeEntry(i);
        }
        const DWORD dwNextField = m_dwIfdPos + 2 + 12 * m_dwEntryCount;
        if (!InBlock(dwNextField, 4)) {
            TX_LOG("IFD at %u: next-IFD offset outside the Exif block", m_dwIfdPos);
            return;
        }
        const DWORD dwNext = U32(dwNextField);
        if (dwNext == 0)
            return;
        m_dwIfdPos = exif::BlockPosOf(dwNext);
    }
}

void CExif::ReadExifEntry(DWORD i)
{
    m_dwIfdPos = m_dwExifIfdPos;
    if (IfdFits(m_dwIfdPos) && ReadEntry(m_dwIfdPos + 2 + 12 * i))
        DescribeEntry(i);
    else
        m_dwEntryCount = i;  // ends the walk of this IFD
}

void CExif::ReadInteropEntry(DWORD i)
{
    m_dwIfdPos = m_dwInteropIfdPos;
    if (IfdFits(m_dwIfdPos) && ReadEntry(m_dwIfdPos + 2 + 12 * i))
        DescribeEntry(i);
    else
        m_dwEntryCount = i;
}

bool ExifWriteReport::AllWritten() const
{
    for (ExifWriteResult r : aResult)
        if (r != ExifWriteResult::NotAsked && r != ExifWriteResult::Written)
            return false;
    return true;
}
